#ifndef LUM_CHECK_FOLDERACCESS_H
#define LUM_CHECK_FOLDERACCESS_H

#include <cstdint>
#include <string>

// The few file-system questions the checker asks beyond reading files, and
// its one write, answered with POSIX calls or Win32 calls. The names of sound
// files, and the current folder's path, are UTF-8 here on every system.

enum class EntryKind { Missing, File, Folder, Other };

int ChangeFolder(const char* path);

// The absolute path of the current directory, or an empty text.
std::string CurrentFolder();

// What lies at path, following links; a dangling link is Other.
EntryKind KindOfEntry(const std::string& path);

// Finds the entry of folder whose name is name to Windows, which ignores the
// case of letters (CaseBlindName), preferring an exact match; 1 and its
// real name in *found, or 0. On Windows the file system itself answers.
int FindEntryIgnoringCase(const std::string& folder, const std::string& name, std::string* found);

#ifndef _WIN32
// 1 when Windows takes the two UTF-8 names for one: equal, or equal but for
// the case of letters (CaseBlindName).
int SameNameToWindows(const std::string& a, const std::string& b);
#endif

// A file URL for an absolute path, with the bytes a URL cannot hold escaped.
std::string FileUrl(const std::string& absolutePath);

// Which file a path leads to, the same for every spelling of it: other case
// on Windows, ./ and ../ steps, links, another way through the folders.
struct FileIdentity {
    uint64_t volume;
    uint64_t index;
};

// 1 with the identity of the existing file or folder at path, or 0.
int IdentifyFile(const std::string& path, FileIdentity* identity);

int SameFile(const FileIdentity& a, const FileIdentity& b);

// Writes bytes into a new file beside path, flushes and closes it, then
// renames it over path: 1, or 0 with path as it was and the new file gone.
int ReplaceFileWhole(const std::string& path, const std::string& bytes);

#endif
