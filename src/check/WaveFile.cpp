#include "WaveFile.h"

#include "FileReader.h"

#include <cstdio>
#include <cstring>
#include <vector>

// The chunks in front of the samples of any sound a skin plays start within
// this many bytes; the data chunk's bounds are still checked against the
// real file length.
static const uint64_t kWaveScanLimit = 16 * 1024 * 1024;
static const uint64_t kChunkHeaderSize = 8;
static const uint64_t kRiffHeaderSize = 12;
static const uint32_t kMinFormatSize = 16;
static const uint32_t kExtensibleFormatSize = 40;
static const uint16_t kFormatExtensible = 0xFFFE;

// Headers are read a window at a time: a file of many small chunks is read
// in few reads, and the samples of a long sound are passed over unread (a
// window holds no more of them than its size).
static const uint32_t kWindowSize = 4 * 1024;

// The sound file being inspected. Only the headers in front of the samples
// are read, so that a long sound costs no more than a short one (and, in the
// editor's page, its samples never reach the model's memory).
struct WaveScan {
    FileReader file;
    uint64_t fileLength;
    uint64_t scanned;  // min(fileLength, kWaveScanLimit): no header is read past it
    uint64_t windowStart;
    std::vector<unsigned char> window;  // the file's bytes from windowStart
};

