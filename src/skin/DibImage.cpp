#include "DibImage.h"

#include "FileReader.h"
#include "LockedBlock.h"
#include "Messages.h"

#include <algorithm>
#include <cstring>

static const uint32_t kColorEntrySize = 4;
// Reads of the block go in pieces that every platform's read call can take.
static const uint32_t kLargestRead = 0x40000000u;

DibImage::DibImage(const char* name)
    : colorTable(nullptr), pixels(nullptr), valid(0), header(nullptr), block(nullptr),
      blockBytes(0), failure(LoadFailure::None)
{
    CopyName(name);
    Finish(ReadFromFile());
}

DibImage::DibImage(const unsigned char* fileBytes, uint64_t size)
    : colorTable(nullptr), pixels(nullptr), valid(0), header(nullptr), block(nullptr),
      blockBytes(0), failure(LoadFailure::None)
{
    Finish(ReadFromBytes(fileBytes, size));
}

DibImage::~DibImage()
{
    ReleaseLockedBlock(block);
}

void DibImage::CopyName(const char* name)
{
    std::strncpy(fileName, name, kFileNameSize - 1);
    fileName[kFileNameSize - 1] = '\0';
}

uint32_t DibImage::colorCount() const
{
    if (header->biClrUsed != 0)
        return header->biClrUsed;
    switch (header->biBitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

// The first bytes, as many as were had of the 14-byte file header (-1 for a
// read error): they must be there and start with "BM".
static LoadFailure CheckFileHeader(const unsigned char* fileHeader, int64_t got)
{
    if (got < 0)
        return LoadFailure::CannotRead;
    if (got < 2 || fileHeader[0] != 'B' || fileHeader[1] != 'M')
        return LoadFailure::NotBitmap;
    if (got < kFileHeaderSize)
        return LoadFailure::TooShortForHeaders;
    return LoadFailure::None;
}

// Reads until count bytes are had or the file ends: the bytes read, or -1
// after a read error.
static int64_t ReadFully(FileReader* file, unsigned char* buffer, uint64_t count)
{
    uint64_t had = 0;
    while (had < count) {
        uint64_t ask = std::min<uint64_t>(count - had, kLargestRead);
        int64_t got = ReadFileBytes(file, buffer + had, static_cast<uint32_t>(ask));
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        had += static_cast<uint64_t>(got);
    }
    return static_cast<int64_t>(had);
}

LoadFailure DibImage::ReadFromFile()
{
    FileReader file;
    if (!OpenFileReader(fileName, FileSharing::None, &file))
        return LoadFailure::CannotOpen;
    LoadFailure read = ReadFromFile(&file);
    CloseFileReader(&file);
    return read;
}

// Whatever the file's length promised, blockBytes ends up as what the reads
// delivered.
LoadFailure DibImage::ReadFromFile(FileReader* file)
{
    unsigned char fileHeader[kFileHeaderSize];
    LoadFailure start = CheckFileHeader(fileHeader, ReadFully(file, fileHeader, kFileHeaderSize));
    if (start != LoadFailure::None)
        return start;
    uint64_t length;
    if (!GetFileLength(file, &length))
        return LoadFailure::CannotRead;
    LoadFailure allocated = AllocateBlock(length);
    if (allocated != LoadFailure::None)
        return allocated;
    int64_t got = ReadFully(file, block, length - kFileHeaderSize);
    if (got < 0)
        return LoadFailure::CannotRead;
    blockBytes = static_cast<uint64_t>(got);
    return LoadFailure::None;
}

LoadFailure DibImage::ReadFromBytes(const unsigned char* fileBytes, uint64_t size)
{
    LoadFailure start = CheckFileHeader(fileBytes, size < kFileHeaderSize ? int64_t(size) : kFileHeaderSize);
    if (start != LoadFailure::None)
        return start;
    LoadFailure allocated = AllocateBlock(size);
    if (allocated != LoadFailure::None)
        return allocated;
    blockBytes = size - kFileHeaderSize;
    std::memcpy(block, fileBytes + kFileHeaderSize, blockBytes);
    return LoadFailure::None;
}

// The block for everything after the file header of a file of length bytes,
// which must at least hold both headers.
LoadFailure DibImage::AllocateBlock(uint64_t length)
{
    if (length < uint64_t(kFileHeaderSize) + kInfoHeaderSize)
        return LoadFailure::TooShortForHeaders;
    block = static_cast<unsigned char*>(AllocLockedBlock(length - kFileHeaderSize));
    return block ? LoadFailure::None : LoadFailure::NoMemory;
}

// The colour table follows the header at biSize bytes, the pixels follow the
// table; bfOffBits is not consulted. All of it must lie inside the block.
LoadFailure DibImage::LocateTables()
{
    if (blockBytes < kInfoHeaderSize)
        return LoadFailure::TooShortForHeaders;
    header = reinterpret_cast<BITMAPINFOHEADER*>(block);
    // A biSize below 40 is taken as the file says: the pixels then overlap the
    // info header, and blackening key-colour pixels rewrites header bytes in
    // memory. That is safe, since blackening only clears bits: the width and
    // height in the header can only shrink below what was checked, never grow.
    uint64_t tableStart = header->biSize;
    if (tableStart > blockBytes)
        return LoadFailure::TooShortForHeaders;
    uint64_t pixelStart = tableStart + uint64_t(kColorEntrySize) * colorCount();
    if (pixelStart > blockBytes)
        return LoadFailure::ColourTableOutsideFile;
    if (header->biClrUsed == 0)
        header->biClrUsed = colorCount();
    colorTable = pixelStart == tableStart ? nullptr : block + tableStart;
    pixels = block + pixelStart;
    return LoadFailure::None;
}

// Runs once the file is closed, so that the message never holds it open.
void DibImage::Finish(LoadFailure read)
{
    failure = read == LoadFailure::None ? LocateTables() : read;
    valid = failure == LoadFailure::None;
    if (failure == LoadFailure::NotBitmap)
        TellUser(kNotBitmapText);
}
