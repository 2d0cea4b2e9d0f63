#include "SystemLibrary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct LoadCall {
    std::string name;
    DWORD flags;
};

std::vector<LoadCall> loadCalls;

// The loader of Windows 7 without its 2011 update: it refuses the search flag
// and loads everything else for real.
HMODULE WINAPI OlderLoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags)
{
    loadCalls.push_back({name, flags});
    if (flags & LOAD_LIBRARY_SEARCH_SYSTEM32) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return LoadLibraryExA(name, file, flags);
}

TEST(SystemLibraryTest, RefusedSearchFlagLoadsTheSystemFoldersCopyByItsFullPath)
{
    loadCalls.clear();
    HMODULE winmm = LoadSystemLibrary("winmm.dll", OlderLoadLibraryExA);
    ASSERT_NE(winmm, nullptr) << "every sound press would show the sound message";
    EXPECT_NE(GetProcAddress(winmm, "PlaySoundA"), nullptr);
    char folder[MAX_PATH];
    ASSERT_NE(GetSystemDirectoryA(folder, MAX_PATH), 0u);
    ASSERT_EQ(loadCalls.size(), 2u);
    EXPECT_EQ(loadCalls[1].name, std::string(folder) + "\\winmm.dll")
        << "a name without its folder is looked for in the current directory too";
    EXPECT_EQ(loadCalls[1].flags, DWORD(LOAD_WITH_ALTERED_SEARCH_PATH));
    FreeLibrary(winmm);
}

}  // namespace
