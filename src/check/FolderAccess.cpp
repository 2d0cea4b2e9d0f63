#include "FolderAccess.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

#include "CodePageText.h"

#ifdef _WIN32
#include <direct.h>
#include <io.h>
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
// The file system matches the name; the search tells the name it matched. A
// wildcard would make the name a pattern, which the attribute call refuses.
int FindEntryIgnoringCase(const std::string& folder, const std::string& name, std::string* found)
{
    std::wstring path = WideFromUtf8(folder + "\\" + name);
    WIN32_FIND_DATAW entry;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return 0;
    HANDLE search = FindFirstFileW(path.c_str(), &entry);
    *found = search == INVALID_HANDLE_VALUE ? name : Utf8FromWide(entry.cFileName);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return 1;
}
#else
// 1 when other is the name to Windows, given the name's case-blind form, or
// null when the name has none and so matches only itself.
static int IsNameToWindows(const std::string& name, const std::u32string* blindName, const std::string& other)
{
    if (other == name)
        return 1;
    std::u32string blindOther;
    return blindName && CaseBlindName(other, &blindOther) && blindOther == *blindName;
}

int SameNameToWindows(const std::string& a, const std::string& b)
{
    std::u32string blindA;
    return IsNameToWindows(a, CaseBlindName(a, &blindA) ? &blindA : nullptr, b);
}

int FindEntryIgnoringCase(const std::string& folder, const std::string& name, std::string* found)
{
    DIR* listing = opendir(folder.c_str());
    if (!listing)
        return 0;
    std::u32string blindName;
    const std::u32string* blind = CaseBlindName(name, &blindName) ? &blindName : nullptr;
    int matched = 0;
    while (dirent* entry = readdir(listing)) {
        if (!IsNameToWindows(name, blind, entry->d_name))
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

#ifdef _WIN32
int IdentifyFile(const std::string& path, FileIdentity* identity)
{
    // No access asked, so that a file open elsewhere, or a folder, still answers.
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    BY_HANDLE_FILE_INFORMATION information;
    int known = GetFileInformationByHandle(file, &information) ? 1 : 0;
    CloseHandle(file);
    if (!known)
        return 0;
    identity->volume = information.dwVolumeSerialNumber;
    identity->index = uint64_t(information.nFileIndexHigh) << 32 | information.nFileIndexLow;
    return 1;
}
#else
int IdentifyFile(const std::string& path, FileIdentity* identity)
{
    struct stat information;
    if (stat(path.c_str(), &information) != 0)
        return 0;
    identity->volume = uint64_t(information.st_dev);
    identity->index = uint64_t(information.st_ino);
    return 1;
}
#endif

int SameFile(const FileIdentity& a, const FileIdentity& b)
{
    return a.volume == b.volume && a.index == b.index;
}

#ifdef _WIN32
static const int kCreateNew = _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY;
static const int kNewFileMode = _S_IREAD | _S_IWRITE;

static unsigned long ProcessNumber()
{
    return GetCurrentProcessId();
}

static int FlushToDisk(int file)
{
    return _commit(file) == 0;
}

static int RenameOver(const std::string& from, const std::string& to)
{
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 1 : 0;
}
#else
static const int kCreateNew = O_WRONLY | O_CREAT | O_EXCL;
static const int kNewFileMode = 0666;

static unsigned long ProcessNumber()
{
    return static_cast<unsigned long>(getpid());
}

static int FlushToDisk(int file)
{
    return fsync(file) == 0;
}

static int RenameOver(const std::string& from, const std::string& to)
{
    return rename(from.c_str(), to.c_str()) == 0;
}
#endif

// A file of a name no one else has, beside path: its descriptor and name, or -1.
static int CreateFileBeside(const std::string& path, std::string* name)
{
    const int kTries = 100;
    for (int i = 0; i < kTries; i++) {
        *name = path + "." + std::to_string(ProcessNumber()) + "-" + std::to_string(i) + ".tmp";
        int file = open(name->c_str(), kCreateNew, kNewFileMode);
        if (file >= 0 || errno != EEXIST)
            return file;
    }
    return -1;
}

static int WriteAll(int file, const std::string& bytes)
{
    const size_t kLargestWrite = 1 << 30;
    for (size_t done = 0; done < bytes.size();) {
        size_t ask = std::min(bytes.size() - done, kLargestWrite);
        auto wrote = write(file, bytes.data() + done, static_cast<unsigned>(ask));
        if (wrote <= 0)
            return 0;
        done += size_t(wrote);
    }
    return 1;
}

int ReplaceFileWhole(const std::string& path, const std::string& bytes)
{
    std::string temporary;
    int file = CreateFileBeside(path, &temporary);
    if (file < 0)
        return 0;
    int written = WriteAll(file, bytes) && FlushToDisk(file);
    if (close(file) == 0 && written && RenameOver(temporary, path))
        return 1;
    remove(temporary.c_str());
    return 0;
}
