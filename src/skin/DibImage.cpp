#include "DibImage.h"

#include "FileReader.h"
#include "LockedBlock.h"
#include "ShowMessage.h"

#include <cstring>

static const uint32_t kColorEntrySize = 4;

DibImage::DibImage(const char* name)
    : colorTable(nullptr), pixels(nullptr), valid(0), header(nullptr), block(nullptr),
      blockBytes(0)
{
    std::strncpy(fileName, name, kFileNameSize - 1);
    fileName[kFileNameSize - 1] = '\0';
    valid = Load();
}

DibImage::~DibImage()
{
    ReleaseLockedBlock(block);
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

int DibImage::Load()
{
    FileReader file;
    if (!OpenFileReader(fileName, FileSharing::None, &file))
        return 0;
    int loaded = ReadBlock(&file);
    CloseFileReader(&file);
    return loaded && LocateTables();
}

// Reads the file header and the rest of the file into the block. Whatever the
// file's length promised, blockBytes ends up as what the reads delivered.
int DibImage::ReadBlock(FileReader* file)
{
    unsigned char fileHeader[kFileHeaderSize];
    int64_t got = ReadFileBytes(file, fileHeader, kFileHeaderSize);
    if (got < 2 || fileHeader[0] != 'B' || fileHeader[1] != 'M') {
        ShowMessage("This isn't a bitmap file!");
        return 0;
    }
    uint64_t length;
    if (got < kFileHeaderSize || !GetFileLength(file, &length) ||
        length < uint64_t(kFileHeaderSize) + kInfoHeaderSize)
        return 0;
    uint64_t wanted = length - kFileHeaderSize;
    block = static_cast<unsigned char*>(AllocLockedBlock(wanted));
    if (!block)
        return 0;
    while (blockBytes < wanted) {
        uint64_t left = wanted - blockBytes;
        uint32_t ask = left > 0x40000000u ? 0x40000000u : static_cast<uint32_t>(left);
        got = ReadFileBytes(file, block + blockBytes, ask);
        if (got <= 0)
            break;
        blockBytes += static_cast<uint64_t>(got);
    }
    return blockBytes >= kInfoHeaderSize;
}

// The colour table follows the header at biSize bytes, the pixels follow the
// table; bfOffBits is not consulted. Both must lie inside the block.
int DibImage::LocateTables()
{
    header = reinterpret_cast<BITMAPINFOHEADER*>(block);
    uint64_t tableStart = header->biSize;
    uint64_t pixelStart = tableStart + uint64_t(kColorEntrySize) * colorCount();
    if (pixelStart > blockBytes)
        return 0;
    if (header->biClrUsed == 0)
        header->biClrUsed = colorCount();
    colorTable = pixelStart == tableStart ? nullptr : block + tableStart;
    pixels = block + pixelStart;
    return 1;
}
