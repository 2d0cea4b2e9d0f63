#include "Startup.h"

#include "LockedBlock.h"
#include "SkinImage.h"

StartupRecord Startup;

static void FailStartup(const char* text, EndProgramCall endProgram)
{
    TellUser(text);
    if (!Messages.ending) {
        Messages.ending = 1;
        endProgram();
    }
}

int RunStartup(EndProgramCall endProgram, HotspotPieceObserver observer, void* context)
{
    int hotspotsRead = ReadHotspotFile(kHotspotFileName, &HotspotTable, observer, context,
                                       &Startup.hotspotFailure);
    if (!hotspotsRead)
        FailStartup(kNoIniText, endProgram);
    Startup.hotspotMessages = Messages.shown;
    int skinBuilt = BuildSkinFile(kSkinFileName, &Startup.skinFailure);
    if (!skinBuilt)
        FailStartup(kNoBitmapText, endProgram);
    return hotspotsRead && skinBuilt;
}

void ResetSkinModel()
{
    delete SkinImage.image;
    ReleaseLockedBlock(SkinImage.mask);
    SkinImage = SkinImageRecord();
    HotspotTable = HotspotTableRecord();
    Startup = StartupRecord();
    Messages = MessagesRecord();
}
