#include "SkinImage.h"

#include "LockedBlock.h"

#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

SkinImageRecord SkinImage;

uint64_t SkinRowBytes(int32_t width)
{
    uint64_t pixelBytes = 3 * static_cast<uint64_t>(width);
    return pixelBytes + (4 - pixelBytes % 4) % 4;
}

static uint64_t MaskPixel(unsigned char* picture, unsigned char* shade)
{
    unsigned char see =
        picture[0] == kKeyColour[0] && picture[1] == kKeyColour[1] && picture[2] == kKeyColour[2] ? 255 : 0;
    shade[0] = shade[1] = shade[2] = see;
    if (see)
        picture[0] = picture[2] = 0;
    return see & 1u;
}

#if defined(__SSE2__)
// Sixteen pixels fill three 16-byte vectors exactly, so a block of them starts
// and ends on pixel boundaries. A skin is mostly long runs of picture or of key
// colour, so most blocks are settled by a compare and one test; only blocks on
// an edge between the two spread the per-pixel result back over the bytes.
const int32_t kBlockPixels = 16;
const int kBlockBytes = 3 * kBlockPixels;
const uint64_t kPixelStarts = 0x249249249249u;  // bits 0, 3, ..., 45

// The key colour's bytes as they fall in each of the block's three vectors.
static __m128i KeyBytes(int vector)
{
    alignas(16) unsigned char bytes[16];
    for (int i = 0; i < 16; i++)
        bytes[i] = kKeyColour[(16 * vector + i) % 3];
    return _mm_load_si128(reinterpret_cast<const __m128i*>(bytes));
}

// 255 in byte i where bit i of bits is set, 0 elsewhere.
static __m128i SpreadBits(uint32_t bits)
{
    const __m128i select = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
    __m128i spread = _mm_cvtsi32_si128(static_cast<int>(bits));
    spread = _mm_unpacklo_epi8(spread, spread);
    spread = _mm_unpacklo_epi16(spread, spread);
    spread = _mm_unpacklo_epi32(spread, spread);
    return _mm_cmpeq_epi8(_mm_and_si128(spread, select), select);
}

static uint64_t KeyByteMatches(__m128i bytes, __m128i key)
{
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, key)));
}

static void StoreMaskVector(unsigned char* picture, unsigned char* shade, __m128i bytes, uint64_t keyBytes)
{
    __m128i see = SpreadBits(static_cast<uint32_t>(keyBytes & 0xFFFF));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(shade), see);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(picture), _mm_andnot_si128(see, bytes));
}

static uint64_t MaskBlock(unsigned char* picture, unsigned char* shade, const __m128i key[3])
{
    __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(picture));
    __m128i middle = _mm_loadu_si128(reinterpret_cast<const __m128i*>(picture + 16));
    __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(picture + 32));
    uint64_t matches = KeyByteMatches(low, key[0]) | KeyByteMatches(middle, key[1]) << 16 |
                       KeyByteMatches(high, key[2]) << 32;
    uint64_t keyPixels = matches & (matches >> 1) & (matches >> 2) & kPixelStarts;
    if (keyPixels == 0) {
        __m128i opaque = _mm_setzero_si128();
        _mm_storeu_si128(reinterpret_cast<__m128i*>(shade), opaque);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(shade + 16), opaque);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(shade + 32), opaque);
        return 0;
    }
    uint64_t keyBytes = keyPixels | keyPixels << 1 | keyPixels << 2;
    StoreMaskVector(picture, shade, low, keyBytes);
    StoreMaskVector(picture + 16, shade + 16, middle, keyBytes >> 16);
    StoreMaskVector(picture + 32, shade + 32, high, keyBytes >> 32);
    return static_cast<uint64_t>(__builtin_popcountll(keyPixels));
}
#endif

