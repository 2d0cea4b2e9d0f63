#include "DesktopCalls.h"

#include "SystemLibrary.h"

int ShowMessageBox(HWND owner, const char* text, const char* title, UINT style)
{
    return MessageBoxA(owner, text, title, style);
}

// winmm is not imported but loaded once the skin is on the screen: loading it
// and the sound system behind it was most of what the program added to the
// start-up of a bare window, and loading it at the first press delayed that
// press's sound.
typedef BOOL(WINAPI* PlaySoundAProc)(LPCSTR name, HMODULE module, DWORD flags);

static PlaySoundAProc playSoundA;

static PlaySoundAProc FindPlaySound()
{
    if (!playSoundA) {
        HMODULE winmm = LoadSystemLibrary("winmm.dll", LoadLibraryExA);
        FARPROC found = winmm ? GetProcAddress(winmm, "PlaySoundA") : nullptr;
        playSoundA = reinterpret_cast<PlaySoundAProc>(reinterpret_cast<void*>(found));
    }
    return playSoundA;
}

int StartSound(const char* name, HMODULE module, DWORD flags)
{
    PlaySoundAProc playSound = FindPlaySound();
    return playSound && playSound(name, module, flags) ? 1 : 0;
}

void PrepareSound()
{
    FindPlaySound();
}
