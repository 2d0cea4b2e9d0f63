#include "PlainWindow.h"

struct PlainWindowRecord {
    COLORREF colour;
    void (*onPress)();
};

static PlainWindowRecord PlainWindow;

static void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC device = BeginPaint(window, &paint);
    RECT all;
    GetClientRect(window, &all);
    HBRUSH brush = CreateSolidBrush(PlainWindow.colour);
    FillRect(device, &all, brush);
    DeleteObject(brush);
    EndPaint(window, &paint);
}

static void OnLeftButtonDown()
{
    if (PlainWindow.onPress)
        PlainWindow.onPress();
}

static LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: OnPaint(window); return 0;
    case WM_LBUTTONDOWN: OnLeftButtonDown(); return 0;
    case WM_CHAR: if (wParam == 27) DestroyWindow(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunPlainWindow(HINSTANCE instance, const char* className, COLORREF colour, int width, int height,
                   void (*onPress)())
{
    PlainWindow = {colour, onPress};
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = className;
    if (!RegisterClassExA(&windowClass))
        return 1;
    HWND window = CreateWindowExA(WS_EX_TOPMOST, className, className, WS_POPUP, 50, 50, width, height,
                                  nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
