#include "SkinWindow.h"

#include "DesktopCalls.h"
#include "HotspotTable.h"
#include "LayeredSkin.h"
#include "LockedBlock.h"
#include "Messages.h"
#include "ShowMessage.h"
#include "SkinImage.h"
#include "Startup.h"
#include "SystemLibrary.h"

#include <mmsystem.h>

SkinWindowRecord SkinWindow;
DragStateRecord DragState;

static const WPARAM kEscape = 27;
static const int kProvisionalSize = 50;

int RegisterSkinWindowClass(HINSTANCE instance)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = SkinWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hIconSm = LoadIconA(nullptr, IDI_WINLOGO);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // Where the window cannot be layered, the see-through pixels show what the
    // surface held, so it is never erased.
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    windowClass.lpszClassName = kWindowClassName;
    return RegisterClassExA(&windowClass) ? 1 : 0;
}

HWND CreateSkinWindow(HINSTANCE instance)
{
    // Hidden and provisional: creation gives it its place and size, then shows it.
    return CreateWindowExA(WS_EX_TOPMOST, kWindowClassName, kWindowTitle, WS_POPUP, 0, 0,
                           kProvisionalSize, kProvisionalSize, nullptr, nullptr, instance,
                           nullptr);
}

static int RunMessageLoop()
{
    MSG message;
    BOOL got;
    // -1 is an error, after which the message holds nothing to dispatch.
    while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0 && got != -1) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return got == 0 ? static_cast<int>(message.wParam) : 0;
}

int RunSkinWindow(HINSTANCE instance)
{
    // The current directory is a skin folder, maybe a downloaded one, and
    // lum.exe may have been copied into it.
    LimitDllSearch();
    if (!RegisterSkinWindowClass(instance))
        return 0;
    // No window: either creation failed before WM_CREATE (a hook's veto, no
    // window resources left) and nothing will ever post the quit message the
    // loop waits for, or a load failure destroyed the window after its message
    // was dismissed. Both end the program with code 0.
    if (!CreateSkinWindow(instance))
        return 0;
    PrepareSound();
    return RunMessageLoop();
}

static void ShowError(HWND window, const char* text)
{
    ShowMessageBox(window, text, kErrorTitle, MB_ICONEXCLAMATION);
}

// The skin model's messages come only while the window still exists: once a
// failed start-up has destroyed it, the model shows nothing more.
void ShowMessage(const char* text)
{
    ShowError(SkinWindow.handle, text);
}

static void DestroyFailedWindow()
{
    DestroyWindow(SkinWindow.handle);
}

// Loads both files, reporting each failure, and shows the window only when
// neither destroyed it: SetWindowPos and UpdateWindow then find no window.
// The window becomes layered before it is first shown, so its first picture
// on the screen is already see-through.
static void OnCreate(HWND window)
{
    SkinWindow.handle = window;
    if (RunStartup(DestroyFailedWindow, nullptr, nullptr))
        LayerSkinWindow(window);
    SetWindowPos(window, nullptr, kWindowLeft, kWindowTop, SkinImage.width, SkinImage.height,
                 SWP_SHOWWINDOW | SWP_NOZORDER);
    UpdateWindow(window);
}

// The whole skin on every paint, whatever part of the window is invalid. A
// layered window shows the picture it was handed instead: the system keeps
// it, and Wine sent no paint for it at start-up, after a drag or after a
// restore; one that still comes (Wine's answer to InvalidateRect, clipped to
// one pixel) is painted as ever and changes nothing on the screen.
static void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC device = BeginPaint(window, &paint);
    PaintSkin(device);
    EndPaint(window, &paint);
}

static void OnChar(HWND window, WPARAM character)
{
    if (character == kEscape)
        DestroyWindow(window);
}

static void OnDestroy()
{
    ReleaseLockedBlock(SkinImage.mask);
    SkinImage.mask = nullptr;
    PostQuitMessage(0);
}

// While the pointer is captured it may lie left of or above the window, so the
// coordinates are signed 16-bit values.
static int32_t PointerX(LPARAM lParam)
{
    return static_cast<int16_t>(lParam & 0xFFFF);
}

static int32_t PointerY(LPARAM lParam)
{
    return static_cast<int16_t>((lParam >> 16) & 0xFFFF);
}

// A name on another machine gets the message of a sound that cannot play,
// without the system ever being asked to open it.
static void PlayHotspotSound(HWND window, const char* name)
{
    if (NamesAnotherMachine(name) || !StartSound(name, nullptr, SND_FILENAME | SND_ASYNC))
        ShowError(window, kNoSoundText);
}

static void RunHotspotAction(HWND window, const char* name)
{
    switch (ClassifyAction(name)) {
    case HotspotAction::Minimize: ShowWindow(window, SW_SHOWMINIMIZED); break;
    case HotspotAction::Exit: DestroyWindow(window); break;
    case HotspotAction::PlayFile: PlayHotspotSound(window, name); break;
    }
}

static void StartDrag(HWND window, int32_t x, int32_t y)
{
    DragState.dragging = 1;
    SetCapture(window);
    DragState.anchorX = x;
    DragState.anchorY = y;
}

static void OnLeftButtonDown(HWND window, int32_t x, int32_t y)
{
    if (DragState.dragging)
        return;
    int slot = FindHotspot(x, y);
    if (slot == kNoHotspot)
        StartDrag(window, x, y);
    else
        RunHotspotAction(window, HotspotTable.slots[slot].name);
}

// Puts the anchor back under the pointer. SWP_NOCOPYBITS repaints the whole
// skin at the new place, so its see-through pixels show what lies there.
static void OnMouseMove(HWND window, int32_t x, int32_t y)
{
    if (!DragState.dragging)
        return;
    RECT place;
    GetWindowRect(window, &place);
    SetWindowPos(window, nullptr, place.left + x - DragState.anchorX,
                 place.top + y - DragState.anchorY, SkinImage.width, SkinImage.height,
                 SWP_NOCOPYBITS | SWP_NOZORDER);
}

static void OnLeftButtonUp()
{
    if (!DragState.dragging)
        return;
    DragState.dragging = 0;
    ReleaseCapture();
}

// The capture can go without a release (a locked screen, an elevation prompt,
// another program taking it); a drag that outlived it would have the window
// follow a pointer whose button is up.
static void OnCaptureChanged(HWND window, HWND newCapture)
{
    if (newCapture != window)
        DragState.dragging = 0;
}

LRESULT CALLBACK SkinWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_CHAR: OnChar(window, wParam); return 0;
    case WM_MOUSEMOVE: OnMouseMove(window, PointerX(lParam), PointerY(lParam)); return 0;
    case WM_LBUTTONDOWN: OnLeftButtonDown(window, PointerX(lParam), PointerY(lParam)); return 0;
    case WM_LBUTTONUP: OnLeftButtonUp(); return 0;
    case WM_CAPTURECHANGED: OnCaptureChanged(window, reinterpret_cast<HWND>(lParam)); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
