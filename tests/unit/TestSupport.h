#ifndef LUM_TESTS_TESTSUPPORT_H
#define LUM_TESTS_TESTSUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// Every text passed to ShowMessage since the last ResetSkinModel.
extern std::vector<std::string> shownMessages;

// Frees what the skin model holds and zeroes its records and shownMessages.
void ResetSkinModel();

// A fresh, empty current directory per test, removed afterwards; the skin
// model's process-wide records start zeroed in each test.
class SkinFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void WriteFile(const std::string& name, const std::string& bytes);
    std::string ReadFile(const std::string& name);

private:
    std::string folder;
    std::string previous;
};

// A bottom-up bitmap file: 14-byte file header, a 40-byte info header (or
// biSize bytes, zero-filled past 40), colorEntries 4-byte colour entries, then
// the pixel bytes as given.
struct BitmapSpec {
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bitCount = 24;
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
