#include "LayeredSkin.h"

#include "SkinImage.h"

#include <cstdint>

static const uint32_t kOpaque = 0xFF000000u;
static const uint32_t kSeeThroughPixel = 0x01000000u;

// The 32-bit picture is stored bottom-up like the skin and its mask, so row r
// of the one lies over row r of the other. The mask decides which pixels are
// see-through (its three bytes per pixel are equal, so the first tells), and
// such a pixel is set whole, whatever the paint left there.
static void SetAlphaFromMask(uint32_t* pixels)
{
    uint64_t maskRowBytes = SkinRowBytes(SkinImage.width);
    uint64_t width = static_cast<uint64_t>(SkinImage.width);
    for (int32_t row = 0; row < SkinImage.height; row++) {
        const unsigned char* shade = SkinImage.mask + row * maskRowBytes;
        uint32_t* pixel = pixels + row * width;
        for (uint64_t x = 0; x < width; x++, shade += 3)
            pixel[x] = shade[0] ? kSeeThroughPixel : pixel[x] | kOpaque;
    }
}

void PaintSkin(HDC device)
{
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(SkinImage.image->infoHeader());
    int width = SkinImage.width;
    int height = SkinImage.height;
    StretchDIBits(device, 0, 0, width, height, 0, 0, width, height, SkinImage.mask, info,
                  DIB_RGB_COLORS, SRCAND);
    StretchDIBits(device, 0, 0, width, height, 0, 0, width, height,
                  SkinImage.image->pixelBits(), info, DIB_RGB_COLORS, SRCPAINT);
}

HBITMAP PaintLayeredPicture(HDC device)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = SkinImage.width;
    info.bmiHeader.biHeight = SkinImage.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(device, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!picture)
        return nullptr;
    SelectObject(device, picture);
    PaintSkin(device);
    GdiFlush();
    SetAlphaFromMask(static_cast<uint32_t*>(bits));
    return picture;
}

// Where the style is refused, the window is not layered and the picture is
// refused too. A picture refused after the style was taken (reported of
// Remote Desktop on older Windows) would leave the window invisible, since a
// layered window shows nothing until it has a picture: the style goes again.
static int HandOverPicture(HWND window, HDC device)
{
    LONG plainStyle = GetWindowLongA(window, GWL_EXSTYLE);
    SetWindowLongA(window, GWL_EXSTYLE, plainStyle | WS_EX_LAYERED);
    SIZE size = {SkinImage.width, SkinImage.height};
    POINT origin = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (UpdateLayeredWindow(window, nullptr, nullptr, &size, device, &origin, 0, &blend, ULW_ALPHA))
        return 1;
    SetWindowLongA(window, GWL_EXSTYLE, plainStyle);
    return 0;
}

int LayerSkinWindow(HWND window)
{
    HDC device = CreateCompatibleDC(nullptr);
    if (!device)
        return 0;
    HGDIOBJ blank = GetCurrentObject(device, OBJ_BITMAP);
    HBITMAP picture = PaintLayeredPicture(device);
    int layered = picture && HandOverPicture(window, device);
    SelectObject(device, blank);
    DeleteDC(device);
    if (picture)
        DeleteObject(picture);
    return layered;
}
