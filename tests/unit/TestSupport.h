#ifndef LUM_TESTS_TESTSUPPORT_H
#define LUM_TESTS_TESTSUPPORT_H

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

// A bottom-up bitmap file: 14-byte file header, a 40-byte info header (or
// biSize bytes, zero-filled past 40), colorEntries 4-byte colour entries, then
// the pixel bytes as given.
struct BitmapSpec {
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    uint32_t headerSize = 40;
    uint32_t colorEntries = 0;
    std::string pixels;
};
std::string MakeBitmap(const BitmapSpec& layout);

// A 24-bit pixel array of width x height from rows of (blue, green, red)
// triples given top row first, stored bottom-up with each row padded to 4 bytes.
std::string PixelRows(int32_t width, const std::vector<std::vector<uint32_t>>& rowsTopFirst);

#endif
