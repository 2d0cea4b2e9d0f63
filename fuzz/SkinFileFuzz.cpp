// Arbitrary bytes as "lum.bmp": the reader and BuildSkinFromBytes must either
// reject the file with a reason or produce a skin whose pixel array and mask lie
// inside what was allocated, with the reader's message exactly for files not
// starting "BM", its see-through pixels counted, and the input itself left as
// it was.
#include "FuzzSupport.h"
#include "SkinImage.h"

#include <cstdint>
#include <cstring>

static void CheckReader(const uint8_t* data, size_t size, int built)
{
    bool signature = size >= 2 && data[0] == 'B' && data[1] == 'M';
    Require(shownMessageCount == (signature ? 0 : 1), "reader message for the wrong files");
    DibImage* image = SkinImage.image;
    Require(image != nullptr, "no reader created");
    if (!image->isValid())
        return;
    Require(size >= kFileHeaderSize + kInfoHeaderSize, "a file too short for its headers read as valid");
    Require(image->blockSize() == size - kFileHeaderSize, "block does not hold the rest of the file");
    const unsigned char* start = reinterpret_cast<unsigned char*>(image->infoHeader());
    uint64_t pixelStart = static_cast<uint64_t>(image->pixelBits() - start);
    Require(pixelStart <= image->blockSize(), "pixels outside the block");
    Require(pixelStart == image->infoHeader()->biSize + 4ull * image->colorCount(),
            "pixels not after the colour table");
    // A header shorter than 40 bytes lets the pixel array overlap it; those
    // bytes are pixels then, held to the pixel rule by CheckSkin.
    if (built && pixelStart < kInfoHeaderSize)
        return;
    // Only biClrUsed may differ from the file: written back when it was 0.
    BITMAPINFOHEADER stored;
    std::memcpy(&stored, data + kFileHeaderSize, sizeof stored);
    uint32_t colours = stored.biClrUsed;
    stored.biClrUsed = image->infoHeader()->biClrUsed;
    Require(std::memcmp(&stored, image->infoHeader(), sizeof stored) == 0, "info header changed");
    Require(colours == 0 || colours == stored.biClrUsed, "a non-zero biClrUsed changed");
}

// Against the input itself: exactly the pixels stored as blue 255, green 0,
// red 255 are white in the mask and black in the picture; every other pixel
// and every pad byte of the picture is as the file has it. The mask's pad
// bytes are never written, so they are not looked at.
static void CheckSkin(const uint8_t* data)
{
    Require(SkinImage.mask != nullptr, "a built skin without a mask");
    Require(SkinImage.width > 0 && SkinImage.height > 0, "a built skin with no size");
    DibImage* image = SkinImage.image;
    uint64_t rowBytes = SkinRowBytes(SkinImage.width);
    uint64_t pixelStart = static_cast<uint64_t>(
        image->pixelBits() - reinterpret_cast<unsigned char*>(image->infoHeader()));
    Require(pixelStart + rowBytes * uint64_t(SkinImage.height) <= image->blockSize(),
            "pixel array past the block");
    const uint8_t* stored = data + kFileHeaderSize + pixelStart;
    uint64_t pixelBytes = 3 * uint64_t(SkinImage.width);
    uint64_t keyPixels = 0;
    for (int32_t row = 0; row < SkinImage.height; row++) {
        const unsigned char* picture = image->pixelBits() + row * rowBytes;
        const unsigned char* mask = SkinImage.mask + row * rowBytes;
        const uint8_t* file = stored + row * rowBytes;
        for (uint64_t i = 0; i < pixelBytes; i += 3) {
            bool key = file[i] == 255 && file[i + 1] == 0 && file[i + 2] == 255;
            unsigned char shade = key ? 255 : 0;
            keyPixels += key;
            Require(mask[i] == shade && mask[i + 1] == shade && mask[i + 2] == shade,
                    "mask pixel does not match the key colour test");
            for (int c = 0; c < 3; c++)
                Require(picture[i + c] == (key ? 0 : file[i + c]), "picture pixel changed wrongly");
        }
        for (uint64_t i = pixelBytes; i < rowBytes; i++)
            Require(picture[i] == file[i], "picture pad byte changed");
    }
    Require(SkinImage.seeThroughPixels == keyPixels, "see-through pixels miscounted");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartInput();
    LoadFailure failure;
    int built = BuildSkinFromBytes(data, size, &failure);
    Require(built == (failure == LoadFailure::None), "a reason for a built skin, or none for a rejected one");
    Require((failure == LoadFailure::NotBitmap) == (shownMessageCount == 1), "reader message without its reason");
    CheckReader(data, size, built);
    if (built)
        CheckSkin(data);
    else
        Require(SkinImage.mask == nullptr, "a rejected skin kept a mask");
    return 0;
}
