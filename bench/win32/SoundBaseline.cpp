// The first-press baseline: a program that imports winmm, so that Windows
// loads it before the program starts, and calls PlaySoundA for "tone.wav"
// (current directory) at each left press. Its window is a top-most,
// frameless 200 x 100 popup at (50, 50) filled with one colour; Escape ends it.
#include <windows.h>
#include <mmsystem.h>

const char kBaselineClassName[] = "lumSoundBaseline";
const COLORREF kBaselineColour = RGB(0x90, 0x30, 0x60);
const int kBaselineWidth = 200;
const int kBaselineHeight = 100;

static void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC device = BeginPaint(window, &paint);
    RECT all;
    GetClientRect(window, &all);
    HBRUSH brush = CreateSolidBrush(kBaselineColour);
    FillRect(device, &all, brush);
    DeleteObject(brush);
    EndPaint(window, &paint);
}

static LRESULT CALLBACK BaselineProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: OnPaint(window); return 0;
    case WM_LBUTTONDOWN: PlaySoundA("tone.wav", nullptr, SND_FILENAME | SND_ASYNC); return 0;
    case WM_CHAR: if (wParam == 27) DestroyWindow(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = BaselineProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = kBaselineClassName;
    if (!RegisterClassExA(&windowClass))
        return 1;
    HWND window = CreateWindowExA(WS_EX_TOPMOST, kBaselineClassName, "baseline", WS_POPUP, 50, 50,
                                  kBaselineWidth, kBaselineHeight, nullptr, nullptr, instance,
                                  nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
