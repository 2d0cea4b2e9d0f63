#include "FileReader.h"

#include <windows.h>

// Longer paths than the checker ever opens; a plain array keeps the C++
// library's strings out of the program.
static const int kWidePathSize = 4096;

int OpenFileReader(const char* name, FileSharing sharing, FileReader* file)
{
    WCHAR wide[kWidePathSize];
    if (!MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, wide, kWidePathSize))
        return 0;
    DWORD share = sharing == FileSharing::ReadWrite ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
    HANDLE handle = CreateFileW(wide, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return 0;
    }
    file->handle = handle;
    return 1;
}

int64_t ReadFileBytes(FileReader* file, void* buffer, uint32_t byteCount)
{
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(file->handle), buffer, byteCount, &got, nullptr))
        return -1;
    return got;
}

int GetFileLength(FileReader* file, uint64_t* length)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(static_cast<HANDLE>(file->handle), &size) || size.QuadPart < 0)
        return 0;
    *length = static_cast<uint64_t>(size.QuadPart);
    return 1;
}

int SeekFileReader(FileReader* file, uint64_t offset)
{
    if (offset > uint64_t(INT64_MAX))
        return 0;
    LARGE_INTEGER place;
    place.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(static_cast<HANDLE>(file->handle), place, nullptr, FILE_BEGIN) != 0;
}

void CloseFileReader(FileReader* file)
{
    CloseHandle(static_cast<HANDLE>(file->handle));
    file->handle = nullptr;
}
