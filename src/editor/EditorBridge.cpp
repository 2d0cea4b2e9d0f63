// The skin editor's way into the model and the checker: a few C functions of
// plain types that the page calls. Every verdict the page shows comes from
// here; the page draws and takes input. Results live in this file's records
// until the next call of the same kind, so the page never frees anything.
#include "AnsiName.h"
#include "CheckReport.h"
#include "FolderAccess.h"
#include "HotspotMap.h"
#include "HotspotTable.h"
#include "PictureSkin.h"
#include "ReportWriters.h"
#include "SkinCheck.h"
#include "SkinImage.h"
#include "Startup.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

// One line of the hotspot file as the program reads it: its bytes, and the
// hotspot that its first piece makes.
struct FileLine {
    uint32_t byteStart;
    uint32_t byteEnd;
    int32_t endsWithNewline;
    int32_t firstSlot;  // kNoHotspot when the table was already full
    int32_t pieces;
    int32_t firstLength;  // characters of its first piece, which makes the hotspot
    std::string name;     // bytes, as in the file
    HotspotRect rect;
};

// Why a line the editor composed cannot be saved as it stands.
enum class LineVerdict { Fine, NoName, NameSplit, NameTooLong, MoreThanOneLine, NotInCodePage };

struct EditorRecord {
    std::string report;
    std::vector<int8_t> whoActs;
    std::vector<unsigned char> skinPixels;
    std::vector<FileLine> lines;
    std::string text;
    uint32_t textEnd;
    int32_t codePage = kDefaultCodePage;
    std::string lineName;
    std::string composed;
    int32_t cutByte;      // the byte at which the reader cut the name, for NameSplit
    std::string unwritable;
    std::vector<unsigned char> pictureFile;
    uint64_t keyColouredOpaque;
};

static EditorRecord Editor;

static int SkinLoaded()
{
    return Startup.skinFailure == LoadFailure::None && SkinImage.mask != nullptr;
}

