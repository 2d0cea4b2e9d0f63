#include "SkinWindow.h"

// The command line and the shell's show command are not used: the window
// always appears at the same place, shown by its own creation.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunSkinWindow(instance);
}
