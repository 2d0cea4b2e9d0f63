#include "RecordingDesktopCalls.h"
#include "SkinImage.h"
#include "SkinWindow.h"
#include "WindowTestSupport.h"

#include <cstring>

namespace {

const char kValidIni[] = "ding.wav 10 10 60 40\n";

void ExpectErrorBox(const ShownBox& box, HWND owner, const char* text)
{
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.title, "Error");
    EXPECT_EQ(box.style, 0x30u) << "got style " << box.style << ", expected MB_ICONEXCLAMATION";
    EXPECT_EQ(box.owner, owner);
}

class CreationTest : public SkinWindowTest {
protected:
    void ExpectShownAt50x50WithTheSkinsSize()
    {
        EXPECT_TRUE(IsWindowVisible(window));
        RECT place = WindowPlace();
        EXPECT_EQ(place.left, 50);
        EXPECT_EQ(place.top, 50);
        EXPECT_EQ(place.right - place.left, 71);
        EXPECT_EQ(place.bottom - place.top, 33);
    }
};

TEST_F(CreationTest, ValidFilesShowATopMostFramelessWindowWithoutAMessage)
{
    WriteFile("lum.ini", kValidIni);
    WriteFile("lum.bmp", MakePlainSkinFile(71, 33, 0x336699));
    ASSERT_NE(CreateWindowNow(), nullptr);
    ExpectShownAt50x50WithTheSkinsSize();
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME));
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(shownBoxes.empty());
}

// Once SetLayeredWindowAttributes has been called for a layered window, the
// system refuses UpdateLayeredWindow for it (Windows documents this, and Wine
// does it). A window procedure put in front of lum's at creation makes that
// call as soon as the window becomes layered, so its picture is refused.
LRESULT CALLBACK RefusePictures(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_STYLECHANGED && wParam == WPARAM(GWL_EXSTYLE) &&
        (reinterpret_cast<STYLESTRUCT*>(lParam)->styleNew & WS_EX_LAYERED))
        SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA);
    return SkinWindowProc(window, message, wParam, lParam);
}

LRESULT CALLBACK RefusePicturesOfSkinWindow(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND)
        SetWindowLongPtrA(reinterpret_cast<HWND>(wParam), GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(RefusePictures));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Left layered without a picture, the window would be invisible on Windows.
TEST_F(CreationTest, RefusedLayeringLeavesAPlainWindowShownAsBefore)
{
    WriteFile("lum.ini", kValidIni);
    WriteFile("lum.bmp", MakePlainSkinFile(71, 33, 0x336699));
    HHOOK hook = SetWindowsHookExA(WH_CBT, RefusePicturesOfSkinWindow, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    CreateWindowNow();
    UnhookWindowsHookEx(hook);
    ASSERT_TRUE(IsWindow(window));
    ASSERT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(RefusePictures));
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE), WS_EX_TOPMOST);
    ExpectShownAt50x50WithTheSkinsSize();
}

TEST_F(CreationTest, MissingIniIsReportedAndEndsTheProgramBeforeTheWindowIsSeen)
{
    WriteFile("lum.bmp", MakePlainSkinFile(8, 8, 0x336699));
    CreateWindowNow();
    ASSERT_EQ(shownBoxes.size(), 1u);
    ExpectErrorBox(shownBoxes[0], window, "no valid ini file!");
    EXPECT_FALSE(IsWindow(window));
    WPARAM code = 99;
    ASSERT_TRUE(TakeQuitMessage(&code));
    EXPECT_EQ(code, 0u);
}

TEST_F(CreationTest, EightBitSkinIsReportedAndEndsTheProgram)
{
    WriteFile("lum.ini", kValidIni);
    std::string eightBit = MakePlainSkinFile(4, 4, 0);
    SetField(eightBit, kBiBitCount, 8, 2);
    WriteFile("lum.bmp", eightBit);
    CreateWindowNow();
    ASSERT_EQ(shownBoxes.size(), 1u);
    ExpectErrorBox(shownBoxes[0], window, "no valid Bitmap!");
    EXPECT_FALSE(IsWindow(window));
    WPARAM code = 99;
    EXPECT_TRUE(TakeQuitMessage(&code));
}

// The reader's own message goes through ShowMessage: the same box as the
// window's, while the window still exists.
TEST_F(CreationTest, TextFileAsSkinShowsTheReadersMessageThenTheSkinMessage)
{
    WriteFile("lum.ini", kValidIni);
    WriteFile("lum.bmp", "just some words\r\n");
    CreateWindowNow();
    ASSERT_EQ(shownBoxes.size(), 2u);
    ExpectErrorBox(shownBoxes[0], window, "This isn't a bitmap file!");
    ExpectErrorBox(shownBoxes[1], window, "no valid Bitmap!");
}

// Whoever fixes the file while its message is up must be able to write it:
// the skin is closed before any box is shown.
static std::vector<int> skinWritableWhileShown;

