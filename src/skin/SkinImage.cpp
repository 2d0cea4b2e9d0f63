#include "SkinImage.h"

#include "LockedBlock.h"

#include <new>

SkinImageRecord SkinImage;

static const uint16_t kSkinBitCount = 24;

uint64_t SkinRowBytes(int32_t width)
{
    uint64_t pixelBytes = 3 * static_cast<uint64_t>(width);
    return pixelBytes + (4 - pixelBytes % 4) % 4;
}

void BuildSkinMask(unsigned char* pixels, unsigned char* mask, int32_t width, int32_t height)
{
    uint64_t rowBytes = SkinRowBytes(width);
    for (int32_t row = 0; row < height; row++) {
        unsigned char* picture = pixels + row * rowBytes;
        unsigned char* shade = mask + row * rowBytes;
        for (int32_t x = 0; x < width; x++, picture += 3, shade += 3) {
            // The key colour is stored blue, green, red: 255, 0, 255.
            unsigned char see = picture[0] == 255 && picture[1] == 0 && picture[2] == 255 ? 255 : 0;
            shade[0] = shade[1] = shade[2] = see;
            if (see)
                picture[0] = picture[2] = 0;
        }
    }
}

int BuildSkin()
{
    SkinImage.image = new (std::nothrow) DibImage(kSkinFileName);
    DibImage* image = SkinImage.image;
    if (!image || !image->isValid())
        return 0;
    if (image->infoHeader()->biBitCount != kSkinBitCount)
        return 0;
    SkinImage.width = image->width();
    SkinImage.height = image->height();
    if (SkinImage.width <= 0 || SkinImage.height <= 0)
        return 0;
    // Both factors are below 2^33 and 2^31, so the products cannot wrap in 64 bits.
    uint64_t maskBytes = SkinRowBytes(SkinImage.width) * static_cast<uint64_t>(SkinImage.height);
    uint64_t pixelStart = static_cast<uint64_t>(image->pixelBits() -
                                                reinterpret_cast<unsigned char*>(image->infoHeader()));
    if (maskBytes > image->blockSize() - pixelStart)
        return 0;
    SkinImage.mask = static_cast<unsigned char*>(AllocLockedBlock(maskBytes));
    if (!SkinImage.mask)
        return 0;
    BuildSkinMask(image->pixelBits(), SkinImage.mask, SkinImage.width, SkinImage.height);
    return 1;
}
