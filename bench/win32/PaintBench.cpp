// Times how the skin in "lum.bmp" (current directory) reaches the screen.
// As lum.exe shows it, a layered window: the picture painted with the two
// passes into a 32-bit bitmap, its alpha set from the mask and handed over
// with UpdateLayeredWindow, against one SRCCOPY of the same picture into a
// bitmap of the screen's format handed over opaque. As a window that could not be
// layered paints it: a real WM_PAINT of a window of the skin's size, forced
// with RedrawWindow, the mask ANDed and then the picture ORed in, against one
// SRCCOPY. The kinds alternate, and the medians go to standard output as
// "layered-us", "layered-srccopy-us", "paint-two-passes-us" and
// "paint-srccopy-us" lines.
#include "LayeredSkin.h"
#include "ShowMessage.h"
#include "SkinImage.h"
#include "SkinWindow.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

// The bench links the pictures but not the window, whose message box this is.
void ShowMessage(const char* text)
{
    std::printf("error: %s\n", text);
}

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

// The least a layered window's picture takes: one copy into a bitmap of the
// screen's format, handed over opaque.
void HandOverOneCopy(HWND window)
{
    HDC screen = GetDC(nullptr);
    HBITMAP picture = CreateCompatibleBitmap(screen, SkinImage.width, SkinImage.height);
    ReleaseDC(nullptr, screen);
    HDC device = CreateCompatibleDC(nullptr);
    HGDIOBJ blank = SelectObject(device, picture);
    PaintOneCopy(device);
    SIZE size = {SkinImage.width, SkinImage.height};
    POINT origin = {0, 0};
    UpdateLayeredWindow(window, nullptr, nullptr, &size, device, &origin, 0, nullptr, ULW_OPAQUE);
    SelectObject(device, blank);
    DeleteDC(device);
    DeleteObject(picture);
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

double TimeHandOver(HWND window, int bothPasses)
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (bothPasses)
        LayerSkinWindow(window);
    else
        HandOverOneCopy(window);
    QueryPerformanceCounter(&end);
    return Microseconds(start, end);
}

double Median(double* values, int count)
{
    std::sort(values, values + count);
    return values[count / 2];
}

HWND ShowBenchWindow(const char* title)
{
    HWND window = CreateWindowExA(WS_EX_TOPMOST, kPaintClassName, title, WS_POPUP, 50, 50,
                                  SkinImage.width, SkinImage.height, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return window;
}

// Runs kRounds of both kinds, alternating, after a few unrecorded ones, and
// prints the two medians.
void Measure(HWND window, double (*timeOne)(HWND, int), const char* name, const char* baselineName)
{
    double ours[kRounds], baseline[kRounds];
    for (int round = -kWarmUpRounds; round < kRounds; round++) {
        double both = timeOne(window, 1);
        double copy = timeOne(window, 0);
        if (round >= 0) {
            ours[round] = both;
            baseline[round] = copy;
        }
    }
    std::printf("%s %.1f\n", name, Median(ours, kRounds));
    std::printf("%s %.1f\n", baselineName, Median(baseline, kRounds));
}

}  // namespace

int main()
{
    LoadFailure failure;
    if (!BuildSkinFile(kSkinFileName, &failure)) {
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

    HWND layered = ShowBenchWindow("layered");
    if (!LayerSkinWindow(layered)) {
        std::printf("error: the window could not be layered\n");
        return 1;
    }
    Measure(layered, TimeHandOver, "layered-us", "layered-srccopy-us");
    DestroyWindow(layered);

    HWND painted = ShowBenchWindow("paint");
    Measure(painted, TimePaint, "paint-two-passes-us", "paint-srccopy-us");
    DestroyWindow(painted);
    return 0;
}
