#ifndef LUM_PLATFORM_FILEREADER_H
#define LUM_PLATFORM_FILEREADER_H

#include <cstdint>

// A file opened for reading only; it must already exist and be a plain file.
struct FileReader {
    void* handle;
};

enum class FileSharing {
    ReadWrite,   // others may still open, read and write the file
    None         // nobody else may open the file while we hold it
};

// The name is UTF-8 on every system.
int OpenFileReader(const char* name, FileSharing sharing, FileReader* file);

// Bytes read (0 at the end of the file), or -1 on a read error.
int64_t ReadFileBytes(FileReader* file, void* buffer, uint32_t byteCount);

int GetFileLength(FileReader* file, uint64_t* length);

// The next read starts at offset bytes from the file's start: 1, or 0 when
// the system refuses the place.
int SeekFileReader(FileReader* file, uint64_t offset);

void CloseFileReader(FileReader* file);

#endif
