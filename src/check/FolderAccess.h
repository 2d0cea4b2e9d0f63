#ifndef LUM_CHECK_FOLDERACCESS_H
#define LUM_CHECK_FOLDERACCESS_H

#include <string>

// The few file-system questions the checker asks beyond reading files,
// answered with POSIX calls or Win32 calls. The names of sound files, and
// the current folder's path, are UTF-8 here on every system.

enum class EntryKind { Missing, File, Folder, Other };

int ChangeFolder(const char* path);

// The absolute path of the current directory, or an empty text.
std::string CurrentFolder();

// What lies at path, following links; a dangling link is Other.
EntryKind KindOfEntry(const std::string& path);

// Finds the entry of folder whose name equals name when letters are compared
// without regard to case, preferring an exact match; 1 and its real name in
// *found, or 0. Windows names never differ in case from what finds them.
int FindEntryIgnoringCase(const std::string& folder, const std::string& name, std::string* found);

// A file URL for an absolute path, with the bytes a URL cannot hold escaped.
std::string FileUrl(const std::string& absolutePath);

#endif
