#include "SkinCheck.h"

#include "CheckReport.h"
#include "FolderAccess.h"
#include "HotspotTable.h"
#include "ShowMessage.h"
#include "SkinImage.h"
#include "SoundCheck.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

static const char kSeparators[] = " ,\t";

// One read of the line reader: a slot's worth of text and where it came from.
struct LinePiece {
    int line;
    int continuation;  // 1 when it is the rest of a line cut at 249 characters
    std::string text;
};

// A set of integer points x0 <= x < x1, y0 <= y < y1, in 64 bits so that
// rectangle edges next to the 32-bit limits cannot wrap.
struct PointBox {
    int64_t x0, y0, x1, y1;
};

// Once the ini failure has destroyed the window, the program's later message
// boxes are not seen, so they are not recorded either.
static int windowDestroyed;
static std::vector<std::string> everyMessage;

void ShowMessage(const char* text)
{
    everyMessage.push_back(text);
    if (!windowDestroyed)
        CheckReport.messages.push_back(text);
}

static std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

static const char* EntryProblem(const char* name)
{
    switch (KindOfEntry(name)) {
    case EntryKind::Missing: return "there is no such file in the folder";
    case EntryKind::Folder: return "it is a folder, not a file";
    case EntryKind::Other: return "it is not a plain file (a device, pipe or broken link)";
    case EntryKind::File: break;
    }
    return "it cannot be opened for reading";
}

static void ExplainHotspotFailure()
{
    AddFinding(0, FindingLevel::Error, "load-fails",
               "The program shows \"no valid ini file!\" and closes: \"lum.ini\" cannot be read, "
               "because " + std::string(EntryProblem(kHotspotFileName)) + ".");
}

static std::string SkinFailureReason()
{
    DibImage* image = SkinImage.image;
    if (!image)
        return "there was no memory for it";
    if (!image->isValid()) {
        if (KindOfEntry(kSkinFileName) != EntryKind::File)
            return EntryProblem(kSkinFileName);
        if (std::find(everyMessage.begin(), everyMessage.end(), "This isn't a bitmap file!") !=
            everyMessage.end())
            return "it does not start with \"BM\", so it is not a bitmap file";
        return "it is too short for its headers and colour table";
    }
    const BITMAPINFOHEADER* header = image->infoHeader();
    if (header->biBitCount != 24)
        return "it has " + std::to_string(header->biBitCount) + " bits per pixel, not 24";
    if (header->biHeight < 0)
        return "it is stored top-down (negative height), which is not accepted";
    if (header->biWidth <= 0 || header->biHeight == 0)
        return "its width or height is not positive";
    return "the file is too short for the pixels its header describes";
}

// Names the skin's own message boxes, those shown from firstMessage on.
static std::string ShownTexts(size_t firstMessage)
{
    std::string texts;
    for (size_t i = firstMessage; i < CheckReport.messages.size(); i++)
        texts += (i == firstMessage ? "" : " and then ") + Quoted(CheckReport.messages[i]);
    return texts;
}

static void ExplainSkinFailure(size_t firstMessage)
{
    std::string reason = "\"lum.bmp\" is unusable, because " + SkinFailureReason() + ".";
    if (windowDestroyed)
        AddFinding(0, FindingLevel::Error, "load-fails",
                   "The skin fails as well, but its messages are not seen since the window is already gone: " +
                       reason);
    else
        AddFinding(0, FindingLevel::Error, "load-fails",
                   "The program shows " + ShownTexts(firstMessage) + " and closes: " + reason);
}

static void SummarizeSkin(int built)
{
    SkinSummary& skin = CheckReport.skin;
    DibImage* image = SkinImage.image;
    skin.loaded = built;
    skin.readable = image && image->isValid();
    if (!skin.readable)
        return;
    const BITMAPINFOHEADER* header = image->infoHeader();
    skin.width = header->biWidth;
    skin.height = header->biHeight;
    skin.bitsPerPixel = header->biBitCount;
    skin.headerSize = header->biSize;
    skin.colorEntries = image->colorCount();
    if (!built)
        return;
    uint64_t rowBytes = SkinRowBytes(skin.width);
    for (int32_t row = 0; row < skin.height; row++)
        for (int32_t x = 0; x < skin.width; x++)
            skin.seeThroughPixels += SkinImage.mask[row * rowBytes + 3 * uint64_t(x)] == 255;
}

