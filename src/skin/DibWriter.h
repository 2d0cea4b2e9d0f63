#ifndef LUM_SKIN_DIBWRITER_H
#define LUM_SKIN_DIBWRITER_H

#include "DibImage.h"
#include "SkinImage.h"

#include <cstdint>

// A written skin's pixel array follows its two headers directly.
const uint32_t kDibPixelOffset = kFileHeaderSize + kInfoHeaderSize;

inline void PutLittleEndian(unsigned char* out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; i++)
        out[i] = static_cast<unsigned char>(value >> (8 * i));
}

// The headers of a skin file, a 24-bit bottom-up bitmap of width x height
// whose pixelBytes of pixels follow at kDibPixelOffset: written over the
// kDibPixelOffset zeroed bytes at out.
inline void WriteDibHeaders(unsigned char* out, int32_t width, int32_t height, uint64_t pixelBytes)
{
    out[0] = 'B';
    out[1] = 'M';
    PutLittleEndian(out + 2, kDibPixelOffset + pixelBytes, 4);
    PutLittleEndian(out + 10, kDibPixelOffset, 4);
    unsigned char* info = out + kFileHeaderSize;
    PutLittleEndian(info, kInfoHeaderSize, 4);
    PutLittleEndian(info + 4, uint32_t(width), 4);
    PutLittleEndian(info + 8, uint32_t(height), 4);
    PutLittleEndian(info + 12, 1, 2);   // planes
    PutLittleEndian(info + 14, 24, 2);  // bits per pixel; compression stays 0, BI_RGB
    PutLittleEndian(info + 20, pixelBytes, 4);
    PutLittleEndian(info + 24, 2835, 4);  // 72 dots per inch, both ways
    PutLittleEndian(info + 28, 2835, 4);
}

#endif
