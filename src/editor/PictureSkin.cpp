#include "PictureSkin.h"

#include "DibWriter.h"

#include <cstring>

static const unsigned char kOpaqueAlpha = 128;

static unsigned char NearKeyChannel(int channel)
{
    return static_cast<unsigned char>(channel ? channel - 1 : 0);
}

// Blue, green, red: one step off the key colour on each of its lit channels.
static const unsigned char kNearKeyColour[3] = {NearKeyChannel(kKeyColour[0]), NearKeyChannel(kKeyColour[1]),
                                                NearKeyChannel(kKeyColour[2])};

int WritePictureSkin(const unsigned char* rgba, int32_t width, int32_t height,
                     std::vector<unsigned char>* file, uint64_t* keyColouredOpaque)
{
    if (width <= 0 || height <= 0)
        return 0;
    uint64_t rowBytes = SkinRowBytes(width);
    uint64_t pixelBytes = rowBytes * uint64_t(height);
    uint64_t size = kDibPixelOffset + pixelBytes;
    if (size > UINT32_MAX)
        return 0;
    file->assign(size_t(size), 0);
    WriteDibHeaders(file->data(), width, height, pixelBytes);
    *keyColouredOpaque = 0;
    for (int32_t y = 0; y < height; y++) {
        // Bottom-up: the picture's top row is the file's last.
        unsigned char* row = file->data() + kDibPixelOffset + uint64_t(height - 1 - y) * rowBytes;
        const unsigned char* in = rgba + uint64_t(y) * uint64_t(width) * 4;
        for (int32_t x = 0; x < width; x++, in += 4, row += 3) {
            row[0] = in[2];
            row[1] = in[1];
            row[2] = in[0];
            if (in[3] < kOpaqueAlpha) {
                std::memcpy(row, kKeyColour, 3);
            } else if (std::memcmp(row, kKeyColour, 3) == 0) {
                std::memcpy(row, kNearKeyColour, 3);
                ++*keyColouredOpaque;
            }
        }
    }
    return 1;
}

void NearKeyColour(unsigned char colour[3])
{
    std::memcpy(colour, kNearKeyColour, 3);
}
