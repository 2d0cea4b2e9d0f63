#ifndef LUM_WINDOW_SKINWINDOW_H
#define LUM_WINDOW_SKINWINDOW_H

#include <windows.h>

#include <cstdint>

const char kWindowClassName[] = "lumWin";
const char kWindowTitle[] = "lum";
const char kErrorTitle[] = "Error";
const int kWindowLeft = 50;
const int kWindowTop = 50;

// The one window, for messages that arrive without it (ShowMessage).
struct SkinWindowRecord {
    HWND handle;
};

extern SkinWindowRecord SkinWindow;

// A drag runs from a left press outside every hotspot to the next left release
// or the loss of the capture; the anchor is the pointer's window position at
// the press.
struct DragStateRecord {
    int32_t dragging;
    int32_t anchorX;
    int32_t anchorY;
};

extern DragStateRecord DragState;

// The program: registers "lumWin", creates the window and runs the message
// loop. The exit code: the quit message's, or 0 when registration or creation
// fails or the loop gets an error.
int RunSkinWindow(HINSTANCE instance);

int RegisterSkinWindowClass(HINSTANCE instance);

// Creation loads "lum.ini" and "lum.bmp" from the current directory, and
// destroys the window again when either fails.
HWND CreateSkinWindow(HINSTANCE instance);

LRESULT CALLBACK SkinWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
