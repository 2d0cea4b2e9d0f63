#ifndef LUM_TESTS_WINDOWTESTSUPPORT_H
#define LUM_TESTS_WINDOWTESTSUPPORT_H

#include "BitmapFile.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// A skin of one colour, 0xRRGGBB.
std::string MakePlainSkinFile(int32_t width, int32_t height, uint32_t colour);

// Each test runs in a fresh, empty current directory with the program's
// records zeroed and the recorders empty; windows it creates are destroyed and
// the thread's message queue drained afterwards.
class SkinWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void WriteFile(const char* name, const std::string& bytes);
    // Creates the window as the program does; the files must be in place.
    HWND CreateWindowNow();
    // Sends a message straight to the window procedure and expects 0 back.
    void Send(UINT message, WPARAM wParam, LPARAM lParam);
    // A pointer position packed as the window system packs it into lParam.
    static LPARAM PointerAt(int x, int y);
    RECT WindowPlace();
    // Removes a pending quit message: 1 and its code when there was one.
    int TakeQuitMessage(WPARAM* code);

    HWND window = nullptr;

private:
    std::string folder;
    std::string previous;
    std::vector<std::string> written;
};

#endif