extern "C" {

// Runs the checker on a folder of the module's file system, as lumcheck does
// on a real one, and keeps the model loaded for the questions below: the
// report as JSON.
EMSCRIPTEN_KEEPALIVE const char* EditorCheck(const char* folder, int32_t codePage)
{
    CheckReport = CheckReportRecord();
    Editor.codePage = IsAnsiCodePage(codePage) ? codePage : kDefaultCodePage;
    CheckReport.codePage = Editor.codePage;
    ResetSkinModel();
    Editor.whoActs.clear();
    if (!ChangeFolder(folder))
        return "";
    CheckReport.folderPath = CurrentFolder();
    CheckSkinFolder();
    Editor.report = JsonReport();
    if (SkinLoaded()) {
        Editor.whoActs.resize(uint64_t(SkinImage.width) * uint64_t(SkinImage.height));
        MapHotspots(SkinImage.width, SkinImage.height, Editor.whoActs.data());
    }
    return Editor.report.c_str();
}

EMSCRIPTEN_KEEPALIVE int32_t EditorSkinWidth()
{
    return SkinLoaded() ? SkinImage.width : 0;
}

EMSCRIPTEN_KEEPALIVE int32_t EditorSkinHeight()
{
    return SkinLoaded() ? SkinImage.height : 0;
}

// Who acts where on the checked skin, top row first: a slot, or kNoHotspot
// for a drag. Empty when the skin did not load.
EMSCRIPTEN_KEEPALIVE const int8_t* EditorWhoActs()
{
    return Editor.whoActs.data();
}

// The checked skin as the window paints it, as RGBA top row first, with
// see-through pixels fully transparent.
EMSCRIPTEN_KEEPALIVE const unsigned char* EditorSkinPixels()
{
    int32_t width = EditorSkinWidth(), height = EditorSkinHeight();
    uint64_t rowBytes = SkinRowBytes(width);
    Editor.skinPixels.resize(uint64_t(width) * uint64_t(height) * 4);
    unsigned char* out = Editor.skinPixels.data();
    for (int32_t y = 0; y < height; y++) {
        uint64_t stored = uint64_t(height - 1 - y) * rowBytes;
        const unsigned char* pixel = SkinImage.image->pixelBits() + stored;
        const unsigned char* shade = SkinImage.mask + stored;
        for (int32_t x = 0; x < width; x++, pixel += 3, shade += 3, out += 4) {
            out[0] = pixel[2];
            out[1] = pixel[1];
            out[2] = pixel[0];
            out[3] = shade[0] == 255 ? 0 : 255;
        }
    }
    return Editor.skinPixels.data();
}

// The pixels strictly inside a slot's rectangle, x0 <= x < x1 and y0 <= y <
// y1, in four doubles, since they can pass the 32-bit limits.
EMSCRIPTEN_KEEPALIVE void EditorSlotInterior(int32_t slot, double* box)
{
    PixelBox inside = HotspotInterior(HotspotTable.slots[slot].rect);
    box[0] = double(inside.x0);
    box[1] = double(inside.y0);
    box[2] = double(inside.x1);
    box[3] = double(inside.y1);
}

// The rectangle whose interior is the box x0 <= x < x1, y0 <= y < y1. The
// interior moves each edge by a fixed step, which the zero rectangle shows.
EMSCRIPTEN_KEEPALIVE void EditorRectAround(double x0, double y0, double x1, double y1, int32_t* rect)
{
    PixelBox step = HotspotInterior(HotspotRect{0, 0, 0, 0});
    rect[0] = int32_t(x0 - double(step.x0));
    rect[1] = int32_t(y0 - double(step.y0));
    rect[2] = int32_t(x1 - double(step.x1));
    rect[3] = int32_t(y1 - double(step.y1));
}

// The file a press on the slot would play, relative to the checked folder,
// as the checker found it; "" when it found none.
EMSCRIPTEN_KEEPALIVE const char* EditorSoundFile(int32_t slot)
{
    if (slot < 0 || size_t(slot) >= CheckReport.slots.size())
        return "";
    return CheckReport.slots[size_t(slot)].soundFile.c_str();
}

static void KeepPiece(const HotspotPiece* piece, void* context)
{
    std::vector<HotspotPiece>* pieces = static_cast<std::vector<HotspotPiece>*>(context);
    pieces->push_back(*piece);
}

// The hotspot that a line's first piece makes, read alone: a line starts the
// reader afresh, so alone it reads as it does in the file.
static void ReadLineHotspot(const unsigned char* bytes, FileLine* line)
{
    static HotspotTableRecord table;
    ReadHotspotText(bytes + line->byteStart, line->byteEnd - line->byteStart, &table, nullptr, nullptr);
    line->name = table.slots[0].name;
    line->rect = table.slots[0].rect;
}

// Reads a hotspot file's bytes into its lines: the number of lines. Every
// byte before EditorTextEnd() belongs to exactly one line; the bytes from
// there on (from an end-of-text mark) are read by nobody. The bytes are kept
// for the edits below.
EMSCRIPTEN_KEEPALIVE int32_t EditorReadLines(const unsigned char* bytes, uint32_t size)
{
    static HotspotTableRecord table;
    std::vector<HotspotPiece> pieces;
    ReadHotspotText(bytes, size, &table, KeepPiece, &pieces);
    Editor.text.assign(reinterpret_cast<const char*>(bytes), size);
    Editor.lines.clear();
    Editor.textEnd = 0;
    for (const HotspotPiece& piece : pieces) {
        if (!piece.continuation)
            Editor.lines.push_back({uint32_t(piece.byteStart), 0, 0, piece.slot, 0, piece.length, std::string(), {}});
        FileLine& line = Editor.lines.back();
        line.byteEnd = uint32_t(piece.byteEnd);
        line.pieces++;
        Editor.textEnd = line.byteEnd;
    }
    for (FileLine& line : Editor.lines) {
        line.endsWithNewline = line.byteEnd > line.byteStart && bytes[line.byteEnd - 1] == '\n';
        ReadLineHotspot(bytes, &line);
    }
    return int32_t(Editor.lines.size());
}

EMSCRIPTEN_KEEPALIVE uint32_t EditorTextEnd()
{
    return Editor.textEnd;
}

// Line i as seven int32s: byteStart, byteEnd, endsWithNewline, firstSlot,
// pieces, then the rectangle's left, top, right, bottom follow in the next four.
EMSCRIPTEN_KEEPALIVE void EditorLineFacts(int32_t i, int32_t* facts)
{
    const FileLine& line = Editor.lines[size_t(i)];
    int32_t values[] = {int32_t(line.byteStart), int32_t(line.byteEnd), line.endsWithNewline, line.firstSlot,
                        line.pieces, line.rect.left, line.rect.top, line.rect.right, line.rect.bottom};
    std::memcpy(facts, values, sizeof values);
}

// Line i's name as the system of the checked code page reads it, in UTF-8.
EMSCRIPTEN_KEEPALIVE const char* EditorLineName(int32_t i)
{
    const std::string& bytes = Editor.lines[size_t(i)].name;
    AnsiNameText name;
    DecodeAnsiName(bytes.data(), bytes.size(), Editor.codePage, &name);
    Editor.lineName = name.unicode;
    return Editor.lineName.c_str();
}

// Reads the composed line back with the program's reader: Fine when its
// first piece gives the name whole and the line reads in as many pieces as
// expected.
static LineVerdict JudgeComposed(const std::string& name, int32_t expectedPieces)
{
    static HotspotTableRecord table;
    std::vector<HotspotPiece> pieces;
    ReadHotspotText(reinterpret_cast<const unsigned char*>(Editor.composed.data()), Editor.composed.size(), &table,
                    KeepPiece, &pieces);
    size_t kept = std::strlen(table.slots[0].name);
    if (name.empty())
        return LineVerdict::NoName;
    if (int32_t(pieces.size()) != expectedPieces)
        return LineVerdict::MoreThanOneLine;
    if (size_t(pieces[0].nameLength) < name.size()) {
        Editor.cutByte = static_cast<unsigned char>(name[size_t(pieces[0].nameLength)]);
        return LineVerdict::NameSplit;
    }
    if (kept < name.size())
        return LineVerdict::NameTooLong;
    return LineVerdict::Fine;
}

// The typed name in the checked code page; 0 when the page cannot write it.
static int NameBytes(const char* typed, std::string* bytes)
{
    return EncodeAnsiName(typed, Editor.codePage, bytes, &Editor.unwritable);
}

// Writes the line "name left top right bottom" with a CR LF, the name in the
// checked code page, and reads it back with the program's reader: a
// LineVerdict. The numbers are written in decimal, which the reader reads back.
EMSCRIPTEN_KEEPALIVE int32_t EditorComposeLine(const char* typed, int32_t left, int32_t top, int32_t right,
                                               int32_t bottom)
{
    std::string name;
    if (!NameBytes(typed, &name))
        return int32_t(LineVerdict::NotInCodePage);
    Editor.composed = name + " " + std::to_string(left) + " " + std::to_string(top) + " " + std::to_string(right) +
                      " " + std::to_string(bottom) + "\r\n";
    return int32_t(JudgeComposed(name, 1));
}

// Line i with its rectangle set to the four values and, unless typed is
// null, its name replaced: only the fields whose values change are
// rewritten, missing ones are added after a space, and every other byte of
// the line stays. A LineVerdict, as for a composed line.
EMSCRIPTEN_KEEPALIVE int32_t EditorEditLine(int32_t i, const char* typed, int32_t left, int32_t top, int32_t right,
                                            int32_t bottom)
{
    const FileLine& line = Editor.lines[size_t(i)];
    std::string name = line.name;
    if (name.empty())
        return int32_t(LineVerdict::NoName);
    if (typed && !NameBytes(typed, &name))
        return int32_t(LineVerdict::NotInCodePage);
    std::string first = Editor.text.substr(line.byteStart, size_t(line.firstLength));
    HotspotField fields[kHotspotFields];
    int count = FindHotspotFields(first.c_str(), fields);
    const int32_t before[] = {line.rect.left, line.rect.top, line.rect.right, line.rect.bottom};
    const int32_t after[] = {left, top, right, bottom};
    int lastAdded = 0;
    for (int field = count; field < kHotspotFields; field++)
        if (after[field - 1] != before[field - 1])
            lastAdded = field;
    std::string edited = first;
    for (int field = count; field <= lastAdded; field++)
        edited += " " + std::to_string(after[field - 1]);
    // From the last field to the first, so that the earlier places stay.
    for (int field = count - 1; field >= 1; field--)
        if (after[field - 1] != before[field - 1])
            edited.replace(size_t(fields[field].start), size_t(fields[field].length), std::to_string(after[field - 1]));
    if (typed)
        edited.replace(size_t(fields[0].start), size_t(fields[0].length), name);
    Editor.composed = edited + Editor.text.substr(line.byteStart + uint32_t(line.firstLength),
                                                  line.byteEnd - line.byteStart - uint32_t(line.firstLength));
    return int32_t(JudgeComposed(name, line.pieces));
}

EMSCRIPTEN_KEEPALIVE const char* EditorComposed()
{
    return Editor.composed.data();
}

EMSCRIPTEN_KEEPALIVE uint32_t EditorComposedSize()
{
    return uint32_t(Editor.composed.size());
}

EMSCRIPTEN_KEEPALIVE int32_t EditorComposedCutByte()
{
    return Editor.cutByte;
}

// The first character of a refused name that the code page has no bytes for.
EMSCRIPTEN_KEEPALIVE const char* EditorUnwritable()
{
    return Editor.unwritable.c_str();
}

// The code pages the page offers, kAnsiCodePageCount of them.
EMSCRIPTEN_KEEPALIVE const int32_t* EditorCodePages()
{
    return kAnsiCodePages;
}

EMSCRIPTEN_KEEPALIVE int32_t EditorCodePageCount()
{
    return kAnsiCodePageCount;
}

// A decoded picture (RGBA, top row first) as a skin file: its size in bytes,
// or 0 when it cannot be one.
EMSCRIPTEN_KEEPALIVE uint32_t EditorPictureSkin(const unsigned char* rgba, int32_t width, int32_t height)
{
    if (!WritePictureSkin(rgba, width, height, &Editor.pictureFile, &Editor.keyColouredOpaque))
        return 0;
    return uint32_t(Editor.pictureFile.size());
}

EMSCRIPTEN_KEEPALIVE const unsigned char* EditorPictureSkinBytes()
{
    return Editor.pictureFile.data();
}

// Opaque pixels of the last picture that had the key colour and were moved off it.
EMSCRIPTEN_KEEPALIVE double EditorKeyColouredOpaque()
{
    return double(Editor.keyColouredOpaque);
}

}  // extern "C"
