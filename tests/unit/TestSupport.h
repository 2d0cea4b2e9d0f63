#ifndef LUM_TESTS_TESTSUPPORT_H
#define LUM_TESTS_TESTSUPPORT_H

#include "BitmapFile.h"
#include "HotspotTable.h"
#include "Startup.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// Every text passed to ShowMessage since the last SkinModelTest began.
extern std::vector<std::string> shownMessages;

// The skin model's process-wide records, the platform's fault record and the
// shown messages start zeroed in each test and are freed after it.
class SkinModelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// A fresh, empty folder under the temporary folder, removed with its files
// when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    std::string Path(const std::string& name) const;
    void Write(const std::string& name, const std::string& bytes) const;
    const std::string& Name() const { return folder; }

private:
    std::string folder;
};

// Every piece the hotspot reader reads, one line of text each, so that lists
// of pieces compare field by field.
void KeepPieceText(const HotspotPiece* piece, void* texts);

// The bytes of a string as the cores take them.
const unsigned char* BytesOf(const std::string& text);

#endif
