#include "SkinImage.h"
#include "TestSupport.h"

#include <algorithm>
#include <string>

namespace {

class SkinImageTest : public SkinModelTest {
protected:
    // Builds the skin from a file's bytes: 1, or 0 with the reason in failure.
    int Build(const std::string& file)
    {
        return BuildSkinFromBytes(BytesOf(file), file.size(), &failure);
    }
    int BuildSkinOf(int32_t width, int32_t height, const std::string& pixels, uint16_t bits = 24)
    {
        BitmapSpec layout;
        layout.width = width;
        layout.height = height;
        layout.bitCount = bits;
        layout.pixels = pixels;
        return Build(MakeBitmap(layout));
    }
    LoadFailure failure = LoadFailure::None;

    static std::string Bytes(const unsigned char* data, size_t size)
    {
        return std::string(reinterpret_cast<const char*>(data), size);
    }
};

TEST_F(SkinImageTest, FourMagentaPixelsGiveAWhiteMaskAndABlackPicture)
{
    ASSERT_EQ(BuildSkinOf(4, 1, PixelRows(4, {{kKeyPixel, kKeyPixel, kKeyPixel, kKeyPixel}})), 1);
    EXPECT_EQ(SkinImage.width, 4);
    EXPECT_EQ(SkinImage.height, 1);
    EXPECT_EQ(Bytes(SkinImage.mask, 12), std::string(12, '\xFF'));
    EXPECT_EQ(Bytes(SkinImage.image->pixelBits(), 12), std::string(12, '\0'));
}

// Widths 1 to 4 cover every row pad; each row mixes key-colour and opaque pixels.
TEST_F(SkinImageTest, RowsArePaddedAndEveryPixelIsClassified)
{
    for (int32_t width = 1; width <= 4; width++) {
        ResetSkinModel();
        std::vector<uint32_t> top, bottom;
        for (int32_t x = 0; x < width; x++) {
            top.push_back(x % 2 ? 0x123456 : kKeyPixel);
            bottom.push_back(x % 2 ? kKeyPixel : 0xFF01FF);  // one green step off the key
        }
        std::string pixels = PixelRows(width, {top, bottom});
        ASSERT_EQ(BuildSkinOf(width, 2, pixels), 1) << "width " << width;
        EXPECT_EQ(SkinImage.seeThroughPixels, uint64_t(width)) << "width " << width;

        uint64_t rowBytes = SkinRowBytes(width);
        EXPECT_EQ(rowBytes, static_cast<uint64_t>(3 * width + width % 4)) << "width " << width;
        const unsigned char* picture = SkinImage.image->pixelBits();
        // Stored bottom-up: the first stored row is the bottom one.
        for (int32_t row = 0; row < 2; row++) {
            const std::vector<uint32_t>& colours = row == 0 ? bottom : top;
            for (int32_t x = 0; x < width; x++) {
                size_t at = static_cast<size_t>(row * rowBytes + 3 * x);
                bool key = colours[x] == kKeyPixel;
                std::string expectMask(3, key ? '\xFF' : '\0');
                std::string expectPicture = key ? std::string(3, '\0') : pixels.substr(at, 3);
                EXPECT_EQ(Bytes(SkinImage.mask + at, 3), expectMask)
                    << "width " << width << " row " << row << " x " << x;
                EXPECT_EQ(Bytes(picture + at, 3), expectPicture)
                    << "width " << width << " row " << row << " x " << x;
            }
            // The picture's pad bytes are left alone.
            size_t pad = static_cast<size_t>(row * rowBytes + 3 * width);
            EXPECT_EQ(Bytes(picture + pad, rowBytes - 3 * width), pixels.substr(pad, rowBytes - 3 * width));
        }
    }
}

// Wide rows are classified many pixels at a time; each row here puts key and
// opaque pixels at every place in such a group, and its tail beyond the last
// whole group. Opaque neighbours spell 255, 0, 255 across pixel boundaries.
TEST_F(SkinImageTest, WideRowsAreClassifiedPixelByPixel)
{
    const int32_t width = 63;
    const std::vector<uint32_t> decoys = {0x00FF12, 0x5600FF, 0xFF01FF, 0xFF00FE, 0xFE00FF, 0x000000};
    std::vector<std::vector<uint32_t>> rows(5, std::vector<uint32_t>(width));
    for (int32_t x = 0; x < width; x++) {
        uint32_t decoy = decoys[x % decoys.size()];
        rows[0][x] = kKeyPixel;
        rows[1][x] = decoy;
        rows[2][x] = (x * 7 + 3) % 5 < 2 ? kKeyPixel : decoy;
        rows[3][x] = x % 16 == 0 || x % 16 == 15 || x == width - 1 ? kKeyPixel : decoy;
        rows[4][x] = x % 16 == 0 || x % 16 == 15 || x == width - 1 ? decoy : kKeyPixel;
    }
    std::string original = PixelRows(width, rows);
    std::string picture = original;
    std::string mask(picture.size(), '\xAB');
    uint64_t seeThrough = BuildSkinMask(reinterpret_cast<unsigned char*>(&picture[0]),
                                        reinterpret_cast<unsigned char*>(&mask[0]), width,
                                        static_cast<int32_t>(rows.size()));
    uint64_t keyPixels = 0;
    for (const std::vector<uint32_t>& row : rows)
        keyPixels += uint64_t(std::count(row.begin(), row.end(), kKeyPixel));
    EXPECT_EQ(seeThrough, keyPixels);

    uint64_t rowBytes = SkinRowBytes(width);
    for (size_t stored = 0; stored < rows.size(); stored++) {
        const std::vector<uint32_t>& colours = rows[rows.size() - 1 - stored];
        for (int32_t x = 0; x < width; x++) {
            size_t at = static_cast<size_t>(stored * rowBytes + 3 * x);
            bool key = colours[x] == kKeyPixel;
            EXPECT_EQ(mask.substr(at, 3), std::string(3, key ? '\xFF' : '\0')) << "row " << stored << " x " << x;
            EXPECT_EQ(picture.substr(at, 3), key ? std::string(3, '\0') : original.substr(at, 3))
                << "row " << stored << " x " << x;
        }
        size_t pad = static_cast<size_t>(stored * rowBytes + 3 * width);
        EXPECT_EQ(mask.substr(pad, rowBytes - 3 * width), std::string(rowBytes - 3 * width, '\xAB'));
        EXPECT_EQ(picture.substr(pad, rowBytes - 3 * width), original.substr(pad, rowBytes - 3 * width));
    }
}

TEST_F(SkinImageTest, ColorTableBeforeTwentyFourBitPixelsIsSkipped)
{
    BitmapSpec layout;
    layout.clrUsed = 2;
    layout.colorEntries = 2;
    layout.pixels = PixelRows(1, {{kKeyPixel}});
    ASSERT_EQ(Build(MakeBitmap(layout)), 1);
    EXPECT_EQ(Bytes(SkinImage.mask, 3), std::string(3, '\xFF'));
}

// Each rejection names its one reason and shows nothing of its own; its
// sentence names the header's value that it is about.
TEST_F(SkinImageTest, OnlyBottomUpUncompressedTwentyFourBitSkinsWithAPositiveSizeAreAccepted)
{
    const struct { int32_t width, height; uint16_t bits; uint32_t compression; LoadFailure reason; const char* says; }
        rejected[] = {{2, 2, 8, 0, LoadFailure::Not24Bit, "has 8 bits"}, {2, 2, 32, 0, LoadFailure::Not24Bit, ""},
                      {2, 2, 1, 0, LoadFailure::Not24Bit, ""},        {2, -2, 24, 0, LoadFailure::TopDown, ""},
                      {2, INT32_MIN, 24, 0, LoadFailure::TopDown, ""}, {0, 2, 24, 0, LoadFailure::ZeroSize, ""},
                      {2, 0, 24, 0, LoadFailure::ZeroSize, ""},       {-2, 2, 24, 0, LoadFailure::ZeroSize, ""},
                      {2, 2, 24, 1, LoadFailure::Compressed, ""},     {2, 2, 24, 3, LoadFailure::Compressed, ""},
                      {2, 2, 24, 4, LoadFailure::Compressed, "(biCompression 4)"}};
    for (const auto& r : rejected) {
        ResetSkinModel();
        BitmapSpec layout;
        layout.width = r.width;
        layout.height = r.height;
        layout.bitCount = r.bits;
        layout.compression = r.compression;
        layout.pixels = std::string(2048, '\0');
        EXPECT_EQ(Build(MakeBitmap(layout)), 0) << r.width << " x " << r.height << " at " << r.bits << " bits";
        EXPECT_EQ(failure, r.reason) << r.width << " x " << r.height << " at " << r.bits << " bits";
        EXPECT_NE(LoadFailureText(failure, SkinImage.image->infoHeader()).find(r.says), std::string::npos) << r.says;
        EXPECT_EQ(SkinImage.mask, nullptr);
        EXPECT_TRUE(shownMessages.empty());
    }
}

TEST_F(SkinImageTest, ForeignSkinShowsTheReadersMessage)
{
    EXPECT_EQ(Build("GIF89a"), 0);
    EXPECT_EQ(failure, LoadFailure::NotBitmap);
    ASSERT_EQ(shownMessages.size(), 1u);
    EXPECT_EQ(shownMessages[0], "This isn't a bitmap file!");
}

TEST_F(SkinImageTest, OnlyTheCopyInMemoryLosesItsKeyColour)
{
    BitmapSpec layout;
    layout.width = 3;
    layout.height = 3;
    layout.pixels = PixelRows(3, {{kKeyPixel, 1, 2}, {3, kKeyPixel, 4}, {5, 6, kKeyPixel}});
    std::string bytes = MakeBitmap(layout);
    std::string original = bytes;
    ASSERT_EQ(Build(bytes), 1);
    EXPECT_EQ(bytes, original);
}

}  // namespace
