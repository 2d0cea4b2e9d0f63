#include "LayeredSkin.h"
#include "SkinImage.h"
#include "SkinWindow.h"
#include "WindowTestSupport.h"

namespace {

const uint32_t kSurface = 0x2040C0;

// Paints the skin onto a 32-bit surface filled with kSurface beforehand and
// reads the result back, top row first, as 0xRRGGBB (its fourth byte dropped).
std::vector<uint32_t> PaintOntoSurface(int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC device = CreateCompatibleDC(nullptr);
    HBITMAP surface = CreateDIBSection(device, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(device, surface);
    uint32_t* pixels = static_cast<uint32_t*>(bits);
    for (int i = 0; i < width * height; i++)
        pixels[i] = kSurface;
    PaintSkin(device);
    GdiFlush();
    std::vector<uint32_t> result(pixels, pixels + width * height);
    for (uint32_t& pixel : result)
        pixel &= 0xFFFFFF;
    SelectObject(device, previous);
    DeleteObject(surface);
    DeleteDC(device);
    return result;
}

// The picture a layered window is handed, top row first, as 0xAARRGGBB.
std::vector<uint32_t> PaintLayered(int width, int height)
{
    HDC device = CreateCompatibleDC(nullptr);
    HGDIOBJ blank = GetCurrentObject(device, OBJ_BITMAP);
    HBITMAP picture = PaintLayeredPicture(device);
    std::vector<uint32_t> topRowFirst;
    DIBSECTION section = {};
    if (picture && GetObjectA(picture, sizeof section, &section) == sizeof section) {
        const uint32_t* bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
        bool bottomUp = section.dsBmih.biHeight > 0;
        for (int y = 0; y < height; y++) {
            const uint32_t* row = bits + (bottomUp ? height - 1 - y : y) * width;
            topRowFirst.insert(topRowFirst.end(), row, row + width);
        }
    }
    SelectObject(device, blank);
    DeleteObject(picture);
    DeleteDC(device);
    return topRowFirst;
}

// Width 3: every stored row of the skin and of the mask carries pad bytes.
class PaintTest : public SkinWindowTest {
protected:
    void SetUp() override
    {
        SkinWindowTest::SetUp();
        WriteFile("lum.ini", "");
        WriteFile("lum.bmp", MakeSkinFile(3, {{kKeyPixel, 0x000000, 0xFFFFFF}, {0x123456, kKeyPixel, 0xFF01FF}}));
        ASSERT_NE(CreateWindowNow(), nullptr);
    }
};

// Black stays opaque: only the mask makes a pixel see-through.
TEST_F(PaintTest, LayeredPictureIsOpaqueSkinExceptAtAlphaOneWhereTheMaskIsWhite)
{
    std::vector<uint32_t> expected = {
        0x01000000, 0xFF000000, 0xFFFFFFFF,
        0xFF123456, 0x01000000, 0xFFFF01FF,
    };
    EXPECT_EQ(PaintLayered(3, 2), expected);
}

// What a window that could not be layered shows, and what the layered picture
// starts from.
TEST_F(PaintTest, SeeThroughPixelsKeepTheSurfaceAndTheOthersShowThePicture)
{
    std::vector<uint32_t> expected = {
        kSurface, 0x000000, 0xFFFFFF,
        0x123456, kSurface, 0xFF01FF,
    };
    EXPECT_EQ(PaintOntoSurface(3, 2), expected);
}

}  // namespace
