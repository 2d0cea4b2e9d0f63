// The start-up and memory baseline: as little as a Win32 program can do to
// show a window, built with the same compiler and flags as lum.exe. It opens
// a top-most, frameless window at (50, 50) of the size given on its command
// line ("640 480"), paints it one colour and runs until Escape.
#include "PlainWindow.h"

static int ReadNumber(const char** text)
{
    int value = 0;
    while (**text == ' ')
        (*text)++;
    while (**text >= '0' && **text <= '9')
        value = value * 10 + (*(*text)++ - '0');
    return value;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    const char* sizes = commandLine;
    int width = ReadNumber(&sizes);
    int height = ReadNumber(&sizes);
    return RunPlainWindow(instance, "lumBare", RGB(0x20, 0x90, 0x60), width, height, nullptr);
}
