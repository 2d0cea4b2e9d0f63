#include "DesktopCalls.h"

#include <mmsystem.h>

int ShowMessageBox(HWND owner, const char* text, const char* title, UINT style)
{
    return MessageBoxA(owner, text, title, style);
}

int StartSound(const char* name, HMODULE module, DWORD flags)
{
    return PlaySoundA(name, module, flags) ? 1 : 0;
}
