#include "FolderAccess.h"

#include <cctype>
#include <cstring>
#include <sys/stat.h>

#ifdef _WIN32
#include "CodePageText.h"

#include <direct.h>
#include <windows.h>
#else
#include <dirent.h>
#include <unistd.h>
#endif

int ChangeFolder(const char* path)
{
#ifdef _WIN32
    return SetCurrentDirectoryA(path) ? 1 : 0;
#else
    return chdir(path) == 0;
#endif
}

std::string CurrentFolder()
{
#ifdef _WIN32
    wchar_t path[4096];
    DWORD length = GetCurrentDirectoryW(4096, path);
    if (length == 0 || length >= 4096)
        return std::string();
    return Utf8FromWide(std::wstring(path, length));
#else
    char path[4096];
    return getcwd(path, sizeof path) ? std::string(path) : std::string();
#endif
}

EntryKind KindOfEntry(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        if (S_ISREG(info.st_mode))
            return EntryKind::File;
        return S_ISDIR(info.st_mode) ? EntryKind::Folder : EntryKind::Other;
    }
#ifndef _WIN32
    if (lstat(path.c_str(), &info) == 0)
        return EntryKind::Other;
#endif
    return EntryKind::Missing;
}

#ifdef _WIN32
int FindEntryIgnoringCase(const std::string& folder, const std::string& name, std::string* found)
{
    if (GetFileAttributesW(WideFromUtf8(folder + "\\" + name).c_str()) == INVALID_FILE_ATTRIBUTES)
        return 0;
    *found = name;
    return 1;
}
#else
static int SameIgnoringCase(const char* a, const char* b)
{
    for (; *a && *b; a++, b++) {
        char x = (*a >= 'A' && *a <= 'Z') ? char(*a + 32) : *a;
        char y = (*b >= 'A' && *b <= 'Z') ? char(*b + 32) : *b;
        if (x != y)
            return 0;
    }
    return *a == *b;
}

int FindEntryIgnoringCase(const std::string& folder, const std::string& name, std::string* found)
{
    DIR* listing = opendir(folder.c_str());
    if (!listing)
        return 0;
    int matched = 0;
    while (dirent* entry = readdir(listing)) {
        if (!SameIgnoringCase(entry->d_name, name.c_str()))
            continue;
        // Several names can differ only in case here; the exact one is what
        // the user meant, otherwise any of them is what Windows would find.
        if (!matched || name == entry->d_name)
            *found = entry->d_name;
        matched = 1;
    }
    closedir(listing);
    return matched;
}
#endif

std::string FileUrl(const std::string& absolutePath)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    if (absolutePath.empty() || absolutePath[0] != '/')
        url += '/';
    for (unsigned char c : absolutePath) {
        if (c == '\\')
            c = '/';
        if (std::isalnum(c) || std::strchr("/-._~:", c)) {
            url += char(c);
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 15];
        }
    }
    return url;
}
