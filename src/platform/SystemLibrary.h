#ifndef LUM_PLATFORM_SYSTEMLIBRARY_H
#define LUM_PLATFORM_SYSTEMLIBRARY_H

#include <windows.h>

// LoadLibraryExA, or a stand-in for it.
typedef HMODULE(WINAPI* LoadLibraryExAProc)(LPCSTR name, HANDLE file, DWORD flags);

// Loads a DLL from the system folder, never from the current directory, which
// for lum is a skin folder someone downloaded. Loaders that refuse the search
// flag (Windows 7 without its 2011 loader update, Vista, XP) get the DLL's full
// path in the system folder instead. The module, or none.
HMODULE LoadSystemLibrary(const char* name, LoadLibraryExAProc loadLibrary);

// Keeps every later load of a DLL by bare name, the program's and those that
// system code makes for it, out of the current directory and the program's
// folder: the system folder only, where the loader offers that (Windows 8, and
// 7 with its 2011 loader update), and no current directory anywhere.
void LimitDllSearch();

#endif
