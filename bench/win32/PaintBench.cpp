// Times one paint of the skin in "lum.bmp" (current directory) as lum.exe
// paints it, the mask ANDed and then the picture ORed in, against one
// SRCCOPY of the same picture. Each paint is a real WM_PAINT of a window of
// the skin's size, forced with RedrawWindow; the two kinds alternate, and
// the medians go to standard output as "paint-two-passes-us" and
// "paint-srccopy-us" lines.
#include "SkinImage.h"
#include "SkinWindow.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace {

const char kPaintClassName[] = "lumPaintBench";
const int kRounds = 40;
const int kWarmUpRounds = 3;

int paintBothPasses = 1;

void PaintOneCopy(HDC device)
{
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(SkinImage.image->infoHeader());
    StretchDIBits(device, 0, 0, SkinImage.width, SkinImage.height, 0, 0, SkinImage.width,
                  SkinImage.height, SkinImage.image->pixelBits(), info, DIB_RGB_COLORS, SRCCOPY);
}

LRESULT CALLBACK PaintBenchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT)
        return DefWindowProcA(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC device = BeginPaint(window, &paint);
    if (paintBothPasses)
        PaintSkin(device);
    else
        PaintOneCopy(device);
    EndPaint(window, &paint);
    return 0;
}

double Microseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1e6 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double TimePaint(HWND window, int bothPasses)
{
    paintBothPasses = bothPasses;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    GdiFlush();
    QueryPerformanceCounter(&end);
    return Microseconds(start, end);
}

double Median(double* values, int count)
{
    std::sort(values, values + count);
    return values[count / 2];
}

}  // namespace

int main()
{
    if (!BuildSkin()) {
        std::printf("error: no usable lum.bmp in the current folder\n");
        return 1;
    }
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = PaintBenchProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = kPaintClassName;
    RegisterClassExA(&windowClass);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, kPaintClassName, "paint", WS_POPUP, 50, 50,
                                  SkinImage.width, SkinImage.height, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    double twoPasses[kRounds], oneCopy[kRounds];
    for (int round = -kWarmUpRounds; round < kRounds; round++) {
        double both = TimePaint(window, 1);
        double copy = TimePaint(window, 0);
        if (round >= 0) {
            twoPasses[round] = both;
            oneCopy[round] = copy;
        }
    }
    std::printf("paint-two-passes-us %.1f\n", Median(twoPasses, kRounds));
    std::printf("paint-srccopy-us %.1f\n", Median(oneCopy, kRounds));
    DestroyWindow(window);
    return 0;
}
