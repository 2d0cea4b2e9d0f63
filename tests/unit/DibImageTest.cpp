#include "DibImage.h"
#include "TestSupport.h"

#include <string>

namespace {

class DibImageTest : public SkinFolderTest {
protected:
    static ptrdiff_t PixelOffset(const DibImage& image)
    {
        return image.pixelBits() - reinterpret_cast<unsigned char*>(image.infoHeader());
    }
};

TEST_F(DibImageTest, PlainBitmapHasNoColorTableAndPixelsAfterTheHeader)
{
    BitmapSpec layout;
    layout.width = 2;
    layout.height = 1;
    layout.pixels = PixelRows(2, {{0x112233, 0x445566}});
    WriteFile("a.bmp", MakeBitmap(layout));
    DibImage image("a.bmp");
    ASSERT_EQ(image.isValid(), 1);
    EXPECT_EQ(image.width(), 2);
    EXPECT_EQ(image.height(), 1);
    EXPECT_EQ(image.colorCount(), 0u);
    EXPECT_EQ(PixelOffset(image), 40);
    EXPECT_EQ(image.pixelBits()[0], 0x11);
    EXPECT_EQ(image.blockSize(), 40u + 8u);
    EXPECT_TRUE(shownMessages.empty());
}

TEST_F(DibImageTest, ColorTablesAreSkippedAndTheirSizeWrittenBack)
{
    BitmapSpec layout;
    layout.bitCount = 8;
    layout.colorEntries = 256;
    layout.pixels = std::string(4, '\0');
    WriteFile("eight.bmp", MakeBitmap(layout));
    DibImage eight("eight.bmp");
    ASSERT_EQ(eight.isValid(), 1);
    EXPECT_EQ(eight.colorCount(), 256u);
    EXPECT_EQ(eight.infoHeader()->biClrUsed, 256u);
    EXPECT_EQ(PixelOffset(eight), 40 + 1024);

    layout = BitmapSpec();
    layout.clrUsed = 16;
    layout.colorEntries = 16;
    layout.pixels = std::string(4, '\0');
    WriteFile("table.bmp", MakeBitmap(layout));
    DibImage table("table.bmp");
    ASSERT_EQ(table.isValid(), 1);
    EXPECT_EQ(table.colorCount(), 16u);
    EXPECT_EQ(PixelOffset(table), 40 + 64);
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
        WriteFile("b.bmp", MakeBitmap(layout));
        DibImage image("b.bmp");
        ASSERT_EQ(image.isValid(), 1) << c.bits << " bits";
        EXPECT_EQ(image.colorCount(), c.count) << c.bits << " bits";
        EXPECT_EQ(PixelOffset(image), 40 + 4 * c.count) << c.bits << " bits";
    }
}

TEST_F(DibImageTest, LargerHeadersAreSkippedAndOffBitsIgnored)
{
    BitmapSpec layout;
    layout.headerSize = 124;
    layout.pixels = std::string(4, '\x42');
    std::string file = MakeBitmap(layout);
    file[10] = 0x7F;  // bfOffBits is not consulted
    WriteFile("v5.bmp", file);
    DibImage image("v5.bmp");
    ASSERT_EQ(image.isValid(), 1);
    EXPECT_EQ(PixelOffset(image), 124);
    EXPECT_EQ(image.pixelBits()[0], 0x42);
}

TEST_F(DibImageTest, NonBitmapFilesShowTheMessage)
{
    WriteFile("text.bmp", "hello, this is text\n");
    WriteFile("empty.bmp", "");
    WriteFile("one.bmp", "B");
    WriteFile("bm-lower.bmp", "bm" + std::string(60, '\0'));
    for (const char* name : {"text.bmp", "empty.bmp", "one.bmp", "bm-lower.bmp"}) {
        shownMessages.clear();
        DibImage image(name);
        EXPECT_EQ(image.isValid(), 0) << name;
        ASSERT_EQ(shownMessages.size(), 1u) << name;
        EXPECT_EQ(shownMessages[0], "This isn't a bitmap file!");
    }
}

TEST_F(DibImageTest, MissingFileIsInvalidWithoutAMessage)
{
    DibImage missing("missing.bmp");
    EXPECT_EQ(missing.isValid(), 0);
    ASSERT_EQ(system("mkdir folder.bmp"), 0);
    DibImage folder("folder.bmp");
    EXPECT_EQ(folder.isValid(), 0);
    EXPECT_TRUE(shownMessages.empty());
}

TEST_F(DibImageTest, TheFileOnDiskIsNeverChanged)
{
    BitmapSpec layout;
    layout.bitCount = 8;
    layout.colorEntries = 256;
    layout.pixels = std::string(4, '\0');
    std::string bytes = MakeBitmap(layout);
    WriteFile("c.bmp", bytes);
    {
        DibImage image("c.bmp");
        ASSERT_EQ(image.isValid(), 1);
    }
    EXPECT_EQ(ReadFile("c.bmp"), bytes);
}

TEST_F(DibImageTest, LongFileNamesAreCutNotOverrun)
{
    DibImage image(std::string(400, 'q').c_str());
    EXPECT_EQ(image.isValid(), 0);
}

}  // namespace
