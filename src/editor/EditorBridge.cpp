// The skin editor's way into the model and the checker: a few C functions of
// plain types that the page calls. Every verdict the page shows comes from
// here, and every fact of the model the page needs, by name: a result with
// more than one part is a JSON object. The page draws and takes input.
// Results live in this file's records until the next call of the same kind,
// so the page never frees anything.
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
#include <nlohmann/json.hpp>

#include <cstdio>
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


struct EditorRecord {
    std::string report;
    std::vector<int8_t> whoActs;
    std::vector<unsigned char> skinPixels;
    std::vector<FileLine> lines;
    std::string text;
    uint32_t textEnd;
    int32_t codePage = kDefaultCodePage;
    std::string composed;
    std::vector<unsigned char> pictureFile;
    std::string answer;
};

static EditorRecord Editor;

using json = nlohmann::ordered_json;

// Kept in the record, so that the page can read it until the next call.
static const char* Answer(const json& value)
{
    Editor.answer = value.dump(-1, ' ', false, json::error_handler_t::replace);
    return Editor.answer.c_str();
}

static json RectJson(const HotspotRect& rect)
{
    return {{"left", rect.left}, {"top", rect.top}, {"right", rect.right}, {"bottom", rect.bottom}};
}

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
    Editor.skinPixels.resize(uint64_t(EditorSkinWidth()) * uint64_t(EditorSkinHeight()) * 4);
    if (SkinLoaded())
        SkinRgba(Editor.skinPixels.data());
    return Editor.skinPixels.data();
}

// What the page must know of the model: the keywords of the two actions that
// play nothing, the slots the table has, and the who-acts map's value where a
// press starts a drag.
EMSCRIPTEN_KEEPALIVE const char* EditorModelFacts()
{
    return Answer({{"minimiseKeyword", kMinimizeKeyword},
                   {"exitKeyword", kExitKeyword},
                   {"slots", kMaxHotspots},
                   {"noHotspot", kNoHotspot},
                   {"hotspotFile", kHotspotFileName},
                   {"skinFile", kSkinFileName}});
}

// Each slot's interior, the pixels strictly inside its rectangle: x0 <= x <
// x1 and y0 <= y < y1, which can pass the 32-bit limits.
EMSCRIPTEN_KEEPALIVE const char* EditorInteriors()
{
    json boxes = json::array();
    for (int32_t slot = 0; slot < HotspotTable.count; slot++) {
        PixelBox inside = HotspotInterior(HotspotTable.slots[slot].rect);
        boxes.push_back({{"x0", inside.x0}, {"y0", inside.y0}, {"x1", inside.x1}, {"y1", inside.y1}});
    }
    return Answer(boxes);
}

// The rectangle whose interior is the box x0 <= x < x1, y0 <= y < y1. The
// interior moves each edge by a fixed step, which the zero rectangle shows.
EMSCRIPTEN_KEEPALIVE const char* EditorRectAround(double x0, double y0, double x1, double y1)
{
    PixelBox step = HotspotInterior(HotspotRect{0, 0, 0, 0});
    return Answer(RectJson({int32_t(x0 - double(step.x0)), int32_t(y0 - double(step.y0)),
                            int32_t(x1 - double(step.x1)), int32_t(y1 - double(step.y1))}));
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

// A line's name as the system of the checked code page reads it, in UTF-8.
static std::string ShownName(const std::string& bytes)
{
    AnsiNameText name;
    DecodeAnsiName(bytes.data(), bytes.size(), Editor.codePage, &name);
    return name.unicode;
}

static json LineJson(const FileLine& line)
{
    json out = {{"start", line.byteStart}, {"end", line.byteEnd}, {"endsWithNewline", bool(line.endsWithNewline)},
                {"slot", line.firstSlot}, {"pieces", line.pieces}, {"name", ShownName(line.name)}};
    out["rect"] = RectJson(line.rect);
    return out;
}

// Reads a hotspot file's bytes into its lines. Every byte before textEnd
// belongs to exactly one line; the bytes from there on (from an end-of-text
// mark) are read by nobody. The bytes are kept for the edits below.
EMSCRIPTEN_KEEPALIVE const char* EditorReadLines(const unsigned char* bytes, uint32_t size)
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
    json lines = json::array();
    for (FileLine& line : Editor.lines) {
        line.endsWithNewline = line.byteEnd > line.byteStart && bytes[line.byteEnd - 1] == '\n';
        ReadLineHotspot(bytes, &line);
        lines.push_back(LineJson(line));
    }
    return Answer({{"textEnd", Editor.textEnd}, {"lines", lines}});
}

// A byte named for a person: the reader's cut falls on it.
static std::string ByteName(unsigned char byte)
{
    if (byte == ' ')
        return "the space";
    if (byte == '\t')
        return "the tab";
    char text[16];
    std::snprintf(text, sizeof text, byte > ' ' && byte < 0x7F ? "\"%c\"" : "byte 0x%02X", byte);
    return text;
}