// The start-up of the window, message for message: the hotspot file, then the
// skin, each failure shown as the program shows it.
static void RunStartup()
{
    CheckReport.hotspotFileLoaded = LoadHotspotFile();
    if (!CheckReport.hotspotFileLoaded) {
        ShowMessage("no valid ini file!");
        windowDestroyed = 1;
    }
    size_t firstSkinMessage = CheckReport.messages.size();
    int built = BuildSkin();
    if (!built)
        ShowMessage("no valid Bitmap!");
    if (!CheckReport.hotspotFileLoaded)
        ExplainHotspotFailure();
    if (!built)
        ExplainSkinFailure(firstSkinMessage);
    SummarizeSkin(built);
}

// Reads the file again with the reader LoadHotspotFile uses, to learn which
// file line each slot came from.
static std::vector<LinePiece> ReadLinePieces()
{
    std::vector<LinePiece> pieces;
    static HotspotLineReader reader;
    if (!OpenHotspotFile(&reader))
        return pieces;
    char text[kLineBufferSize];
    int line = 1;
    int continuation = 0;
    while (ReadHotspotLine(&reader, text)) {
        pieces.push_back({line, continuation, std::string(text, size_t(reader.lineLength))});
        continuation = !reader.endedAtNewline;
        line += reader.endedAtNewline;
    }
    CloseHotspotFile(&reader);
    return pieces;
}

static void FillSlotRows(const std::vector<LinePiece>& pieces)
{
    for (int i = 0; i < HotspotTable.count; i++) {
        const Hotspot& slot = HotspotTable.slots[i];
        SlotRow row{};
        // The file could change between the two reads; the table stays the truth.
        if (size_t(i) < pieces.size()) {
            row.line = pieces[i].line;
            row.continuation = pieces[i].continuation;
        }
        row.name = slot.name;
        row.action = int(ClassifyAction(slot.name));
        row.left = slot.rect.left;
        row.top = slot.rect.top;
        row.right = slot.rect.right;
        row.bottom = slot.rect.bottom;
        CheckReport.slots.push_back(row);
    }
}

static int FirstFieldLength(const std::string& text)
{
    const char* line = text.c_str();
    const char* start = line + std::strspn(line, kSeparators);
    return int(std::strcspn(start, kSeparators));
}

static std::string RectText(const SlotRow& row)
{
    return std::to_string(row.left) + ", " + std::to_string(row.top) + ", " +
           std::to_string(row.right) + ", " + std::to_string(row.bottom);
}

static PointBox InteriorOf(const SlotRow& row)
{
    // FindHotspot wants left < x < right and top < y < bottom.
    return {int64_t(row.left) + 1, int64_t(row.top) + 1, row.right, row.bottom};
}

static int IsEmptyBox(const PointBox& box)
{
    return box.x0 >= box.x1 || box.y0 >= box.y1;
}

