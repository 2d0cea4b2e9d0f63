#ifndef LUM_EDITOR_PICTURESKIN_H
#define LUM_EDITOR_PICTURESKIN_H

#include <cstdint>
#include <vector>

// A decoded picture turned into a skin file: a 24-bit bottom-up bitmap with a
// 40-byte info header. Pixels with alpha below 128 become the key colour;
// opaque pixels that already have the key colour become NearKeyColour, so
// that they stay visible. rgba holds width x height pixels, top row first.
// 1 with the file's bytes, or 0 when the size is not positive or the file
// would not fit in a 32-bit size field.
// One step off the key colour on each of its lit channels, in the pixel
// array's blue, green, red order.
void NearKeyColour(unsigned char colour[3]);

int WritePictureSkin(const unsigned char* rgba, int32_t width, int32_t height,
                     std::vector<unsigned char>* file, uint64_t* keyColouredOpaque);

#endif