static const char kNoName[] = "the line has no name";

// The answer for a composed line: {} when the program reads it back as
// meant, else why not.
static const char* Problem(const std::string& problem)
{
    return Answer(problem.empty() ? json::object() : json{{"problem", problem}});
}

// Reads the composed line back with the program's reader: "" when its first
// piece gives the name whole and the line reads in as many pieces as
// expected, else why it would not.
static std::string JudgeComposed(const std::string& name, int32_t expectedPieces)
{
    static HotspotTableRecord table;
    std::vector<HotspotPiece> pieces;
    ReadHotspotText(reinterpret_cast<const unsigned char*>(Editor.composed.data()), Editor.composed.size(), &table,
                    KeepPiece, &pieces);
    size_t kept = std::strlen(table.slots[0].name);
    if (name.empty())
        return kNoName;
    if (int32_t(pieces.size()) != expectedPieces)
        return "the line would not stay as it was read: the program ends a line at a line break and after " +
               std::to_string(kLineCharacters) + " characters";
    if (size_t(pieces[0].nameLength) < name.size())
        return "the program would split the name at " +
               ByteName(static_cast<unsigned char>(name[size_t(pieces[0].nameLength)]));
    if (kept < name.size())
        return "the name is longer than the program keeps (" + std::to_string(kNameCharacters) + " characters)";
    return "";
}

// The typed name in the checked code page; 0, with the reason, when the page
// cannot write it.
static int NameBytes(const char* typed, std::string* bytes, std::string* problem)
{
    std::string unwritable;
    if (EncodeAnsiName(typed, Editor.codePage, bytes, &unwritable))
        return 1;
    *problem = "code page " + std::to_string(Editor.codePage) + " has no character \"" + unwritable + "\"";
    return 0;
}

// Writes the line "name left top right bottom" with a CR LF, the name in the
// checked code page, and reads it back with the program's reader. The
// numbers are written in decimal, which the reader reads back.
EMSCRIPTEN_KEEPALIVE const char* EditorComposeLine(const char* typed, int32_t left, int32_t top, int32_t right,
                                                   int32_t bottom)
{
    std::string name, problem;
    if (!NameBytes(typed, &name, &problem))
        return Problem(problem);
    Editor.composed = name + " " + std::to_string(left) + " " + std::to_string(top) + " " + std::to_string(right) +
                      " " + std::to_string(bottom) + "\r\n";
    return Problem(JudgeComposed(name, 1));
}

// Line i with its rectangle set to the four values and, unless typed is
// null, its name replaced: only the fields whose values change are
// rewritten, missing ones are added after a space, and every other byte of
// the line stays. Answered as for a composed line.
EMSCRIPTEN_KEEPALIVE const char* EditorEditLine(int32_t i, const char* typed, int32_t left, int32_t top, int32_t right,
                                                int32_t bottom)
{
    const FileLine& line = Editor.lines[size_t(i)];
    std::string name = line.name, problem;
    if (name.empty())
        return Problem(kNoName);
    if (typed && !NameBytes(typed, &name, &problem))
        return Problem(problem);
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
    return Problem(JudgeComposed(name, line.pieces));
}

EMSCRIPTEN_KEEPALIVE const char* EditorComposed()
{
    return Editor.composed.data();
}

EMSCRIPTEN_KEEPALIVE uint32_t EditorComposedSize()
{
    return uint32_t(Editor.composed.size());
}

// The code pages the page offers, each with the script it writes.
EMSCRIPTEN_KEEPALIVE const char* EditorCodePages()
{
    json pages = json::array();
    for (int32_t page : kAnsiCodePages)
        pages.push_back({{"page", page}, {"script", AnsiCodePageScript(page)}});
    return Answer(pages);
}

// A decoded picture (RGBA, top row first) as a skin file: its size in bytes
// (0 when it cannot be one), how many opaque pixels had the key colour, and
// the colour they were given instead.
EMSCRIPTEN_KEEPALIVE const char* EditorPictureSkin(const unsigned char* rgba, int32_t width, int32_t height)
{
    uint64_t moved = 0;
    if (!WritePictureSkin(rgba, width, height, &Editor.pictureFile, &moved))
        Editor.pictureFile.clear();
    unsigned char near[3];
    NearKeyColour(near);
    return Answer({{"size", Editor.pictureFile.size()},
                   {"keyColouredOpaque", moved},
                   {"movedTo", {{"red", near[2]}, {"green", near[1]}, {"blue", near[0]}}}});
}

EMSCRIPTEN_KEEPALIVE const unsigned char* EditorPictureSkinBytes()
{
    return Editor.pictureFile.data();
}

}  // extern "C"
