#ifndef LUM_SKIN_SKINIMAGE_H
#define LUM_SKIN_SKINIMAGE_H

#include "DibImage.h"

#include <cstdint>

const char kSkinFileName[] = "lum.bmp";

// The see-through colour, magenta, in the pixel array's blue, green, red order.
const unsigned char kKeyColour[3] = {255, 0, 255};

struct SkinImageRecord {
    DibImage* image;
    int32_t width;
    int32_t height;
    unsigned char* mask;
    uint64_t seeThroughPixels;  // of the built skin
};

extern SkinImageRecord SkinImage;

// Reads the bitmap file at path, blackens its magenta pixels and builds the
// mask that is white exactly there: 1, or 0 with the reason when the skin is
// unusable (not a readable 24-bit bottom-up bitmap, or too short for its size).
int BuildSkinFile(const char* path, LoadFailure* failure);

// The same from a bitmap file's bytes held in memory, which stay unchanged.
int BuildSkinFromBytes(const unsigned char* bytes, uint64_t size, LoadFailure* failure);

// Bytes in one stored row of a 24-bit picture: 3 per pixel, padded to 4.
uint64_t SkinRowBytes(int32_t width);

// Blackens the key-colour pixels of a 24-bit pixel array and writes the mask
// beside it; the mask's row pad bytes are not written. Gives the number of
// key-colour pixels, which the mask leaves see-through.
uint64_t BuildSkinMask(unsigned char* pixels, unsigned char* mask, int32_t width, int32_t height);

// The built skin as the window paints it, for a preview: RGBA, top row first,
// with the see-through pixels fully transparent (their colour is blackened
// already). rgba holds width x height x 4 bytes.
void SkinRgba(unsigned char* rgba);

#endif
