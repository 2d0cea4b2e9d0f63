#ifndef LUM_SKIN_STARTUP_H
#define LUM_SKIN_STARTUP_H

#include "HotspotTable.h"
#include "LoadFailure.h"
#include "Messages.h"

#include <cstdint>

// What the start-up did: why each file failed, and how many of the messages
// shown (Messages.shown) were the hotspot file's; the rest were the skin's.
struct StartupRecord {
    LoadFailure hotspotFailure;
    LoadFailure skinFailure;
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

// Frees what the skin model holds and zeroes its process-wide records, as at
// the start of the program.
void ResetSkinModel();

#endif
