// Skin files built to break a careless reader: each must end in a clean
// rejection with its one reason (the skin is not built, so the program says "no
// valid Bitmap!"), never a read past the block or a giant allocation. The
// sanitizer run of these tests is what proves "never".
#include "SkinImage.h"
#include "TestSupport.h"

#include <cstring>
#include <string>

namespace {

class HostileSkinTest : public SkinModelTest {
protected:
    // Rejected for reason, without the reader's "not a bitmap" message.
    void ExpectQuietRejection(const std::string& bytes, LoadFailure reason, const char* why)
    {
        ResetSkinModel();
        LoadFailure failure = LoadFailure::None;
        EXPECT_EQ(BuildSkinFromBytes(BytesOf(bytes), bytes.size(), &failure), 0) << why;
        EXPECT_EQ(failure, reason) << why << ": got " << LoadFailureWord(failure);
        EXPECT_EQ(SkinImage.mask, nullptr) << why;
        EXPECT_TRUE(shownMessages.empty()) << why;
    }
};

TEST_F(HostileSkinTest, FilesTooShortForTheirHeaders)
{
    BitmapSpec layout;
    layout.pixels = std::string(4, '\0');
    std::string good = MakeBitmap(layout);
    ExpectQuietRejection("BM", LoadFailure::TooShortForHeaders, "only the signature");
    ExpectQuietRejection(good.substr(0, 13), LoadFailure::TooShortForHeaders, "shorter than the file header");
    ExpectQuietRejection(good.substr(0, 14), LoadFailure::TooShortForHeaders, "nothing after the file header");
    ExpectQuietRejection(good.substr(0, 14 + 39), LoadFailure::TooShortForHeaders,
                         "one byte short of the info header");
}

TEST_F(HostileSkinTest, HeaderSizeAndColourTableOutsideTheFile)
{
    BitmapSpec layout;
    layout.pixels = std::string(4, '\0');
    std::string file = MakeBitmap(layout);

    std::string huge = file;
    SetField(huge, kBiSize, 0xFFFFFFFF, 4);
    ExpectQuietRejection(huge, LoadFailure::TooShortForHeaders, "biSize 0xFFFFFFFF");

    std::string past = file;
    SetField(past, kBiSize, static_cast<uint32_t>(file.size() - 14 + 1), 4);
    ExpectQuietRejection(past, LoadFailure::TooShortForHeaders, "biSize one past the block");

    std::string colours = file;
    SetField(colours, kBiClrUsed, 0xFFFFFFFF, 4);
    ExpectQuietRejection(colours, LoadFailure::ColourTableOutsideFile, "biClrUsed 0xFFFFFFFF");

    std::string table = file;
    SetField(table, kBiClrUsed, 2, 4);  // 8 bytes of table, 4 bytes in the file
    ExpectQuietRejection(table, LoadFailure::ColourTableOutsideFile, "colour table longer than the file");

    BitmapSpec eight;
    eight.bitCount = 8;
    ExpectQuietRejection(MakeBitmap(eight), LoadFailure::ColourTableOutsideFile,
                         "8-bit header with no colour table bytes");
}

TEST_F(HostileSkinTest, PixelArraysLargerThanTheFile)
{
    BitmapSpec layout;
    layout.width = 0x40000000;
    layout.height = 1;
    layout.pixels = std::string(16, '\0');
    ExpectQuietRejection(MakeBitmap(layout), LoadFailure::PixelsOutsideFile, "width 0x40000000");

    layout.width = 4000;
    layout.height = 4000;
    ExpectQuietRejection(MakeBitmap(layout), LoadFailure::PixelsOutsideFile, "4000 x 4000 with no pixel data");

    layout.width = 0x7FFFFFFF;
    layout.height = 0x7FFFFFFF;
    ExpectQuietRejection(MakeBitmap(layout), LoadFailure::PixelsOutsideFile, "largest positive size");

    // 3 x 2 needs two rows of 12 bytes; one byte less must be refused, the
    // exact size accepted.
    layout.width = 3;
    layout.height = 2;
    layout.pixels = std::string(23, '\0');
    ExpectQuietRejection(MakeBitmap(layout), LoadFailure::PixelsOutsideFile, "pixel array one byte short");
    ResetSkinModel();
    layout.pixels = std::string(24, '\0');
    std::string exact = MakeBitmap(layout);
    LoadFailure failure;
    EXPECT_EQ(BuildSkinFromBytes(BytesOf(exact), exact.size(), &failure), 1);
}

TEST_F(HostileSkinTest, PixelArrayPushedOutByTheColourTable)
{
    BitmapSpec layout;
    layout.clrUsed = 1;
    layout.pixels = std::string(4, '\0');  // room for the table or the pixels, not both
    ExpectQuietRejection(MakeBitmap(layout), LoadFailure::PixelsOutsideFile,
                         "pixels shifted past the end by the table");
}

// A 12-byte core header is misread as a 40-byte one: whatever that makes of
// it, nothing outside the file may be touched.
TEST_F(HostileSkinTest, CoreHeaderIsMisreadSafely)
{
    std::string file = "BM";
    file += std::string(12, '\0');
    const unsigned char core[] = {12, 0, 0, 0, 2, 0, 2, 0, 1, 0, 24, 0};
    file.append(reinterpret_cast<const char*>(core), sizeof core);
    file += std::string(40, '\x5A');
    ExpectQuietRejection(file, LoadFailure::ColourTableOutsideFile, "core header");
}

// Headers changed at random around a usable skin, mostly within the ranges the
// reader takes and now and then far past them, in files cut short at random:
// whatever skin is built lies inside the file, and enough rounds build one
// for that to be tested at all.
TEST_F(HostileSkinTest, RandomisedHeadersNeverReadOutsideTheFile)
{
    BitmapSpec layout;
    layout.width = 5;
    layout.height = 3;
    layout.pixels = std::string(64, '\x10');  // three rows of 16 bytes and a spare one
    std::string base = MakeBitmap(layout);
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % below;
    };
    auto field = [&](uint32_t first, uint32_t count, uint32_t far) { return next(16) ? first + next(count) : far; };
    int built = 0;
    const int rounds = 400;
    for (int round = 0; round < rounds; round++) {
        std::string file = base.substr(0, base.size() - next(2) * next(48));
        SetField(file, kBiSize, field(34, 20, seed), 4);
        // A far width makes rows of 2^32 and a few bytes: a size kept in 32 bits wraps.
        SetField(file, kBiWidth, field(-1, 8, 0x55555555u + next(8)), 4);
        SetField(file, kBiHeight, field(-1, 6, seed), 4);
        SetField(file, kBiClrUsed, field(0, 4, seed), 4);
        ResetSkinModel();
        LoadFailure failure;
        if (!BuildSkinFromBytes(BytesOf(file), file.size(), &failure))
            continue;
        built++;
        uint64_t used = SkinRowBytes(SkinImage.width) * static_cast<uint64_t>(SkinImage.height);
        uint64_t start = static_cast<uint64_t>(SkinImage.image->pixelBits() -
                                               reinterpret_cast<unsigned char*>(SkinImage.image->infoHeader()));
        EXPECT_LE(start + used, SkinImage.image->blockSize()) << "round " << round;
    }
    EXPECT_GT(built, 0);
    EXPECT_LT(built, rounds);
}

}  // namespace
