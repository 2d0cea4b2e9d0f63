// The skin editor's way into the model and the checker: a few C functions of
// plain types that the page calls. Every verdict the page shows comes from
// here; the page draws and takes input. Results live in this file's records
// until the next call of the same kind, so the page never frees anything.
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
    std::string name;
    HotspotRect rect;
};

// Why a line the editor composed cannot be saved as it stands.
enum class LineVerdict { Fine, NoName, NameSplit, NameTooLong, MoreThanOneLine };

struct EditorRecord {
    std::string report;
    std::vector<int8_t> whoActs;
    std::vector<unsigned char> skinPixels;
    std::vector<FileLine> lines;
    uint32_t textEnd;
    std::string composed;
    int32_t composedCut;
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
EMSCRIPTEN_KEEPALIVE const char* EditorCheck(const char* folder)
{
    CheckReport = CheckReportRecord();
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
// there on (from an end-of-text mark) are read by nobody.
EMSCRIPTEN_KEEPALIVE int32_t EditorReadLines(const unsigned char* bytes, uint32_t size)
{
    static HotspotTableRecord table;
    std::vector<HotspotPiece> pieces;
    ReadHotspotText(bytes, size, &table, KeepPiece, &pieces);
    Editor.lines.clear();
    Editor.textEnd = 0;
    for (const HotspotPiece& piece : pieces) {
        if (!piece.continuation)
            Editor.lines.push_back({uint32_t(piece.byteStart), 0, 0, piece.slot, 0, std::string(), {}});
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

EMSCRIPTEN_KEEPALIVE const char* EditorLineName(int32_t i)
{
    return Editor.lines[size_t(i)].name.c_str();
}

// Writes the line "name left top right bottom" with a CR LF and reads it back
// with the program's reader: a LineVerdict, Fine when it gives one hotspot
// with the whole name. For NameSplit, EditorComposedCut() tells where the
// name ends. The numbers are written in decimal, which the reader reads back.
EMSCRIPTEN_KEEPALIVE int32_t EditorComposeLine(const char* name, int32_t left, int32_t top, int32_t right,
                                               int32_t bottom)
{
    Editor.composed = std::string(name) + " " + std::to_string(left) + " " + std::to_string(top) + " " +
                      std::to_string(right) + " " + std::to_string(bottom) + "\r\n";
    static HotspotTableRecord table;
    std::vector<HotspotPiece> pieces;
    ReadHotspotText(reinterpret_cast<const unsigned char*>(Editor.composed.data()), Editor.composed.size(),
                    &table, KeepPiece, &pieces);
    size_t length = std::strlen(name);
    Editor.composedCut = int32_t(std::strlen(table.slots[0].name));
    if (length == 0)
        return int32_t(LineVerdict::NoName);
    if (pieces.size() != 1)
        return int32_t(LineVerdict::MoreThanOneLine);
    if (size_t(pieces[0].nameLength) < length)
        return int32_t(LineVerdict::NameSplit);
    if (size_t(Editor.composedCut) < length)
        return int32_t(LineVerdict::NameTooLong);
    return int32_t(LineVerdict::Fine);
}

EMSCRIPTEN_KEEPALIVE const char* EditorComposed()
{
    return Editor.composed.c_str();
}

EMSCRIPTEN_KEEPALIVE int32_t EditorComposedCut()
{
    return Editor.composedCut;
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