static PointBox Intersect(const PointBox& a, const PointBox& b)
{
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

static int SameBox(const PointBox& a, const PointBox& b)
{
    return a.x0 == b.x0 && a.y0 == b.y0 && a.x1 == b.x1 && a.y1 == b.y1;
}

// The points a press can reach: inside the rectangle and, once the skin is
// known, inside the window.
static PointBox ReachOf(const SlotRow& row)
{
    PointBox interior = InteriorOf(row);
    if (!CheckReport.skin.loaded)
        return interior;
    return Intersect(interior, {0, 0, CheckReport.skin.width, CheckReport.skin.height});
}

// Splits target into cells along every edge of the covers and says whether
// some cell is covered (*some) and whether every cell is (*all).
static void Coverage(const PointBox& target, const std::vector<PointBox>& covers, int* some, int* all)
{
    std::vector<int64_t> xs{target.x0, target.x1};
    std::vector<int64_t> ys{target.y0, target.y1};
    for (const PointBox& c : covers) {
        xs.insert(xs.end(), {std::clamp(c.x0, target.x0, target.x1), std::clamp(c.x1, target.x0, target.x1)});
        ys.insert(ys.end(), {std::clamp(c.y0, target.y0, target.y1), std::clamp(c.y1, target.y0, target.y1)});
    }
    std::sort(xs.begin(), xs.end());
    std::sort(ys.begin(), ys.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    *some = 0;
    *all = 1;
    for (size_t i = 0; i + 1 < xs.size(); i++) {
        for (size_t j = 0; j + 1 < ys.size(); j++) {
            int covered = 0;
            for (const PointBox& c : covers)
                covered |= c.x0 <= xs[i] && xs[i + 1] <= c.x1 && c.y0 <= ys[j] && ys[j + 1] <= c.y1;
            *some |= covered;
            *all &= covered;
        }
    }
}

static int AllSeeThrough(const PointBox& reach)
{
    const SkinSummary& skin = CheckReport.skin;
    uint64_t rowBytes = SkinRowBytes(skin.width);
    for (int64_t y = reach.y0; y < reach.y1; y++) {
        const unsigned char* row = SkinImage.mask + uint64_t(skin.height - 1 - y) * rowBytes;
        for (int64_t x = reach.x0; x < reach.x1; x++)
            if (row[3 * x] != 255)
                return 0;
    }
    return 1;
}

static std::string LineList(const std::vector<int>& lines)
{
    std::string text;
    for (size_t i = 0; i < lines.size(); i++)
        text += (i == 0 ? "" : i + 1 == lines.size() ? " and " : ", ") + std::to_string(lines[i]);
    return (lines.size() == 1 ? "line " : "lines ") + text;
}

static std::string EarlierHotspots(const std::vector<int>& lines)
{
    return std::string(lines.size() == 1 ? "hotspot of " : "hotspots of ") + LineList(lines) +
           (lines.size() == 1 ? ", which comes first" : ", which come first");
}

// Adds shadowed or partly-shadowed; 1 when no press can reach the slot.
static int CheckShadowing(int slot, const PointBox& reach)
{
    std::vector<PointBox> covers;
    std::vector<int> lines;
    for (int i = 0; i < slot; i++) {
        PointBox cover = Intersect(InteriorOf(CheckReport.slots[i]), reach);
        if (IsEmptyBox(cover))
            continue;
        covers.push_back(cover);
        if (std::find(lines.begin(), lines.end(), CheckReport.slots[i].line) == lines.end())
            lines.push_back(CheckReport.slots[i].line);
    }
    int some = 0;
    int all = 0;
    if (!covers.empty())
        Coverage(reach, covers, &some, &all);
    const SlotRow& row = CheckReport.slots[slot];
    if (all) {
        AddFinding(row.line, FindingLevel::Error, "shadowed",
                   "Every point of this hotspot lies in the " + EarlierHotspots(lines) +
                       ", so a press here never acts for this line.",
                   slot);
        return 1;
    }
    if (some)
        AddFinding(row.line, FindingLevel::Info, "partly-shadowed",
                   "Part of this hotspot lies in the " + EarlierHotspots(lines) +
                       (lines.size() == 1 ? " and wins" : " and win") + " a press there.",
                   slot);
    return 0;
}

// Adds empty-rect, outside-skin or partly-outside; 1 when no press can reach the slot.
static int CheckPlacement(int slot, const PointBox& reach)
{
    const SlotRow& row = CheckReport.slots[slot];
    PointBox interior = InteriorOf(row);
    if (IsEmptyBox(interior)) {
        AddFinding(row.line, FindingLevel::Error, "empty-rect",
                   "The rectangle " + RectText(row) +
                       " has no width or no height inside its edges, so no press can land in it.",
                   slot);
        return 1;
    }
    std::string size = std::to_string(CheckReport.skin.width) + " x " + std::to_string(CheckReport.skin.height);
    if (IsEmptyBox(reach)) {
        AddFinding(row.line, FindingLevel::Error, "outside-skin",
                   "The rectangle " + RectText(row) + " lies wholly outside the " + size + " picture.",
                   slot);
        return 1;
    }
    if (!SameBox(reach, interior))
        AddFinding(row.line, FindingLevel::Warning, "partly-outside",
                   "Part of the rectangle " + RectText(row) + " lies outside the " + size +
                       " picture, where no press can reach it.",
                   slot);
    return 0;
}

static int CheckKeywordCase(int slot)
{
    const SlotRow& row = CheckReport.slots[slot];
    std::string word = row.name;
    while (!word.empty() && word.back() == '\r')
        word.pop_back();
    for (char& c : word)
        c = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
    if (word != "MIN" && word != "EXIT")
        return 0;
    const char* how = word.size() != row.name.size() ? " ends in a carriage return" : " is not written in capitals";
    AddFinding(row.line, FindingLevel::Warning, "keyword-case",
               "The name " + Quoted(Printable(row.name)) + how + ", so it is not the keyword " +
                   word + ": a press plays a sound file of that name instead.",
               slot);
    return 1;
}

static void CheckSlot(int slot, const std::vector<LinePiece>& pieces)
{
    const SlotRow& row = CheckReport.slots[slot];
    const std::string& text = size_t(slot) < pieces.size() ? pieces[slot].text : row.name;
    if (row.name.empty()) {
        AddFinding(row.line, FindingLevel::Info, "empty-line",
                   "This line holds no fields; it only takes slot " + std::to_string(slot + 1) + ".",
                   slot);
        return;
    }
    if (FirstFieldLength(text) >= kActionNameSize)
        AddFinding(row.line, FindingLevel::Warning, "name-cut",
                   "The name is " + std::to_string(FirstFieldLength(text)) +
                       " characters long; only its first 239 are kept.",
                   slot);
    PointBox reach = ReachOf(row);
    if (CheckPlacement(slot, reach) || CheckShadowing(slot, reach))
        return;
    if (CheckReport.skin.loaded && AllSeeThrough(reach))
        AddFinding(row.line, FindingLevel::Info, "over-see-through",
                   "The hotspot lies wholly on see-through pixels: it acts, but nothing shows where it is.",
                   slot);
    if (row.action == int(HotspotAction::PlayFile) && !CheckKeywordCase(slot))
        CheckSoundOfSlot(slot);
}

// Characters of the same file line read before piece i.
static size_t CharactersBefore(const std::vector<LinePiece>& pieces, size_t i)
{
    size_t count = 0;
    while (i > 0 && pieces[i].continuation)
        count += pieces[--i].text.size();
    return count;
}

static void CheckSplitLines(const std::vector<LinePiece>& pieces)
{
    for (size_t i = 0; i < pieces.size(); i++) {
        if (!pieces[i].continuation)
            continue;
        const std::string& rest = pieces[i].text;
        std::string holds;
        if (i >= size_t(kMaxHotspots))
            holds = "would take a further slot, but the table is already full";
        else if (rest.find_first_not_of(kSeparators) == std::string::npos)
            holds = "takes slot " + std::to_string(i + 1) + ", which stays empty";
        else
            holds = "takes slot " + std::to_string(i + 1) + ", which holds " +
                    Quoted(Printable(CheckReport.slots[i].name)) + " with the rectangle " +
                    RectText(CheckReport.slots[i]);
        AddFinding(pieces[i].line, FindingLevel::Warning, "split-line",
                   "The line is longer than 248 characters; what follows its first " +
                       std::to_string(CharactersBefore(pieces, i)) + " characters " + holds + ".",
                   i < size_t(kMaxHotspots) ? int(i) : -1);
    }
}

static void CheckBeyondLimit(const std::vector<LinePiece>& pieces)
{
    std::vector<int> lines;
    for (size_t i = kMaxHotspots; i < pieces.size(); i++)
        if (pieces[i].text.find_first_not_of(kSeparators) != std::string::npos &&
            (lines.empty() || lines.back() != pieces[i].line))
            lines.push_back(pieces[i].line);
    if (lines.empty())
        return;
    AddFinding(lines.front(), FindingLevel::Error, "beyond-slot-limit",
               "The table holds 32 slots, so " + LineList(lines) + " (" +
                   std::to_string(lines.size()) + " in all) " + (lines.size() == 1 ? "is" : "are") +
                   " read but never used.");
}

static int ReachableExit()
{
    for (size_t i = 0; i < CheckReport.slots.size(); i++) {
        if (CheckReport.slots[i].action != int(HotspotAction::Exit))
            continue;
        int blocked = 0;
        for (const Finding& f : CheckReport.findings)
            blocked |= f.slot == int(i) && f.level == FindingLevel::Error;
        if (!blocked)
            return 1;
    }
    return 0;
}

void CheckSkinFolder()
{
    RunStartup();
    if (!CheckReport.hotspotFileLoaded)
        return;
    std::vector<LinePiece> pieces = ReadLinePieces();
    FillSlotRows(pieces);
    for (size_t slot = 0; slot < CheckReport.slots.size(); slot++)
        CheckSlot(int(slot), pieces);
    CheckSplitLines(pieces);
    CheckBeyondLimit(pieces);
    if (!ReachableExit())
        AddFinding(0, FindingLevel::Info, "no-exit",
                   "No hotspot can be pressed to end the program: only Escape, which needs keyboard "
                   "focus, closes it.");
    std::stable_sort(CheckReport.findings.begin(), CheckReport.findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
}