static void TryToWriteTheSkin()
{
    HANDLE file = CreateFileA("lum.bmp", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    skinWritableWhileShown.push_back(file != INVALID_HANDLE_VALUE);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

TEST_F(CreationTest, TheSkinIsClosedWhileItsMessagesAreShown)
{
    WriteFile("lum.ini", kValidIni);
    WriteFile("lum.bmp", "just some words\r\n");
    skinWritableWhileShown.clear();
    whileBoxShown = TryToWriteTheSkin;
    CreateWindowNow();
    ASSERT_EQ(shownBoxes.size(), 2u);
    EXPECT_EQ(skinWritableWhileShown, std::vector<int>({1, 1}));
}

// Another program may hold "lum.ini" open for writing (an editor saving it)
// while lum starts: the file is opened sharing reads and writes.
TEST_F(CreationTest, HotspotFileHeldOpenForWritingStillLoads)
{
    WriteFile("lum.ini", kValidIni);
    WriteFile("lum.bmp", MakePlainSkinFile(8, 8, 0x336699));
    HANDLE held = CreateFileA("lum.ini", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    CreateWindowNow();
    CloseHandle(held);
    EXPECT_TRUE(shownBoxes.empty());
    EXPECT_TRUE(IsWindow(window));
}

// Once the ini failure has destroyed the window, nothing more is shown: the
// person sees "no valid ini file!" alone and the program ends.
TEST_F(CreationTest, WhenBothFilesFailOnlyTheIniMessageIsShown)
{
    WriteFile("lum.bmp", "just some words\r\n");
    CreateWindowNow();
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_EQ(shownBoxes[0].text, "no valid ini file!");
    EXPECT_FALSE(IsWindow(window));
    WPARAM code = 99;
    ASSERT_TRUE(TakeQuitMessage(&code));
    EXPECT_EQ(code, 0u);
}

TEST_F(CreationTest, WhenBothFilesAreMissingOnlyTheIniMessageIsShown)
{
    CreateWindowNow();
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_EQ(shownBoxes[0].text, "no valid ini file!");
}

const int kStillWaiting = 99;

LRESULT CALLBACK VetoSkinWindow(int code, WPARAM wParam, LPARAM lParam)
{
    char name[16] = "";
    if (code == HCBT_CREATEWND && GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name) &&
        std::string(name) == kWindowClassName)
        return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK GiveUpWaiting(HWND, UINT, UINT_PTR, DWORD)
{
    PostQuitMessage(kStillWaiting);
}

// A hook vetoes the window before WM_CREATE, so nothing will post the quit
// message; a program still waiting for it is ended by the timer instead.
void RunProgramWithItsWindowVetoed(int* code)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(UnregisterClassA(kWindowClassName, instance)) << "the program registers it itself";
    HHOOK hook = SetWindowsHookExA(WH_CBT, VetoSkinWindow, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    UINT_PTR timer = SetTimer(nullptr, 0, 3000, GiveUpWaiting);
    *code = RunSkinWindow(instance);
    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(hook);
}

TEST_F(CreationTest, WindowThatCannotBeCreatedEndsTheProgramWithCodeZero)
{
    int code = kStillWaiting;
    RunProgramWithItsWindowVetoed(&code);
    EXPECT_EQ(code, 0) << "got " << code << ": the loop waited for a quit message";
    EXPECT_TRUE(shownBoxes.empty()) << "WM_CREATE ran: the hook did not veto the window";
}

// lum.exe may be copied into a skin folder, whose DLLs then lie beside the
// program: once it runs, none of them is loaded by bare name.
TEST_F(CreationTest, OnceStartedTheProgramLoadsNoDllFromItsOwnFolder)
{
    char beside[MAX_PATH];
    ASSERT_NE(GetModuleFileNameA(nullptr, beside, MAX_PATH), 0u);
    std::strcpy(std::strrchr(beside, '\\') + 1, "lum_test_library.dll");
    HMODULE byPath = LoadLibraryA(beside);
    ASSERT_NE(byPath, nullptr) << "the DLL does not load at all, so its absence below would prove nothing";
    FreeLibrary(byPath);
    int code = kStillWaiting;
    RunProgramWithItsWindowVetoed(&code);
    HMODULE byName = LoadLibraryA("lum_test_library.dll");
    EXPECT_EQ(byName, nullptr) << "a DLL was loaded from the program's folder";
    if (byName)
        FreeLibrary(byName);
}

class KeyTest : public SkinWindowTest {
protected:
    void SetUp() override
    {
        SkinWindowTest::SetUp();
        WriteFile("lum.ini", kValidIni);
        WriteFile("lum.bmp", MakePlainSkinFile(20, 10, 0x808080));
        ASSERT_NE(CreateWindowNow(), nullptr);
    }
};

TEST_F(KeyTest, CharactersOtherThanEscapeDoNothing)
{
    for (WPARAM character : {WPARAM('q'), WPARAM('\r'), WPARAM(' '), WPARAM(26), WPARAM(28)})
        Send(WM_CHAR, character, 1);
    EXPECT_TRUE(IsWindow(window));
    WPARAM code;
    EXPECT_FALSE(TakeQuitMessage(&code));
    EXPECT_NE(SkinImage.mask, nullptr);
}

TEST_F(KeyTest, EscapeDestroysTheWindowWhichReleasesTheMaskAndPostsQuitZero)
{
    HGLOBAL maskMemory = GlobalHandle(SkinImage.mask);
    ASSERT_NE(maskMemory, nullptr);
    Send(WM_CHAR, 27, 1);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(SkinImage.mask, nullptr);
    EXPECT_EQ(GlobalFlags(maskMemory), UINT(GMEM_INVALID_HANDLE)) << "the mask was not given back";
    WPARAM code = 99;
    ASSERT_TRUE(TakeQuitMessage(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(shownBoxes.empty());
}

}  // namespace
