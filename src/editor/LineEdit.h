#ifndef LUM_EDITOR_LINEEDIT_H
#define LUM_EDITOR_LINEEDIT_H

// The skin editor's edits of the hotspot file: its lines as the program
// reads them, a new line or a changed one, and the verdict whether the
// program reads the result back as meant. Plain C++ over the model, so that
// the editor's bridge only marshals and the native tests reach every rule.
#include "HotspotTable.h"

#include <cstdint>
#include <string>
#include <vector>

// One line of the hotspot file as the program reads it: its bytes, and the
// hotspot that its first piece makes.
struct FileLine {
    uint64_t byteStart;
    uint64_t byteEnd;
    int32_t endsWithNewline;
    int32_t firstSlot;    // kNoHotspot when the table was already full
    int32_t pieces;
    int32_t firstLength;  // characters of its first piece, which makes the hotspot
    std::string name;     // bytes, as the slot keeps them
    HotspotRect rect;
};

// The hotspot file being edited, and the line the last edit made.
struct HotspotLinesRecord {
    std::string text;
    std::vector<FileLine> lines;
    uint64_t textEnd;  // the bytes from here on (from an end-of-text mark) are read by nobody
    std::string composed;
    // The program's reading of the last text read back: its table and its pieces.
    HotspotTableRecord read;
    std::vector<HotspotPiece> pieces;
};

extern HotspotLinesRecord HotspotLines;

// Reads a hotspot file's bytes into its lines and keeps them for the edits:
// every byte before textEnd belongs to exactly one line.
void ReadHotspotLines(const unsigned char* bytes, uint64_t size);

// The rectangle of four numbers (left, top, right, bottom): 1, or 0 with the
// reason when one is no whole number within the 32-bit limits.
int RectFromNumbers(const double numbers[4], HotspotRect* rect, std::string* problem);

// The rectangle whose interior is the box x0 <= x < x1, y0 <= y < y1 (given
// as x0, y0, x1, y1), refused as RectFromNumbers refuses.
int RectAround(const double box[4], HotspotRect* rect, std::string* problem);

// Composes the line "name left top right bottom" with a CR LF, the typed
// UTF-8 name in the code page: 1 when the program reads it back as meant,
// else 0 with the reason and nothing composed.
int ComposeLine(const char* typed, const double numbers[4], int32_t codePage, std::string* problem);

// Line index with its rectangle set to the numbers and, unless typed is
// null, its name replaced: only the fields whose values change are
// rewritten, missing ones are added after the last one, each after a space,
// and every other byte of the line stays. Judged as a composed line.
int EditLine(int32_t index, const char* typed, const double numbers[4], int32_t codePage, std::string* problem);

// The file name (extension included) as a sound of the board may be named:
// every character that the program would split a line at, that the code page
// cannot write or that Windows allows in no file name becomes "-", and the
// name is cut until a line of it with the widest numbers reads back whole.
// "bell ring.wav" becomes "bell-ring.wav".
std::string SafeSoundName(const char* typed, int32_t codePage);

// Why Windows can hold no file of the name (one part of a path, UTF-8, any
// bytes, a 0 byte included), or "" when it can: an empty name, a control
// character or one of <>:"/\|?*, a dot or space at the end, a device's
// name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, with any extension,
// in any case), more than 255 UTF-16 units.
std::string FileNameProblem(const std::string& name);

#endif
