#include "RecordingDesktopCalls.h"

#include "DesktopCalls.h"

std::vector<ShownBox> shownBoxes;
std::vector<StartedSound> startedSounds;
int soundServiceAnswer = 1;
void (*whileBoxShown)();

int ShowMessageBox(HWND owner, const char* text, const char* title, UINT style)
{
    shownBoxes.push_back({owner, text, title, style});
    if (whileBoxShown)
        whileBoxShown();
    return IDOK;
}

int StartSound(const char* name, HMODULE module, DWORD flags)
{
    startedSounds.push_back({name, module, flags});
    return soundServiceAnswer;
}

// The recorder plays nothing, so there is nothing to ready.
void PrepareSound()
{
}

void ResetDesktopCalls()
{
    shownBoxes.clear();
    startedSounds.clear();
    soundServiceAnswer = 1;
    whileBoxShown = nullptr;
}
