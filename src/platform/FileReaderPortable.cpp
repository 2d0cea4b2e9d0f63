#include "FileReader.h"

#include "PlatformFaults.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

PlatformFaultsRecord PlatformFaults;

static int DescriptorOf(FileReader* file)
{
    return static_cast<int>(reinterpret_cast<intptr_t>(file->handle));
}

// POSIX has no share modes, so the sharing request has nothing to map to.
// Anything but a plain file is refused, as CreateFileA refuses a directory;
// O_NONBLOCK keeps a FIFO from stalling the open itself, and reads of a plain
// file ignore it, so it stays.
int OpenFileReader(const char* name, FileSharing, FileReader* file)
{
    if (PlatformFaults.failOpen)
        return 0;
    int fd = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return 0;
    }
    file->handle = reinterpret_cast<void*>(static_cast<intptr_t>(fd));
    return 1;
}

// Shortens a read as the fault record asks: to readLimit bytes, to the bytes
// before cutAt, and to the bytes before failReadAt, so that the read reaching
// that byte fails. -1 when this read is the one to fail.
static int64_t FaultedReadSize(FileReader* file, uint32_t byteCount)
{
    uint64_t size = byteCount;
    if (PlatformFaults.readLimit)
        size = std::min<uint64_t>(size, PlatformFaults.readLimit);
    if (!PlatformFaults.failRead && !PlatformFaults.cutFile)
        return static_cast<int64_t>(size);
    uint64_t at = static_cast<uint64_t>(lseek(DescriptorOf(file), 0, SEEK_CUR));
    if (PlatformFaults.cutFile)
        size = PlatformFaults.cutAt > at ? std::min(size, PlatformFaults.cutAt - at) : 0;
    if (!PlatformFaults.failRead || PlatformFaults.failReadAt < at)
        return static_cast<int64_t>(size);
    if (PlatformFaults.failReadAt == at)
        return -1;
    return static_cast<int64_t>(std::min(size, PlatformFaults.failReadAt - at));
}

int64_t ReadFileBytes(FileReader* file, void* buffer, uint32_t byteCount)
{
    int64_t size = FaultedReadSize(file, byteCount);
    if (size < 0)
        return -1;
    for (;;) {
        ssize_t got = read(DescriptorOf(file), buffer, static_cast<size_t>(size));
        if (got >= 0)
            return got;
        if (errno != EINTR)
            return -1;
    }
}

int GetFileLength(FileReader* file, uint64_t* length)
{
    struct stat info;
    if (PlatformFaults.failLength || fstat(DescriptorOf(file), &info) != 0 || info.st_size < 0)
        return 0;
    *length = static_cast<uint64_t>(info.st_size);
    return 1;
}

int SeekFileReader(FileReader* file, uint64_t offset)
{
    if (offset > uint64_t(INT64_MAX))
        return 0;
    return lseek(DescriptorOf(file), static_cast<off_t>(offset), SEEK_SET) >= 0;
}

void CloseFileReader(FileReader* file)
{
    close(DescriptorOf(file));
    file->handle = nullptr;
}
