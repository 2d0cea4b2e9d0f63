#ifndef LUM_PLATFORM_BITMAPINFO_H
#define LUM_PLATFORM_BITMAPINFO_H

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>

// The Win32 layout, field for field, for builds without <windows.h>.
#pragma pack(push, 2)
struct BITMAPINFOHEADER {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
#pragma pack(pop)

// biCompression of uncompressed pixels.
const uint32_t BI_RGB = 0;
#endif

static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER must be 40 bytes");

#endif
