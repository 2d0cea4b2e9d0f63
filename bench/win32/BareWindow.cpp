// The start-up and memory baseline: as little as a Win32 program can do to
// show a window, built with the same compiler and flags as lum.exe. It opens
// a top-most, frameless window at (50, 50) of the size given on its command
// line ("640 480"), paints it one colour and runs until Escape.
#include <windows.h>

const char kBareClassName[] = "lumBare";
const COLORREF kBareColour = RGB(0x20, 0x90, 0x60);

static int ReadNumber(const char** text)
{
    int value = 0;
    while (**text == ' ')
        (*text)++;
    while (**text >= '0' && **text <= '9')
        value = value * 10 + (*(*text)++ - '0');
    return value;
}

static void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC device = BeginPaint(window, &paint);
    RECT all;
    GetClientRect(window, &all);
    HBRUSH brush = CreateSolidBrush(kBareColour);
    FillRect(device, &all, brush);
    DeleteObject(brush);
    EndPaint(window, &paint);
}

static LRESULT CALLBACK BareWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: OnPaint(window); return 0;
    case WM_CHAR: if (wParam == 27) DestroyWindow(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    const char* sizes = commandLine;
    int width = ReadNumber(&sizes);
    int height = ReadNumber(&sizes);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = BareWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = kBareClassName;
    if (!RegisterClassExA(&windowClass))
        return 1;
    HWND window = CreateWindowExA(WS_EX_TOPMOST, kBareClassName, "bare", WS_POPUP, 50, 50, width,
                                  height, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
