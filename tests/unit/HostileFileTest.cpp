// Skin files built to break a careless reader: each must end in a clean
// rejection with its one reason (BuildSkin returns 0, so the program says "no
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

    static void SetField(std::string& file, size_t offset, uint32_t value)
    {
        for (int i = 0; i < 4; i++)
            file[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
};

const size_t kBiSize = 14, kBiWidth = 18, kBiHeight = 22, kBiClrUsed = 46;

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
    SetField(huge, kBiSize, 0xFFFFFFFF);
    ExpectQuietRejection(huge, LoadFailure::TooShortForHeaders, "biSize 0xFFFFFFFF");

    std::string past = file;
    SetField(past, kBiSize, static_cast<uint32_t>(file.size() - 14 + 1));
    ExpectQuietRejection(past, LoadFailure::TooShortForHeaders, "biSize one past the block");

    std::string colours = file;
    SetField(colours, kBiClrUsed, 0xFFFFFFFF);
    ExpectQuietRejection(colours, LoadFailure::ColourTableOutsideFile, "biClrUsed 0xFFFFFFFF");

    std::string table = file;
    SetField(table, kBiClrUsed, 2);  // 8 bytes of table, 4 bytes in the file
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

TEST_F(HostileSkinTest, RandomisedHeadersNeverReadOutsideTheFile)
{
    BitmapSpec layout;
    layout.width = 5;
    layout.height = 3;
    layout.pixels = std::string(48, '\x10');
    std::string base = MakeBitmap(layout);
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    const size_t fields[] = {kBiSize, kBiWidth, kBiHeight, kBiClrUsed};
    for (int round = 0; round < 400; round++) {
        std::string file = base.substr(0, 14 + next() % (base.size() - 13));
        for (size_t field : fields)
            if (field + 4 <= file.size() && next() % 2)
                SetField(file, field, next() % 4 ? next() % 200 : next());
        ResetSkinModel();
        LoadFailure failure;
        BuildSkinFromBytes(BytesOf(file), file.size(), &failure);
        if (SkinImage.mask) {
            uint64_t used = SkinRowBytes(SkinImage.width) * static_cast<uint64_t>(SkinImage.height);
            uint64_t start = static_cast<uint64_t>(
                SkinImage.image->pixelBits() -
                reinterpret_cast<unsigned char*>(SkinImage.image->infoHeader()));
            EXPECT_LE(start + used, SkinImage.image->blockSize()) << "round " << round;
        }
    }
}

}  // namespace
