#include "WindowTestSupport.h"

#include "RecordingDesktopCalls.h"
#include "SkinWindow.h"
#include "Startup.h"

#include <cstdio>

std::string MakePlainSkinFile(int32_t width, int32_t height, uint32_t colour)
{
    return MakeSkinFile(width, std::vector<std::vector<uint32_t>>(height, std::vector<uint32_t>(width, colour)));
}

static void ResetProgramRecords()
{
    ResetSkinModel();
    DragState = DragStateRecord();
    SkinWindow = SkinWindowRecord();
    ResetDesktopCalls();
}

void SkinWindowTest::SetUp()
{
    static int classRegistered = RegisterSkinWindowClass(GetModuleHandleA(nullptr));
    ASSERT_EQ(classRegistered, 1);
    char path[MAX_PATH];
    ASSERT_NE(GetCurrentDirectoryA(sizeof path, path), 0u);
    previous = path;
    ASSERT_NE(GetTempPathA(sizeof path, path), 0u);
    static int serial = 0;
    folder = std::string(path) + "lum-window-" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(++serial);
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    ResetProgramRecords();
}

void SkinWindowTest::TearDown()
{
    if (window && IsWindow(window))
        DestroyWindow(window);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    ResetProgramRecords();
    SetCurrentDirectoryA(previous.c_str());
    for (const std::string& name : written)
        DeleteFileA((folder + "\\" + name).c_str());
    EXPECT_TRUE(RemoveDirectoryA(folder.c_str())) << folder;
}

void SkinWindowTest::WriteFile(const char* name, const std::string& bytes)
{
    FILE* out = std::fopen(name, "wb");
    ASSERT_NE(out, nullptr) << name;
    written.push_back(name);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), out), bytes.size());
    ASSERT_EQ(std::fclose(out), 0);
}

HWND SkinWindowTest::CreateWindowNow()
{
    window = CreateSkinWindow(GetModuleHandleA(nullptr));
    // A failed load destroys the window inside its creation, so the handle
    // the boxes were owned by is the only trace of it.
    if (!window)
        window = SkinWindow.handle;
    return window;
}

void SkinWindowTest::Send(UINT message, WPARAM wParam, LPARAM lParam)
{
    EXPECT_EQ(SkinWindowProc(window, message, wParam, lParam), 0) << "message " << message;
}

LPARAM SkinWindowTest::PointerAt(int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

RECT SkinWindowTest::WindowPlace()
{
    RECT place = {};
    GetWindowRect(window, &place);
    return place;
}

int SkinWindowTest::TakeQuitMessage(WPARAM* code)
{
    MSG message;
    if (!PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        return 0;
    *code = message.wParam;
    return 1;
}
