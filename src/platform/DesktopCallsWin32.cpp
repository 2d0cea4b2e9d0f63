#include "DesktopCalls.h"

#include "SystemLibrary.h"

int ShowMessageBox(HWND owner, const char* text, const char* title, UINT style)
{
    return MessageBoxA(owner, text, title, style);
}

// winmm is loaded at the first sound, not at start-up: loading it and the
// sound system behind it was most of what the program added to the start-up
// of a bare window, and a sound is only ever wanted at a press.
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
