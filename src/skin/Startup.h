#ifndef LUM_SKIN_STARTUP_H
#define LUM_SKIN_STARTUP_H

#include "HotspotTable.h"
#include "LoadFailure.h"

#include <cstdint>

const char kNoIniText[] = "no valid ini file!";
const char kNoBitmapText[] = "no valid Bitmap!";
const char kNotBitmapText[] = "This isn't a bitmap file!";

// What the start-up did: why each file failed, and how many messages were
// shown in all and for the hotspot file (the rest were the skin's).
struct StartupRecord {
    int32_t ending;             // a file failed and the program is ending
    LoadFailure hotspotFailure;
    LoadFailure skinFailure;
    int32_t messagesShown;
    int32_t hotspotMessages;
};

extern StartupRecord Startup;

// The program's part in a failed start-up: the window destroys itself.
typedef void (*EndProgramCall)();

// The loading at window creation, in its one order: "lum.ini", then "lum.bmp",
// from the current directory. Each failure shows its message and ends the
// program; once it is ending no further message is shown, since the window
// that would own it is gone. The observer, which may be null, is told of every
// piece of the hotspot file. 1 when both files loaded.
int RunStartup(EndProgramCall endProgram, HotspotPieceObserver observer, void* context);

// Shows a message of the skin model through ShowMessage, unless the program is
// already ending.
void TellUser(const char* text);

// Frees what the skin model holds and zeroes its process-wide records, as at
// the start of the program.
void ResetSkinModel();

#endif
