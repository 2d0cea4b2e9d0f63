#ifndef LUM_SKIN_DIBIMAGE_H
#define LUM_SKIN_DIBIMAGE_H

#include "BitmapInfo.h"
#include "CObject.h"
#include "FileReader.h"
#include "LoadFailure.h"

#include <cstdint>

const int kFileNameSize = 256;
const uint32_t kFileHeaderSize = 14;
const uint32_t kInfoHeaderSize = 40;

// A bitmap file held whole in one locked block: everything after the 14-byte
// file header, so that the block starts with the info header and its colour
// table, as StretchDIBits expects of a BITMAPINFO. Loads in the constructor,
// from the named file or from the file's bytes already in memory; ask isValid
// afterwards. The file is closed before "This isn't a bitmap file!" is shown.
class DibImage : public CObject {
public:
    explicit DibImage(const char* name);
    DibImage(const unsigned char* fileBytes, uint64_t size);
    ~DibImage() override;

    int isValid() const { return valid; }
    BITMAPINFOHEADER* infoHeader() const { return header; }
    int32_t width() const { return header->biWidth; }
    int32_t height() const { return header->biHeight; }
    unsigned char* pixelBits() const { return pixels; }
    uint32_t colorCount() const;
    // Bytes in the block; every byte the reader and its users touch lies below it.
    uint64_t blockSize() const { return blockBytes; }
    // Why the file was not read as a bitmap; LoadFailure::None when it was.
    LoadFailure failureReason() const { return failure; }

private:
    void CopyName(const char* name);
    LoadFailure ReadFromFile();
    LoadFailure ReadFromFile(FileReader* file);
    LoadFailure ReadFromBytes(const unsigned char* fileBytes, uint64_t size);
    LoadFailure AllocateBlock(uint64_t length);
    LoadFailure LocateTables();
    void Finish(LoadFailure read);

    char fileName[kFileNameSize];
    unsigned char* colorTable;
    unsigned char* pixels;
    int32_t valid;
    BITMAPINFOHEADER* header;
    unsigned char* block;
    uint64_t blockBytes;
    LoadFailure failure;
};

#endif
