#include "DibImage.h"
#include "TestSupport.h"

#include <string>

namespace {

class DibImageTest : public SkinModelTest {
protected:
    static ptrdiff_t PixelOffset(const DibImage& image)
    {
        return image.pixelBits() - reinterpret_cast<unsigned char*>(image.infoHeader());
    }
};

// A reader of a file's bytes; the bytes outlive it.
struct HeldImage {
    explicit HeldImage(const std::string& fileBytes)
        : bytes(fileBytes), image(BytesOf(bytes), bytes.size())
    {
    }
    std::string bytes;
    DibImage image;
};

TEST_F(DibImageTest, PlainBitmapHasNoColorTableAndPixelsAfterTheHeader)
{
    HeldImage held(MakeSkinFile(2, {{0x112233, 0x445566}}));
    const DibImage& image = held.image;
    ASSERT_EQ(image.isValid(), 1);
    EXPECT_EQ(image.width(), 2);
    EXPECT_EQ(image.height(), 1);
    EXPECT_EQ(image.colorCount(), 0u);
    EXPECT_EQ(PixelOffset(image), 40);
    EXPECT_EQ(image.pixelBits()[0], 0x33);  // the first pixel's blue
    EXPECT_EQ(image.blockSize(), 40u + 8u);
    EXPECT_TRUE(shownMessages.empty());
}

TEST_F(DibImageTest, ColorTablesAreSkippedAndTheirSizeWrittenBack)
{
    BitmapSpec layout;
    layout.bitCount = 8;
    layout.colorEntries = 256;
    layout.pixels = std::string(4, '\0');
    HeldImage eight(MakeBitmap(layout));
    ASSERT_EQ(eight.image.isValid(), 1);
    EXPECT_EQ(eight.image.colorCount(), 256u);
    EXPECT_EQ(eight.image.infoHeader()->biClrUsed, 256u);
    EXPECT_EQ(PixelOffset(eight.image), 40 + 1024);

    layout = BitmapSpec();
    layout.clrUsed = 16;
    layout.colorEntries = 16;
    layout.pixels = std::string(4, '\0');
    HeldImage table(MakeBitmap(layout));
    ASSERT_EQ(table.image.isValid(), 1);
    EXPECT_EQ(table.image.colorCount(), 16u);
    EXPECT_EQ(PixelOffset(table.image), 40 + 64);
}

TEST_F(DibImageTest, ColorCountFollowsTheBitCount)
{
    const struct { uint16_t bits; uint32_t count; } cases[] = {
        {1, 2}, {4, 16}, {8, 256}, {16, 0}, {24, 0}, {32, 0}};
    for (const auto& c : cases) {
        BitmapSpec layout;
        layout.bitCount = c.bits;
        layout.colorEntries = c.count;
        layout.pixels = std::string(4, '\0');
        HeldImage held(MakeBitmap(layout));
        ASSERT_EQ(held.image.isValid(), 1) << c.bits << " bits";
        EXPECT_EQ(held.image.colorCount(), c.count) << c.bits << " bits";
        EXPECT_EQ(PixelOffset(held.image), 40 + 4 * c.count) << c.bits << " bits";
    }
}

TEST_F(DibImageTest, LargerHeadersAreSkippedAndOffBitsIgnored)
{
    BitmapSpec layout;
    layout.headerSize = 124;
    layout.pixels = std::string(4, '\x42');
    std::string file = MakeBitmap(layout);
    file[10] = 0x7F;  // bfOffBits is not consulted
    HeldImage held(file);
    ASSERT_EQ(held.image.isValid(), 1);
    EXPECT_EQ(PixelOffset(held.image), 124);
    EXPECT_EQ(held.image.pixelBits()[0], 0x42);
}

TEST_F(DibImageTest, NonBitmapFilesShowTheMessage)
{
    for (std::string bytes : {std::string("hello, this is text\n"), std::string(), std::string("B"), "BA" + std::string(60, '\0'),
                              "bm" + std::string(60, '\0')}) {
        shownMessages.clear();
        HeldImage held(bytes);
        EXPECT_EQ(held.image.isValid(), 0) << bytes;
        EXPECT_EQ(held.image.failureReason(), LoadFailure::NotBitmap) << bytes;
        ASSERT_EQ(shownMessages.size(), 1u) << bytes;
        EXPECT_EQ(shownMessages[0], "This isn't a bitmap file!");
    }
}

// The block is the reader's own copy: the bytes it was given stay as they were.
TEST_F(DibImageTest, TheBytesGivenAreNeverChanged)
{
    BitmapSpec layout;
    layout.bitCount = 8;
    layout.pixels = std::string(4, '\0');
    std::string bytes = MakeBitmap(layout) + std::string(1024, '\0');
    std::string original = bytes;
    {
        DibImage image(BytesOf(bytes), bytes.size());
        ASSERT_EQ(image.isValid(), 1);
        EXPECT_EQ(image.infoHeader()->biClrUsed, 256u);
    }
    EXPECT_EQ(bytes, original);
}

}  // namespace
