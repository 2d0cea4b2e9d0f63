#include "FileReader.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

static int DescriptorOf(FileReader* file)
{
    return static_cast<int>(reinterpret_cast<intptr_t>(file->handle));
}

// POSIX has no share modes, so the sharing request has nothing to map to.
// Anything but a plain file is refused, as CreateFileA refuses a directory;
// O_NONBLOCK keeps a FIFO from stalling the open itself.
int OpenFileReader(const char* name, FileSharing, FileReader* file)
{
    int fd = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return 0;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file->handle = reinterpret_cast<void*>(static_cast<intptr_t>(fd));
    return 1;
}

int64_t ReadFileBytes(FileReader* file, void* buffer, uint32_t byteCount)
{
    for (;;) {
        ssize_t got = read(DescriptorOf(file), buffer, byteCount);
        if (got >= 0)
            return got;
        if (errno != EINTR)
            return -1;
    }
}

int GetFileLength(FileReader* file, uint64_t* length)
{
    struct stat info;
    if (fstat(DescriptorOf(file), &info) != 0 || info.st_size < 0)
        return 0;
    *length = static_cast<uint64_t>(info.st_size);
    return 1;
}

void CloseFileReader(FileReader* file)
{
    close(DescriptorOf(file));
    file->handle = nullptr;
}