static uint16_t Little16(const unsigned char* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

static uint32_t Little32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The window of bytes from offset, as many as there are before scanned.
static int ReadWindow(WaveScan* scan, uint64_t offset)
{
    uint64_t wanted = scan->scanned - offset < kWindowSize ? scan->scanned - offset : kWindowSize;
    scan->window.resize(size_t(wanted));
    scan->windowStart = offset;
    uint64_t have = 0;
    int read = SeekFileReader(&scan->file, offset);
    while (read && have < wanted) {
        int64_t got = ReadFileBytes(&scan->file, scan->window.data() + have, uint32_t(wanted - have));
        read = got > 0;
        have += read ? uint64_t(got) : 0;
    }
    if (!read)
        scan->window.clear();
    return read;
}

static int InWindow(const WaveScan& scan, uint64_t offset, uint32_t count)
{
    return offset >= scan.windowStart && offset - scan.windowStart + count <= scan.window.size();
}

// Exactly count bytes (at most a window's) from offset, which the caller
// keeps within scanned.
static int ReadAt(WaveScan* scan, uint64_t offset, unsigned char* buffer, uint32_t count, std::string* problem)
{
    if (count == 0)
        return 1;
    if (!InWindow(*scan, offset, count) && !(ReadWindow(scan, offset) && InWindow(*scan, offset, count))) {
        *problem = "it cannot be read";
        return 0;
    }
    std::memcpy(buffer, scan->window.data() + (offset - scan->windowStart), count);
    return 1;
}

static int LooksLikeMp3(const std::vector<unsigned char>& bytes)
{
    if (bytes.size() >= 3 && std::memcmp(bytes.data(), "ID3", 3) == 0)
        return 1;
    return bytes.size() >= 2 && bytes[0] == 0xFF && (bytes[1] & 0xE0) == 0xE0;
}

static int CheckRiffHeader(const std::vector<unsigned char>& b, std::string* problem)
{
    if (b.empty()) {
        *problem = "the file is empty";
        return 0;
    }
    if (b.size() >= kRiffHeaderSize && std::memcmp(b.data(), "RIFF", 4) == 0 &&
        std::memcmp(b.data() + 8, "WAVE", 4) == 0)
        return 1;
    if (LooksLikeMp3(b))
        *problem = "it is an MP3 file, not a RIFF WAVE file";
    else if (b.size() >= 4 && std::memcmp(b.data(), "RIFF", 4) == 0)
        *problem = "it is a RIFF file but not of type WAVE";
    else
        *problem = "it is not a RIFF WAVE file";
    return 0;
}

static int ReadFormatChunk(WaveScan* scan, uint64_t body, uint32_t size, WaveFormat* format,
                           std::string* problem)
{
    if (size < kMinFormatSize) {
        *problem = "its fmt chunk holds " + std::to_string(size) + " bytes, fewer than the 16 it needs";
        return 0;
    }
    if (body + kMinFormatSize > scan->scanned) {
        *problem = "its fmt chunk is cut off by the end of the file";
        return 0;
    }
    int extensible = size >= kExtensibleFormatSize && body + kExtensibleFormatSize <= scan->scanned;
    unsigned char p[kExtensibleFormatSize];
    if (!ReadAt(scan, body, p, extensible ? kExtensibleFormatSize : kMinFormatSize, problem))
        return 0;
    format->formatTag = Little16(p);
    format->channels = Little16(p + 2);
    format->sampleRate = Little32(p + 4);
    format->bitsPerSample = Little16(p + 14);
    // The extensible header carries the real format in the first two bytes
    // of its sub-format identifier.
    if (format->formatTag == kFormatExtensible && extensible)
        format->formatTag = Little16(p + 24);
    return 1;
}

// The formats every Windows can play without an extra codec.
static int IsCommonWaveFormat(uint16_t formatTag)
{
    switch (formatTag) {
    case 0x0001:  // PCM
    case 0x0002:  // Microsoft ADPCM
    case 0x0003:  // IEEE float
    case 0x0006:  // A-law
    case 0x0007:  // mu-law
    case 0x0011:  // IMA ADPCM
        return 1;
    default:
        return 0;
    }
}

// A short name for a format tag, e.g. "MPEG Layer 3", or "".
static const char* WaveFormatName(uint16_t formatTag)
{
    switch (formatTag) {
    case 0x0001: return "PCM";
    case 0x0002: return "Microsoft ADPCM";
    case 0x0003: return "IEEE float";
    case 0x0006: return "A-law";
    case 0x0007: return "mu-law";
    case 0x0011: return "IMA ADPCM";
    case 0x0031: return "GSM 6.10";
    case 0x0050: return "MPEG";
    case 0x0055: return "MPEG Layer 3";
    case 0x0161: return "Windows Media Audio";
    case 0x00FF: return "AAC";
    case 0xF1AC: return "FLAC";
    default: return "";
    }
}

static int CheckFormatValues(const WaveFormat& format, std::string* problem)
{
    if (format.channels == 0)
        *problem = "its fmt chunk gives 0 channels";
    else if (format.sampleRate == 0)
        *problem = "its fmt chunk gives a sample rate of 0";
    else if (format.bitsPerSample == 0 && IsCommonWaveFormat(format.formatTag))
        *problem = "its fmt chunk gives 0 bits per sample";
    else
        return 1;
    return 0;
}

// Walks the chunks after the RIFF header until both fmt and data are found.
// Every offset is 64-bit, so no size field from the file can wrap it.
static int WalkChunks(WaveScan* scan, WaveFormat* format, std::string* problem)
{
    int haveFormat = 0;
    int haveData = 0;
    uint64_t position = kRiffHeaderSize;
    while (!(haveFormat && haveData) && position + kChunkHeaderSize <= scan->scanned) {
        unsigned char header[kChunkHeaderSize];
        if (!ReadAt(scan, position, header, kChunkHeaderSize, problem))
            return 0;
        uint32_t size = Little32(header + 4);
        uint64_t body = position + kChunkHeaderSize;
        if (std::memcmp(header, "fmt ", 4) == 0) {
            if (!ReadFormatChunk(scan, body, size, format, problem))
                return 0;
            haveFormat = 1;
        } else if (std::memcmp(header, "data", 4) == 0) {
            if (body + size > scan->fileLength) {
                *problem = "its data chunk claims " + std::to_string(size) + " bytes but only " +
                           std::to_string(scan->fileLength - body) + " follow it in the file";
                return 0;
            }
            format->dataBytes = size;
            haveData = 1;
        }
        position = body + size + (size & 1);
    }
    if (!haveFormat)
        *problem = "it has no fmt chunk";
    else if (!haveData)
        *problem = "it has no data chunk";
    return haveFormat && haveData;
}

static int InspectOpenWave(WaveScan* scan, WaveFormat* format, std::string* problem)
{
    if (!GetFileLength(&scan->file, &scan->fileLength)) {
        *problem = "it cannot be read";
        return 0;
    }
    scan->scanned = scan->fileLength < kWaveScanLimit ? scan->fileLength : kWaveScanLimit;
    std::vector<unsigned char> head(scan->scanned < kRiffHeaderSize ? size_t(scan->scanned) : kRiffHeaderSize);
    if (!ReadAt(scan, 0, head.data(), uint32_t(head.size()), problem) || !CheckRiffHeader(head, problem))
        return 0;
    return WalkChunks(scan, format, problem) && CheckFormatValues(*format, problem);
}

static int InspectWaveFile(const char* path, WaveFormat* format, std::string* problem)
{
    WaveScan scan{};
    std::memset(format, 0, sizeof *format);
    if (!OpenFileReader(path, FileSharing::ReadWrite, &scan.file)) {
        *problem = "it cannot be opened as a file";
        return 0;
    }
    int inspected = InspectOpenWave(&scan, format, problem);
    CloseFileReader(&scan.file);
    return inspected;
}

WaveVerdict JudgeWaveFile(const char* path, std::string* problem)
{
    WaveFormat format;
    std::string why;
    if (!InspectWaveFile(path, &format, &why)) {
        *problem = "cannot be played: " + why;
        return WaveVerdict::Unplayable;
    }
    if (IsCommonWaveFormat(format.formatTag))
        return WaveVerdict::Plays;
    char tag[8];
    std::snprintf(tag, sizeof tag, "0x%04X", format.formatTag);
    std::string name = WaveFormatName(format.formatTag);
    *problem = std::string("uses WAVE format ") + tag + (name.empty() ? "" : " (" + name + ")") +
               ", which a plain Windows may have no codec for";
    return WaveVerdict::NeedsCodec;
}

// PCM, float, A-law and mu-law: a frame is the channels' samples side by
// side, so the data's size gives the length.
static int HasFixedSampleSize(uint16_t formatTag)
{
    return formatTag == 0x0001 || formatTag == 0x0003 || formatTag == 0x0006 || formatTag == 0x0007;
}

double WaveSeconds(const char* path)
{
    WaveFormat format;
    std::string why;
    if (!InspectWaveFile(path, &format, &why) || !HasFixedSampleSize(format.formatTag))
        return 0;
    uint64_t frameBytes = uint64_t(format.channels) * ((format.bitsPerSample + 7u) / 8u);
    return frameBytes ? double(format.dataBytes / frameBytes) / format.sampleRate : 0;
}
