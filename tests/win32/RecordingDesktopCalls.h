#ifndef LUM_TESTS_RECORDINGDESKTOPCALLS_H
#define LUM_TESTS_RECORDINGDESKTOPCALLS_H

#include <windows.h>

#include <string>
#include <vector>

// What the window asked of the message box and the sound service. The boxes
// are recorded instead of shown, so that no test waits for a person.
struct ShownBox {
    HWND owner;
    std::string text;
    std::string title;
    UINT style;
};

struct StartedSound {
    std::string name;
    HMODULE module;
    DWORD flags;
};

extern std::vector<ShownBox> shownBoxes;
extern std::vector<StartedSound> startedSounds;

// Called as each box is recorded, while the window would wait for it.
extern void (*whileBoxShown)();

// What StartSound reports: 1 (playing) unless a test makes the service refuse.
extern int soundServiceAnswer;

void ResetDesktopCalls();

#endif
