// A console program run in the same Wine prefix as lum.exe: it looks at the
// program's window and message boxes from outside, as a person would, and
// prints what it sees as key=value lines for the end-to-end driver.
//
//   probe state                      the lum window's state, found=0 if none
//   probe wait-window SECONDS [visible|iconic|restored|gone]
//                                    waits for the window (default: visible)
//   probe restore                    ShowWindow(SW_RESTORE) on the window
//   probe message-box SECONDS [keep] waits for a message box of another
//                                    process, prints it and presses OK
//                                    (unless keep)
//   probe backdrop LEFT TOP WIDTH HEIGHT RRGGBB
//                                    shows a window of one colour there,
//                                    beneath lum's top-most one, until the
//                                    probe is ended
//
// Exit code 0 when the thing waited for was seen, 1 when the wait ran out,
// 2 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kLumClass[] = "lumWin";
const DWORD kPollMillis = 50;
const DWORD kCloseWaitMillis = 10000;

// Message-box texts may hold line breaks; one value stays on one line.
std::string OneLine(const char* text) {
    std::string line;
    for (const char* c = text; *c; ++c) {
        if (*c == '\n') line += "\\n";
        else if (*c == '\r') line += "\\r";
        else line += *c;
    }
    return line;
}

std::string WindowText(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return OneLine(text);
}

std::string ClassOf(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

void PrintWindowState(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    // winex11 keeps the X window id of a top-level window in this property,
    // which lets the driver give it the X focus.
    HANDLE xid = GetPropA(window, "__wine_x11_whole_window");
    std::printf("found=1\ntitle=%s\nleft=%ld\ntop=%ld\nright=%ld\nbottom=%ld\n",
                WindowText(window).c_str(), rect.left, rect.top, rect.right, rect.bottom);
    std::printf("width=%ld\nheight=%ld\nvisible=%d\niconic=%d\nstyle=0x%08lx\nexstyle=0x%08lx\n",
                rect.right - rect.left, rect.bottom - rect.top, IsWindowVisible(window) ? 1 : 0,
                IsIconic(window) ? 1 : 0, static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)));
    std::printf("pid=%lu\nxid=%llu\n", processId,
                static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(xid)));
}

bool Matches(HWND window, const char* condition) {
    if (!std::strcmp(condition, "gone")) return window == nullptr;
    if (!window) return false;
    if (!std::strcmp(condition, "visible")) return IsWindowVisible(window) != 0;
    if (!std::strcmp(condition, "iconic")) return IsIconic(window) != 0;
    if (!std::strcmp(condition, "restored")) return IsWindowVisible(window) && !IsIconic(window);
    return false;
}

bool IsCondition(const char* condition) {
    const char* known[] = {"gone", "visible", "iconic", "restored"};
    for (const char* name : known)
        if (!std::strcmp(condition, name)) return true;
    return false;
}

int WaitWindow(DWORD timeoutMillis, const char* condition) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowA(kLumClass, nullptr);
        if (Matches(window, condition)) {
            if (window) PrintWindowState(window);
            else std::printf("found=0\n");
            return 0;
        }
        if (GetTickCount() - start >= timeoutMillis) {
            if (window) PrintWindowState(window);
            else std::printf("found=0\n");
            std::printf("timeout=1\n");
            return 1;
        }
        Sleep(kPollMillis);
    }
}

int State() {
    HWND window = FindWindowA(kLumClass, nullptr);
    if (!window) {
        std::printf("found=0\n");
        return 0;
    }
    PrintWindowState(window);
    return 0;
}

int Restore() {
    HWND window = FindWindowA(kLumClass, nullptr);
    if (!window) {
        std::printf("found=0\n");
        return 1;
    }
    ShowWindow(window, SW_RESTORE);
    PrintWindowState(window);
    return 0;
}

struct DialogSearch {
    DWORD ownProcess;
    HWND dialog;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM data) {
    DialogSearch* search = reinterpret_cast<DialogSearch*>(data);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == search->ownProcess || !IsWindowVisible(window)) return TRUE;
    if (ClassOf(window) != "#32770") return TRUE;
    search->dialog = window;
    return FALSE;
}

HWND FindMessageBox() {
    DialogSearch search = {GetCurrentProcessId(), nullptr};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.dialog;
}

struct DialogParts {
    int buttons;
    HWND okButton;
    HWND icon;
    std::string buttonTexts;
};

BOOL CALLBACK CollectPart(HWND child, LPARAM data) {
    DialogParts* parts = reinterpret_cast<DialogParts*>(data);
    std::string name = ClassOf(child);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if (name == "Button" && (style & WS_VISIBLE)) {
        ++parts->buttons;
        if (!parts->buttonTexts.empty()) parts->buttonTexts += ",";
        parts->buttonTexts += WindowText(child);
        if (GetDlgCtrlID(child) == IDOK) parts->okButton = child;
    }
    if (name == "Static" && (style & SS_TYPEMASK) == SS_ICON && (style & WS_VISIBLE)) parts->icon = child;
    return TRUE;
}

