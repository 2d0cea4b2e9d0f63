#ifndef LUM_PLATFORM_DESKTOPCALLS_H
#define LUM_PLATFORM_DESKTOPCALLS_H

#include <windows.h>

// Pass-throughs to the two Win32 calls whose effects a test cannot observe on
// a real window: a modal box that would wait for a person, and a sound that
// Wine reports as started whatever the name. The window's tests link
// recorders in their place.

// MessageBoxA: the button pressed, or 0 when no box could be shown.
int ShowMessageBox(HWND owner, const char* text, const char* title, UINT style);

// PlaySoundA: 1 when playback started, 0 when the sound service refused.
int StartSound(const char* name, HMODULE module, DWORD flags);

// Loads the sound service, which can take tens of milliseconds: the window
// calls it once the skin is on the screen, where it delays neither the skin
// nor the first press. StartSound loads it itself when this failed.
void PrepareSound();

#endif
