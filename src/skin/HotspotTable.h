#ifndef LUM_SKIN_HOTSPOTTABLE_H
#define LUM_SKIN_HOTSPOTTABLE_H

#include "FileReader.h"

#include <cstdint>

const int kMaxHotspots = 32;
const int kActionNameSize = 240;
const int kLineBufferSize = 250;
const int kNoHotspot = -1;
const char kHotspotFileName[] = "lum.ini";

struct HotspotRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct Hotspot {
    char name[kActionNameSize];
    HotspotRect rect;
};

struct HotspotTableRecord {
    int32_t count;
    Hotspot slots[kMaxHotspots];
};

extern HotspotTableRecord HotspotTable;

enum class HotspotAction { Minimize, Exit, PlayFile };

// Fills HotspotTable from "lum.ini" in the current directory: 1, or 0 when
// the file cannot be opened. Nothing in the file's contents is an error.
int LoadHotspotFile();

// The first slot whose rectangle strictly contains (x, y), or kNoHotspot.
int FindHotspot(int32_t x, int32_t y);

HotspotAction ClassifyAction(const char* name);

// The pieces LoadHotspotFile is made of, shared with the skin checker so that
// it sees the file exactly as the program does.

const uint32_t kHotspotReadChunk = 32 * 1024;

// Reads the file in large chunks and translates its bytes as a text stream:
// CR LF becomes LF, any other CR stays, and 0x1A ends the text.
struct HotspotLineReader {
    FileReader file;
    unsigned char chunk[kHotspotReadChunk];
    uint32_t next;
    uint32_t end;
    int finished;        // end of text, 0x1A or a read error
    int lineLength;      // characters in the last line read
    int endedAtNewline;  // 1 when the last line's LF was consumed
};

int OpenHotspotFile(HotspotLineReader* reader);

// The next line, as a fixed 250-byte buffer would take it: characters up to the
// next LF, at most kLineBufferSize - 1 of them, zero-terminated. The LF is
// consumed when met within that limit. 0 when nothing was left to read.
int ReadHotspotLine(HotspotLineReader* reader, char line[kLineBufferSize]);

void CloseHotspotFile(HotspotLineReader* reader);

// Fills a zeroed slot from one line's fields: name, left, top, right, bottom.
void ParseHotspotLine(const char* line, Hotspot* slot);

// The decimal conversion of one field, wrapping in 32-bit two's complement.
int32_t ConvertCoordinate(const char* field);

#endif
