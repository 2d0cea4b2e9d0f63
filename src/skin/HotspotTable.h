#ifndef LUM_SKIN_HOTSPOTTABLE_H
#define LUM_SKIN_HOTSPOTTABLE_H

#include "LoadFailure.h"

#include <cstdint>

const int kMaxHotspots = 32;
const int kActionNameSize = 240;
const int kLineBufferSize = 250;
// The most characters a slot keeps of a name, and that one slot's text takes
// of a line: a longer line is cut after them and goes on in the next slot.
const int kNameCharacters = kActionNameSize - 1;
const int kLineCharacters = kLineBufferSize - 1;
// The longest line read whole: its LF still fits the buffer after it.
const int kWholeLineCharacters = kLineCharacters - 1;
const int kNoHotspot = -1;
const char kHotspotFileName[] = "lum.ini";
const char kMinimizeKeyword[] = "MIN";
const char kExitKeyword[] = "EXIT";

// A rectangle's numbers are 32-bit signed: the reader wraps a larger one.
const int32_t kSmallestCoordinate = INT32_MIN;
const int32_t kLargestCoordinate = INT32_MAX;

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

// The first slot whose rectangle strictly contains (x, y), or kNoHotspot.
int FindHotspot(int32_t x, int32_t y);

HotspotAction ClassifyAction(const char* name);

// The keyword that a name is but for its capitals and any carriage returns at
// its end ("Exit", "MIN\r"), or nullptr when it is no such name. The program
// plays a sound file of such a name; only the keyword itself acts as one.
const char* KeywordLookalike(const char* name);

// 1 when opening the sound file of that name would reach another machine,
// which would tell it the user's login: any name that starts with two slashes
// of either kind (\\host\share, //host/share, \\?\UNC\..., \\host@SSL\...),
// or with the NT prefix \??\, which Win32 path conversion passes on unchanged
// (\??\UNC\host\share). A press never plays such a name.
int NamesAnotherMachine(const char* name);

// One read of the line reader: the text that one slot is made of, and where
// in the file it came from.
struct HotspotPiece {
    int32_t line;          // the file line, counted from 1
    int32_t continuation;  // 1 when it continues a line cut at 249 characters
    uint64_t byteStart;    // its first byte in the file
    uint64_t byteEnd;      // just past its last byte, its LF (and CR) included
    int32_t length;        // characters read into it
    int32_t nameLength;    // its first field's length before any cut; 0 when it has none
    int32_t slot;          // the slot it filled, or kNoHotspot when the table was full
};

// Told of every piece as it is read. With an observer the reader goes on to
// the end of the text; without one it stops once the table is full, since
// later lines would be read only to be ignored.
typedef void (*HotspotPieceObserver)(const HotspotPiece* piece, void* context);

// The text reader, fed the file's bytes in pieces of any size. It translates
// them as a text stream does (CR LF becomes LF, any other CR stays, 0x1A ends
// the text) and cuts lines as a 250-byte buffer does: at an LF, or after 249
// characters without looking at the next one.
struct HotspotTextReader {
    HotspotTableRecord* table;
    HotspotPieceObserver observer;
    void* context;
    char line[kLineBufferSize];
    int32_t length;
    int32_t pendingReturn;  // a CR was taken whose next byte is not known yet
    int32_t ended;          // no further byte is wanted
    int32_t fileLine;
    int32_t continuation;
    uint64_t taken;         // bytes of the file taken so far
    uint64_t pieceStart;
};

// Empties the table and starts reading into it; observer may be null.
void StartHotspotText(HotspotTextReader* reader, HotspotTableRecord* table,
                      HotspotPieceObserver observer, void* context);

// Takes the next bytes of the file: 1, or 0 once no more are wanted.
int TakeHotspotBytes(HotspotTextReader* reader, const unsigned char* bytes, uint64_t count);

// The end of the file (or a read error, which ends it alike): a last line
// without an LF is still a line.
void EndHotspotText(HotspotTextReader* reader);

// A whole hotspot file held in memory, read into table.
void ReadHotspotText(const unsigned char* bytes, uint64_t size, HotspotTableRecord* table,
                     HotspotPieceObserver observer, void* context);

// The hotspot file at path, read into table: 1, or 0 with *failure set when
// it cannot be opened (the table then stays empty). Nothing in the file's
// contents is an error.
int ReadHotspotFile(const char* path, HotspotTableRecord* table, HotspotPieceObserver observer,
                    void* context, LoadFailure* failure);

// Fills a zeroed slot from one line's fields (name, left, top, right,
// bottom) and gives the first field's length before it was cut to fit.
int ParseHotspotLine(const char* line, Hotspot* slot);

// Where a field lies in its line.
struct HotspotField {
    int32_t start;
    int32_t length;
};

const int kHotspotFields = 5;  // the name, left, top, right, bottom

// The fields of a line that the reader takes (at most five), as it splits
// them: their count, with where each lies in the line.
int FindHotspotFields(const char* line, HotspotField fields[kHotspotFields]);

// The decimal conversion of one field, wrapping in 32-bit two's complement.
int32_t ConvertCoordinate(const char* field);

#endif