// The icon's picture cannot be read across processes, but both processes draw
// the system's stock icons, so the one on the screen is compared with each
// stock icon drawn here on the same background.
const char* IconName(HWND iconControl) {
    if (!iconControl) return "none";
    RECT rect;
    GetWindowRect(iconControl, &rect);
    const int size = GetSystemMetrics(SM_CXICON);
    HDC screen = GetDC(nullptr);
    HDC shot = CreateCompatibleDC(screen);
    HDC drawn = CreateCompatibleDC(screen);
    HBITMAP shotBits = CreateCompatibleBitmap(screen, size, size);
    HBITMAP drawnBits = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ oldShot = SelectObject(shot, shotBits);
    HGDIOBJ oldDrawn = SelectObject(drawn, drawnBits);
    BitBlt(shot, 0, 0, size, size, screen, rect.left, rect.top, SRCCOPY);
    COLORREF background = GetPixel(shot, 0, 0);
    struct { LPCSTR id; const char* name; } stock[] = {
        {IDI_EXCLAMATION, "exclamation"}, {IDI_HAND, "hand"},
        {IDI_ASTERISK, "asterisk"}, {IDI_QUESTION, "question"}, {IDI_APPLICATION, "application"}};
    const char* found = "unknown";
    for (const auto& candidate : stock) {
        HBRUSH brush = CreateSolidBrush(background);
        RECT all = {0, 0, size, size};
        FillRect(drawn, &all, brush);
        DeleteObject(brush);
        DrawIconEx(drawn, 0, 0, LoadIconA(nullptr, candidate.id), size, size, 0, nullptr, DI_NORMAL);
        int differing = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if (GetPixel(drawn, x, y) != GetPixel(shot, x, y)) ++differing;
        if (differing == 0) {
            found = candidate.name;
            break;
        }
    }
    SelectObject(shot, oldShot);
    SelectObject(drawn, oldDrawn);
    DeleteObject(shotBits);
    DeleteObject(drawnBits);
    DeleteDC(shot);
    DeleteDC(drawn);
    ReleaseDC(nullptr, screen);
    return found;
}

void PrintMessageBox(HWND dialog, const DialogParts& parts) {
    // A message box keeps its text in the static control with id 0xFFFF.
    char text[2048] = "";
    GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text);
    HWND owner = GetWindow(dialog, GW_OWNER);
    DWORD processId = 0;
    GetWindowThreadProcessId(dialog, &processId);
    std::printf("found=1\ntitle=%s\ntext=%s\n", WindowText(dialog).c_str(), OneLine(text).c_str());
    std::printf("buttons=%d\nbutton-texts=%s\nicon=%s\n", parts.buttons, parts.buttonTexts.c_str(),
                IconName(parts.icon));
    std::printf("owner-class=%s\nowner-title=%s\npid=%lu\n", owner ? ClassOf(owner).c_str() : "",
                owner ? WindowText(owner).c_str() : "", processId);
}

bool WaitClosed(HWND dialog) {
    DWORD start = GetTickCount();
    while (IsWindow(dialog) && IsWindowVisible(dialog)) {
        if (GetTickCount() - start >= kCloseWaitMillis) return false;
        Sleep(kPollMillis);
    }
    return true;
}

int MessageBoxCommand(DWORD timeoutMillis, bool press) {
    DWORD start = GetTickCount();
    HWND dialog = nullptr;
    while (!(dialog = FindMessageBox())) {
        if (GetTickCount() - start >= timeoutMillis) {
            std::printf("found=0\ntimeout=1\n");
            return 1;
        }
        Sleep(kPollMillis);
    }
    // The box becomes visible before its controls are all created and drawn.
    Sleep(200);
    DialogParts parts = {0, nullptr, nullptr, ""};
    EnumChildWindows(dialog, CollectPart, reinterpret_cast<LPARAM>(&parts));
    PrintMessageBox(dialog, parts);
    if (!press) return 0;
    // A posted command presses OK without needing the keyboard focus.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(parts.okButton));
    bool closed = WaitClosed(dialog);
    std::printf("closed=%d\n", closed ? 1 : 0);
    return closed ? 0 : 1;
}

DWORD Millis(const char* seconds) {
    double value = std::atof(seconds);
    return value <= 0 ? 0 : static_cast<DWORD>(value * 1000);
}

// Something known behind lum's window, so that its see-through pixels show a
// colour of the test's choosing instead of the empty screen.
LRESULT CALLBACK BackdropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

int Backdrop(char** place, const char* colour) {
    unsigned long rgb = std::strtoul(colour, nullptr, 16);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = BackdropProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = CreateSolidBrush(RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF));
    windowClass.lpszClassName = "lumProbeBackdrop";
    if (!RegisterClassExA(&windowClass)) return 1;
    // No activation: the window must not take the keyboard focus from lum.
    HWND window = CreateWindowExA(WS_EX_NOACTIVATE, windowClass.lpszClassName, "backdrop", WS_POPUP | WS_VISIBLE,
                                  std::atoi(place[0]), std::atoi(place[1]), std::atoi(place[2]),
                                  std::atoi(place[3]), nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) return 1;
    std::printf("found=1\n");
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: probe state | restore | wait-window SECONDS [visible|iconic|restored|gone]"
                 " | message-box SECONDS [keep] | backdrop LEFT TOP WIDTH HEIGHT RRGGBB\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int result = 2;
    if (argc == 2 && !std::strcmp(argv[1], "state")) result = State();
    else if (argc == 2 && !std::strcmp(argv[1], "restore")) result = Restore();
    else if ((argc == 3 || argc == 4) && !std::strcmp(argv[1], "wait-window")) {
        const char* condition = argc == 4 ? argv[3] : "visible";
        if (!IsCondition(condition)) return Usage();
        result = WaitWindow(Millis(argv[2]), condition);
    } else if ((argc == 3 || argc == 4) && !std::strcmp(argv[1], "message-box")) {
        if (argc == 4 && std::strcmp(argv[3], "keep")) return Usage();
        result = MessageBoxCommand(Millis(argv[2]), argc == 3);
    } else if (argc == 7 && !std::strcmp(argv[1], "backdrop")) {
        result = Backdrop(argv + 2, argv[6]);
    } else {
        return Usage();
    }
    std::fflush(stdout);
    return result;
}
