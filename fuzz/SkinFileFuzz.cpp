// Arbitrary bytes as "lum.bmp": the reader and BuildSkin must either reject
// the file or produce a skin whose pixel array and mask lie inside what was
// allocated, with the reader's message exactly for files not starting "BM".
#include "FuzzFolder.h"
#include "SkinImage.h"

#include <cstdint>

static void CheckReader(const uint8_t* data, size_t size)
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
}

// Every mask byte is 0 or 255, and exactly the key-colour pixels, now black,
// are white in the mask. Touching every pixel byte also lets the sanitizer
// prove the array lies inside the block.
static void CheckSkin()
{
    Require(SkinImage.mask != nullptr, "a built skin without a mask");
    Require(SkinImage.width > 0 && SkinImage.height > 0, "a built skin with no size");
    DibImage* image = SkinImage.image;
    uint64_t rowBytes = SkinRowBytes(SkinImage.width);
    uint64_t pixelStart = static_cast<uint64_t>(
        image->pixelBits() - reinterpret_cast<unsigned char*>(image->infoHeader()));
    Require(pixelStart + rowBytes * uint64_t(SkinImage.height) <= image->blockSize(),
            "pixel array past the block");
    for (int32_t row = 0; row < SkinImage.height; row++) {
        const unsigned char* picture = image->pixelBits() + row * rowBytes;
        const unsigned char* mask = SkinImage.mask + row * rowBytes;
        for (int32_t i = 0; i < 3 * SkinImage.width; i += 3) {
            Require(mask[i] == mask[i + 1] && mask[i] == mask[i + 2], "mask pixel not grey");
            Require(mask[i] == 0 || mask[i] == 255, "mask pixel neither black nor white");
            bool black = picture[i] == 0 && picture[i + 1] == 0 && picture[i + 2] == 0;
            Require(mask[i] == 0 || black, "see-through pixel left coloured");
        }
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ResetSkinModel();
    EnterFuzzFolder();
    WriteFuzzFile(kSkinFileName, data, size);
    int built = BuildSkin();
    LeaveFuzzFolder();
    CheckReader(data, size);
    if (built)
        CheckSkin();
    else
        Require(SkinImage.mask == nullptr, "a rejected skin kept a mask");
    return 0;
}