// Whole blocks first, then the row's last pixels one by one; builds without
// SSE2 (the 32-bit Windows one) take every pixel singly.
static uint64_t MaskRow(unsigned char* picture, unsigned char* shade, int32_t width)
{
    uint64_t seeThrough = 0;
    int32_t x = 0;
#if defined(__SSE2__)
    const __m128i key[3] = {KeyBytes(0), KeyBytes(1), KeyBytes(2)};
    for (; width - x >= kBlockPixels; x += kBlockPixels, picture += kBlockBytes, shade += kBlockBytes)
        seeThrough += MaskBlock(picture, shade, key);
#endif
    for (; x < width; x++, picture += 3, shade += 3)
        seeThrough += MaskPixel(picture, shade);
    return seeThrough;
}

uint64_t BuildSkinMask(unsigned char* pixels, unsigned char* mask, int32_t width, int32_t height)
{
    uint64_t rowBytes = SkinRowBytes(width);
    uint64_t seeThrough = 0;
    for (int32_t row = 0; row < height; row++)
        seeThrough += MaskRow(pixels + row * rowBytes, mask + row * rowBytes, width);
    return seeThrough;
}

void SkinRgba(unsigned char* rgba)
{
    int32_t width = SkinImage.width, height = SkinImage.height;
    uint64_t rowBytes = SkinRowBytes(width);
    for (int32_t y = 0; y < height; y++) {
        // Bottom-up: the top row is stored last.
        uint64_t stored = uint64_t(height - 1 - y) * rowBytes;
        const unsigned char* pixel = SkinImage.image->pixelBits() + stored;
        const unsigned char* shade = SkinImage.mask + stored;
        for (int32_t x = 0; x < width; x++, pixel += 3, shade += 3, rgba += 4) {
            rgba[0] = pixel[2];
            rgba[1] = pixel[1];
            rgba[2] = pixel[0];
            rgba[3] = shade[0] == 255 ? 0 : 255;
        }
    }
}

// Checks the skin's reader and builds the mask for it.
static LoadFailure BuildSkinFrom(DibImage* image)
{
    if (!image)
        return LoadFailure::NoMemory;
    if (!image->isValid())
        return image->failureReason();
    const BITMAPINFOHEADER* header = image->infoHeader();
    if (header->biBitCount != kSkinBitCount)
        return LoadFailure::Not24Bit;
    // The drawing call refuses compressed 24-bit pixels, so the window would
    // show nothing at all.
    if (header->biCompression != BI_RGB)
        return LoadFailure::Compressed;
    SkinImage.width = image->width();
    SkinImage.height = image->height();
    if (SkinImage.height < 0)
        return LoadFailure::TopDown;
    if (SkinImage.width <= 0 || SkinImage.height == 0)
        return LoadFailure::ZeroSize;
    // Both factors are below 2^33 and 2^31, so the products cannot wrap in 64 bits.
    uint64_t maskBytes = SkinRowBytes(SkinImage.width) * static_cast<uint64_t>(SkinImage.height);
    uint64_t pixelStart = static_cast<uint64_t>(image->pixelBits() -
                                                reinterpret_cast<unsigned char*>(image->infoHeader()));
    if (maskBytes > image->blockSize() - pixelStart)
        return LoadFailure::PixelsOutsideFile;
    SkinImage.mask = static_cast<unsigned char*>(AllocLockedBlock(maskBytes));
    if (!SkinImage.mask)
        return LoadFailure::NoMemory;
    SkinImage.seeThroughPixels = BuildSkinMask(image->pixelBits(), SkinImage.mask, SkinImage.width, SkinImage.height);
    return LoadFailure::None;
}

static int Built(LoadFailure result, LoadFailure* failure)
{
    *failure = result;
    return result == LoadFailure::None;
}

int BuildSkinFile(const char* path, LoadFailure* failure)
{
    SkinImage.image = new (std::nothrow) DibImage(path);
    return Built(BuildSkinFrom(SkinImage.image), failure);
}

int BuildSkinFromBytes(const unsigned char* bytes, uint64_t size, LoadFailure* failure)
{
    SkinImage.image = new (std::nothrow) DibImage(bytes, size);
    return Built(BuildSkinFrom(SkinImage.image), failure);
}
