#include "SkinImage.h"
#include "SkinWindow.h"
#include "WindowTestSupport.h"

namespace {

const uint32_t kKey = 0xFF00FF;
const uint32_t kSurface = 0x2040C0;

// Paints the skin onto a 24-bit surface filled with kSurface beforehand and
// reads the result back, top row first, as 0xRRGGBB.
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

class PaintTest : public SkinWindowTest {};

// Width 3: every stored row of the skin and of the mask carries pad bytes.
TEST_F(PaintTest, SeeThroughPixelsKeepTheSurfaceAndTheOthersShowThePicture)
{
    std::vector<uint32_t> skin = {
        kKey,     0x000000, 0xFFFFFF,
        0x123456, kKey,     0xFF01FF,
    };
    WriteFile("lum.ini", "");
    WriteFile("lum.bmp", MakeSkinFile(3, 2, skin));
    ASSERT_NE(CreateWindowNow(), nullptr);
    std::vector<uint32_t> expected = {
        kSurface, 0x000000, 0xFFFFFF,
        0x123456, kSurface, 0xFF01FF,
    };
    EXPECT_EQ(PaintOntoSurface(3, 2), expected);
}

}  // namespace
