#ifndef LUM_TESTS_BITMAPFILE_H
#define LUM_TESTS_BITMAPFILE_H

#include "SkinImage.h"

#include <cstdint>
#include <string>
#include <vector>

// Offsets of the header fields that hostile files change, from the file's start.
const size_t kBfSize = 2, kBfOffBits = 10, kBiSize = 14, kBiWidth = 18, kBiHeight = 22, kBiBitCount = 28,
             kBiCompression = 30, kBiClrUsed = 46;

// Writes value's low bytes, little-endian, over the file's bytes at offset.
void SetField(std::string& file, size_t offset, uint32_t value, int bytes);

// A bottom-up bitmap file: the model's skin file headers, changed to these
// fields; past a 40-byte info header, biSize - 40 zero bytes, then
// colorEntries 4-byte colour entries, then the pixel bytes as given.
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

// The model's see-through colour as one of PixelRows' 0xRRGGBB colours.
const uint32_t kKeyPixel = uint32_t(kKeyColour[2]) << 16 | uint32_t(kKeyColour[1]) << 8 | kKeyColour[0];

// A 24-bit pixel array of width x height from rows of 0xRRGGBB colours given
// top row first, stored bottom-up, each row padded to 4 bytes with 0x77s that
// a reader taking them for pixels would show.
std::string PixelRows(int32_t width, const std::vector<std::vector<uint32_t>>& rowsTopFirst);

// A skin file of those rows, with the model's skin file headers.
std::string MakeSkinFile(int32_t width, const std::vector<std::vector<uint32_t>>& rowsTopFirst);

#endif
