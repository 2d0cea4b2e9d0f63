// The skin editor's way into the model, the checker and the line edits: a
// few C functions of plain types that the page calls, which only marshal.
// Every verdict the page shows comes through here, and every fact of the
// model the page needs, by name: a result with more than one part is a JSON
// object. The page draws and takes input.
// Results live in this file's records until the next call of the same kind,
// so the page never frees anything.
#include "AnsiName.h"
#include "CheckReport.h"
#include "FolderAccess.h"
#include "HotspotMap.h"
#include "HotspotTable.h"
#include "LineEdit.h"
#include "PeakLimiter.h"
#include "PictureSkin.h"
#include "ReportWriters.h"
#include "SkinCheck.h"
#include "SkinImage.h"
#include "Startup.h"
#include "WaveFile.h"

#include <emscripten/emscripten.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

struct EditorRecord {
    std::string report;
    std::vector<int8_t> whoActs;
    std::vector<unsigned char> skinPixels;
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

// Every call that reads or writes names is told its code page, so that no
// answer depends on which call came before it.
static int32_t KnownCodePage(int32_t codePage)
{
    return IsAnsiCodePage(codePage) ? codePage : kDefaultCodePage;
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
    CheckReport.codePage = KnownCodePage(codePage);
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
// play nothing, the slots the table has, the who-acts map's value where a
// press starts a drag, the two files, the code page names are read in unless
// the person picks another, and the limits of a rectangle's numbers.
EMSCRIPTEN_KEEPALIVE const char* EditorModelFacts()
{
    return Answer({{"minimiseKeyword", kMinimizeKeyword},
                   {"exitKeyword", kExitKeyword},
                   {"slots", kMaxHotspots},
                   {"noHotspot", kNoHotspot},
                   {"hotspotFile", kHotspotFileName},
                   {"skinFile", kSkinFileName},
                   {"defaultCodePage", kDefaultCodePage},
                   {"smallestCoordinate", kSmallestCoordinate},
                   {"largestCoordinate", kLargestCoordinate}});
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

// The rectangle whose interior is the box x0 <= x < x1, y0 <= y < y1, or
// the problem with its numbers.
EMSCRIPTEN_KEEPALIVE const char* EditorRectAround(double x0, double y0, double x1, double y1)
{
    const double box[4] = {x0, y0, x1, y1};
    HotspotRect rect;
    std::string problem;
    if (!RectAround(box, &rect, &problem))
        return Answer({{"problem", problem}});
    return Answer({{"rect", RectJson(rect)}});
}

// The file a press on the slot would play, relative to the checked folder,
// as the checker found it; "" when it found none.
EMSCRIPTEN_KEEPALIVE const char* EditorSoundFile(int32_t slot)
{
    if (slot < 0 || size_t(slot) >= CheckReport.slots.size())
        return "";
    return CheckReport.slots[size_t(slot)].soundFile.c_str();
}

// 1 when Windows takes the two file names (UTF-8) for one, as the checker
// matches a sound's name with the folder's files.
// The checker's verdict on a sound file of the module's file system:
// whether every Windows plays it, and why not.
EMSCRIPTEN_KEEPALIVE const char* EditorSoundVerdict(const char* path)
{
    std::string problem;
    WaveVerdict verdict = JudgeWaveFile(path, &problem);
    return Answer({{"plays", verdict == WaveVerdict::Plays}, {"problem", problem}});
}

EMSCRIPTEN_KEEPALIVE double EditorSoundSeconds(const char* path)
{
    return WaveSeconds(path);
}

EMSCRIPTEN_KEEPALIVE const char* EditorSafeSoundName(const char* typed, int32_t codePage)
{
    Editor.answer = SafeSoundName(typed, KnownCodePage(codePage));
    return Editor.answer.c_str();
}

// Why Windows can hold no file of the name (one part of a path, size bytes
// of UTF-8, a 0 byte among them), or "".
EMSCRIPTEN_KEEPALIVE const char* EditorFileNameProblem(const char* name, uint32_t size)
{
    Editor.answer = FileNameProblem(std::string(name, size));
    return Editor.answer.c_str();
}

EMSCRIPTEN_KEEPALIVE int32_t EditorSameName(const char* a, const char* b)
{
    return SameNameToWindows(a, b);
}

// A line's name as a system of the code page reads it, in UTF-8.
static std::string ShownName(const std::string& bytes, int32_t codePage)
{
    AnsiNameText name;
    DecodeAnsiName(bytes.data(), bytes.size(), codePage, &name);
    return name.unicode;
}

static json LineJson(const FileLine& line, int32_t codePage)
{
    json out = {{"start", line.byteStart}, {"end", line.byteEnd}, {"endsWithNewline", bool(line.endsWithNewline)},
                {"slot", line.firstSlot}, {"pieces", line.pieces}, {"name", ShownName(line.name, codePage)}};
    out["rect"] = RectJson(line.rect);
    return out;
}

// Reads a hotspot file's bytes into its lines, kept for the edits below, the
// names shown as the code page writes them. Every byte before textEnd belongs
// to exactly one line; the bytes from there on (from an end-of-text mark) are
// read by nobody.
EMSCRIPTEN_KEEPALIVE const char* EditorReadLines(const unsigned char* bytes, uint32_t size, int32_t codePage)
{
    ReadHotspotLines(bytes, size);
    json lines = json::array();
    for (const FileLine& line : HotspotLines.lines)
        lines.push_back(LineJson(line, KnownCodePage(codePage)));
    return Answer({{"textEnd", HotspotLines.textEnd}, {"lines", lines}});
}

// {} when the program reads the composed line back as meant, else why not.
static const char* Verdict(int composed, const std::string& problem)
{
    return Answer(composed ? json::object() : json{{"problem", problem}});
}

// A new line "name left top right bottom", the name in the code page.
EMSCRIPTEN_KEEPALIVE const char* EditorComposeLine(const char* typed, int32_t codePage, double left, double top,
                                                   double right, double bottom)
{
    const double numbers[4] = {left, top, right, bottom};
    std::string problem;
    return Verdict(ComposeLine(typed, numbers, KnownCodePage(codePage), &problem), problem);
}

// Line i with the rectangle and, unless typed is null, a new name in the
// code page, changed where its values change.
EMSCRIPTEN_KEEPALIVE const char* EditorEditLine(int32_t i, const char* typed, int32_t codePage, double left,
                                                double top, double right, double bottom)
{
    const double numbers[4] = {left, top, right, bottom};
    std::string problem;
    return Verdict(EditLine(i, typed, numbers, KnownCodePage(codePage), &problem), problem);
}

EMSCRIPTEN_KEEPALIVE const char* EditorComposed()
{
    return HotspotLines.composed.data();
}

EMSCRIPTEN_KEEPALIVE uint32_t EditorComposedSize()
{
    return uint32_t(HotspotLines.composed.size());
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

// A pad's sound as the page holds it: each channel's frames after the
// other's, the first channel at samples.
static PlanarSound SoundAt(float* samples, float** pointers, int32_t channels, uint32_t frames, double sampleRate)
{
    pointers[0] = samples;
    pointers[1] = samples + frames;
    return {pointers, channels, frames, sampleRate};
}

// The sound times the gain, limited in place so that its true peak stays at
// or below the ceiling: the true peak of the result in dBTP (-Infinity for
// silence), or NaN when the model refuses the sound or has no room for the
// limiter's work, which it frees before it answers.
EMSCRIPTEN_KEEPALIVE double EditorLimitPeaks(float* samples, int32_t channels, uint32_t frames, double sampleRate,
                                             double gainDb, double ceilingDb)
{
    // 64-bit, since the module's size_t would wrap past 4 GiB.
    const uint64_t workBytes = (uint64_t(frames) + 1) * sizeof(float);
    float* work = workBytes <= SIZE_MAX ? static_cast<float*>(std::malloc(size_t(workBytes))) : nullptr;
    if (!work)
        return NAN;
    float* pointers[kMaxSoundChannels];
    PlanarSound sound = SoundAt(samples, pointers, channels, frames, sampleRate);
    double truePeakDb = NAN;
    const char* problem = nullptr;
    if (!LimitPeaks(&sound, work, gainDb, ceilingDb, &truePeakDb, &problem))
        truePeakDb = NAN;
    std::free(work);
    return truePeakDb;
}

// The frames start <= i < end of the sound without its leading and trailing
// silence, as {start, end} ({0, 0} when all of it is silence), or {problem}.
EMSCRIPTEN_KEEPALIVE const char* EditorSoundSpan(float* samples, int32_t channels, uint32_t frames,
                                                 double sampleRate)
{
    float* pointers[kMaxSoundChannels];
    PlanarSound sound = SoundAt(samples, pointers, channels, frames, sampleRate);
    uint64_t start = 0, end = 0;
    const char* problem = nullptr;
    if (!SoundSpan(&sound, &start, &end, &problem))
        return Answer({{"problem", problem}});
    return Answer({{"start", start}, {"end", end}});
}

}  // extern "C"
