// The first-press baseline: a program that imports winmm, so that Windows
// loads it before the program starts, and calls PlaySoundA for "tone.wav"
// (current directory) at each left press. Its window is a top-most,
// frameless 200 x 100 popup at (50, 50) filled with one colour; Escape ends it.
#include "PlainWindow.h"

#include <mmsystem.h>

static void PlayTone()
{
    PlaySoundA("tone.wav", nullptr, SND_FILENAME | SND_ASYNC);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunPlainWindow(instance, "lumSoundBaseline", RGB(0x90, 0x30, 0x60), 200, 100, PlayTone);
}
