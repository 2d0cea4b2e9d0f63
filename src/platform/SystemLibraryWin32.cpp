#include "SystemLibrary.h"

#include <cstring>

HMODULE LoadSystemLibrary(const char* name, LoadLibraryExAProc loadLibrary)
{
    HMODULE module = loadLibrary(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module || GetLastError() != ERROR_INVALID_PARAMETER)
        return module;
    char path[MAX_PATH];
    size_t folderLength = GetSystemDirectoryA(path, MAX_PATH);
    size_t nameLength = std::strlen(name);
    if (folderLength == 0 || folderLength + 1 + nameLength >= MAX_PATH)
        return nullptr;
    path[folderLength] = '\\';
    std::memcpy(path + folderLength + 1, name, nameLength + 1);
    // The DLLs it needs in turn are then looked for in its own folder first,
    // not in the program's.
    return loadLibrary(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

typedef BOOL(WINAPI* SetDefaultDllDirectoriesProc)(DWORD flags);

void LimitDllSearch()
{
    // Looked up rather than imported: a loader without it must still start the program.
    FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesProc>(reinterpret_cast<void*>(found));
    if (setDefault)
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryA("");
}
