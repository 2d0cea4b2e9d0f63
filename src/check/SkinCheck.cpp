#include "SkinCheck.h"

#include "AnsiName.h"
#include "CheckReport.h"
#include "FolderAccess.h"
#include "HotspotMap.h"
#include "LineCutText.h"
#include "ShowMessage.h"
#include "SkinImage.h"
#include "SoundCheck.h"
#include "Startup.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

// The model shows a message only while the program could still show it, so
// every one that arrives here is one the person would see.
void ShowMessage(const char* text)
{
    CheckReport.messages.push_back(text);
}

// The checker only watches the start-up; there is no window to destroy.
static void KeepRunning()
{
}

static void KeepPiece(const HotspotPiece* piece, void* pieces)
{
    static_cast<std::vector<HotspotPiece>*>(pieces)->push_back(*piece);
}

static std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// What the folder holds where a file could not be opened, when that says why.
static const char* EntryProblem(const char* name)
{
    switch (KindOfEntry(name)) {
    case EntryKind::Missing: return "there is no such file in the folder";
    case EntryKind::Folder: return "it is a folder, not a file";
    case EntryKind::Other: return "it is not a plain file (a device, pipe or broken link)";
    case EntryKind::File: break;
    }
    return nullptr;
}

// The reason in words, for a person; the reason's own word follows it.
static std::string FailureText(LoadFailure failure, const char* fileName)
{
    const char* entry = failure == LoadFailure::CannotOpen ? EntryProblem(fileName) : nullptr;
    if (entry)
        return entry;
    return LoadFailureText(failure, SkinImage.image ? SkinImage.image->infoHeader() : nullptr);
}

static std::string BecauseOf(LoadFailure failure, const char* fileName)
{
    return "because " + FailureText(failure, fileName) + " (" + LoadFailureWord(failure) + ").";
}

// The messages shown from first up to, not including, end.
static std::string ShownTexts(int first, int end)
{
    std::string texts;
    for (int i = first; i < end; i++)
        texts += (i == first ? "" : " and then ") + Quoted(CheckReport.messages[size_t(i)]);
    return texts;
}

static void ExplainHotspotFailure()
{
    AddLoadFailure("The program shows " + ShownTexts(0, Startup.hotspotMessages) + " and closes: \"" +
                       kHotspotFileName + "\" cannot be read, " +
                       BecauseOf(Startup.hotspotFailure, kHotspotFileName),
                   LoadFailureWord(Startup.hotspotFailure));
}

static void ExplainSkinFailure()
{
    std::string reason = "\"" + std::string(kSkinFileName) + "\" is unusable, " +
                         BecauseOf(Startup.skinFailure, kSkinFileName);
    if (Messages.shown == Startup.hotspotMessages)
        AddLoadFailure("The skin fails as well, but its messages are not seen since the window is already gone: " +
                           reason,
                       LoadFailureWord(Startup.skinFailure));
    else
        AddLoadFailure("The program shows " + ShownTexts(Startup.hotspotMessages, Messages.shown) +
                           " and closes: " + reason,
                       LoadFailureWord(Startup.skinFailure));
}

static void SummarizeSkin()
{
    SkinSummary& skin = CheckReport.skin;
    DibImage* image = SkinImage.image;
    skin.loaded = Startup.skinFailure == LoadFailure::None;
    skin.readable = image && image->isValid();
    if (!skin.readable)
        return;
    const BITMAPINFOHEADER* header = image->infoHeader();
    skin.width = header->biWidth;
    skin.height = header->biHeight;
    skin.bitsPerPixel = header->biBitCount;
    skin.headerSize = header->biSize;
    skin.colorEntries = image->colorCount();
    if (skin.loaded)
        skin.seeThroughPixels = SkinImage.seeThroughPixels;
}

// The start-up of the window, message for message, reading the hotspot file
// once with every piece of it kept.
static void RunProgramStartup(std::vector<HotspotPiece>* pieces)
{
    RunStartup(KeepRunning, KeepPiece, pieces);
    CheckReport.hotspotFileLoaded = Startup.hotspotFailure == LoadFailure::None;
    if (!CheckReport.hotspotFileLoaded)
        ExplainHotspotFailure();
    if (Startup.skinFailure != LoadFailure::None)
        ExplainSkinFailure();
    SummarizeSkin();
}

static void FillSlotRows(const std::vector<HotspotPiece>& pieces)
{
    for (int i = 0; i < HotspotTable.count; i++) {
        const Hotspot& slot = HotspotTable.slots[i];
        SlotRow row{};
        row.line = pieces[size_t(i)].line;
        row.continuation = pieces[size_t(i)].continuation;
        AnsiNameText name;
        DecodeAnsiName(slot.name, std::strlen(slot.name), CheckReport.codePage, &name);
        row.name = name.unicode;
        row.nameIsText = name.valid;
        row.firstBadByte = name.firstBadByte;
        row.action = int(ClassifyAction(slot.name));
        row.left = slot.rect.left;
        row.top = slot.rect.top;
        row.right = slot.rect.right;
        row.bottom = slot.rect.bottom;
        CheckReport.slots.push_back(row);
    }
}

static std::string RectText(const SlotRow& row)
{
    return std::to_string(row.left) + ", " + std::to_string(row.top) + ", " +
           std::to_string(row.right) + ", " + std::to_string(row.bottom);
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

// The file lines of the other slots that take presses inside this one.
static std::vector<int> WinningLines(int slot, const HotspotReach& reach)
{
    std::vector<int> lines;
    for (int i = 0; i < slot; i++) {
        int line = CheckReport.slots[size_t(i)].line;
        if ((reach.winners >> i & 1) && std::find(lines.begin(), lines.end(), line) == lines.end())
            lines.push_back(line);
    }
    return lines;
}

// Adds shadowed or partly-shadowed; 1 when no press can reach the slot.
static int CheckShadowing(int slot, const HotspotReach& reach)
{
    const SlotRow& row = CheckReport.slots[size_t(slot)];
    std::vector<int> lines = WinningLines(slot, reach);
    if (!(reach.winners >> slot & 1)) {
        AddFinding(row.line, FindingLevel::Error, "shadowed",
                   "Every point of this hotspot lies in the " + EarlierHotspots(lines) +
                       ", so a press here never acts for this line.",
                   slot);
        return 1;
    }
    if (!lines.empty())
        AddFinding(row.line, FindingLevel::Info, "partly-shadowed",
                   "Part of this hotspot lies in the " + EarlierHotspots(lines) +
                       (lines.size() == 1 ? " and wins" : " and win") + " a press there.",
                   slot);
    return 0;
}

// Adds outside-skin or partly-outside; 1 when no press can reach the slot.
static int CheckPlacement(int slot, const HotspotReach& reach)
{
    const SlotRow& row = CheckReport.slots[size_t(slot)];
    std::string size = std::to_string(CheckReport.skin.width) + " x " + std::to_string(CheckReport.skin.height);
    if (reach.onSkin == 0) {
        AddFinding(row.line, FindingLevel::Error, "outside-skin",
                   "The rectangle " + RectText(row) + " lies wholly outside the " + size + " picture.",
                   slot);
        return 1;
    }
    if (!reach.wholeOnSkin)
        AddFinding(row.line, FindingLevel::Warning, "partly-outside",
                   "Part of the rectangle " + RectText(row) + " lies outside the " + size +
                       " picture, where no press can reach it.",
                   slot);
    return 0;
}

// The verdicts that come from who acts where on the skin; 1 when no press
// can reach the slot.
static int CheckReach(int slot, const HotspotReach& reach)
{
    if (CheckPlacement(slot, reach) || CheckShadowing(slot, reach))
        return 1;
    if (reach.opaque == 0)
        AddFinding(CheckReport.slots[size_t(slot)].line, FindingLevel::Info, "over-see-through",
                   "The hotspot lies wholly on see-through pixels: it acts, but nothing shows where it is.",
                   slot);
    return 0;
}

static int CheckKeywordCase(int slot)
{
    const SlotRow& row = CheckReport.slots[size_t(slot)];
    const char* name = HotspotTable.slots[slot].name;
    const char* keyword = KeywordLookalike(name);
    if (!keyword)
        return 0;
    const char* how =
        std::strlen(keyword) != std::strlen(name) ? " ends in a carriage return" : " is not written in capitals";
    AddFinding(row.line, FindingLevel::Warning, "keyword-case",
               "The name " + Quoted(Printable(row.name)) + how + ", so it is not the keyword " +
                   keyword + ": a press plays a sound file of that name instead.",
               slot);
    return 1;
}

// reach is null when the skin did not load: the program never takes a press then.
static void CheckSlot(int slot, const HotspotPiece& piece, const HotspotReach* reach)
{
    const SlotRow& row = CheckReport.slots[size_t(slot)];
    if (row.name.empty()) {
        AddFinding(row.line, FindingLevel::Info, "empty-line",
                   "This line holds no fields; it only takes slot " + std::to_string(slot + 1) + ".",
                   slot);
        return;
    }
    if (piece.nameLength > kNameCharacters)
        AddFinding(row.line, FindingLevel::Warning, "name-cut",
                   "The name is " + std::to_string(piece.nameLength) +
                       " characters long; only its first " + std::to_string(kNameCharacters) + " are kept.",
                   slot);
    if (IsEmptyBox(HotspotInterior(HotspotTable.slots[slot].rect))) {
        AddFinding(row.line, FindingLevel::Error, "empty-rect",
                   "The rectangle " + RectText(row) +
                       " has no width or no height inside its edges, so no press can land in it.",
                   slot);
        return;
    }
    if (reach && CheckReach(slot, *reach))
        return;
    if (row.action == int(HotspotAction::PlayFile) && !CheckKeywordCase(slot))
        CheckSoundOfSlot(slot);
}

// Characters of the same file line read before piece i.
static size_t CharactersBefore(const std::vector<HotspotPiece>& pieces, size_t i)
{
    size_t count = 0;
    while (i > 0 && pieces[i].continuation)
        count += size_t(pieces[--i].length);
    return count;
}

static void CheckSplitLines(const std::vector<HotspotPiece>& pieces)
{
    for (size_t i = 0; i < pieces.size(); i++) {
        if (!pieces[i].continuation)
            continue;
        std::string holds;
        if (pieces[i].slot == kNoHotspot)
            holds = "would take a further slot, but the table is already full";
        else if (pieces[i].nameLength == 0)
            holds = "takes slot " + std::to_string(i + 1) + ", which stays empty";
        else
            holds = "takes slot " + std::to_string(i + 1) + ", which holds " +
                    Quoted(Printable(CheckReport.slots[i].name)) + " with the rectangle " +
                    RectText(CheckReport.slots[i]);
        std::string rule = LineCutText();
        rule[0] = char(std::toupper(static_cast<unsigned char>(rule[0])));
        AddFinding(pieces[i].line, FindingLevel::Warning, "split-line",
                   rule + ": here, what follows the first " + std::to_string(CharactersBefore(pieces, i)) +
                       " characters " + holds + ".",
                   pieces[i].slot);
    }
}

static void CheckBeyondLimit(const std::vector<HotspotPiece>& pieces)
{
    std::vector<int> lines;
    for (const HotspotPiece& piece : pieces)
        if (piece.slot == kNoHotspot && piece.nameLength > 0 && (lines.empty() || lines.back() != piece.line))
            lines.push_back(piece.line);
    if (lines.empty())
        return;
    AddFinding(lines.front(), FindingLevel::Error, "beyond-slot-limit",
               "The table holds " + std::to_string(kMaxHotspots) + " slots, so " + LineList(lines) + " (" +
                   std::to_string(lines.size()) + " in all) " + (lines.size() == 1 ? "is" : "are") +
                   " read but never used.");
}

// Whether a press on the slot does something: the program runs only with
// its skin, a slot that an empty line took has no rectangle, and an
// error-level finding of the slot means a press there never does what its
// line says.
static int SlotActs(size_t slot)
{
    if (!CheckReport.skin.loaded || CheckReport.slots[slot].name.empty())
        return 0;
    for (const Finding& f : CheckReport.findings)
        if (f.slot == int(slot) && f.level == FindingLevel::Error)
            return 0;
    return 1;
}

static int ReachableExit()
{
    for (const SlotRow& row : CheckReport.slots)
        if (row.action == int(HotspotAction::Exit) && row.acts)
            return 1;
    return 0;
}

// Who acts where on the loaded skin, slot by slot.
static std::vector<HotspotReach> MeasureReach()
{
    std::vector<HotspotReach> reach(kMaxHotspots);
    // MapHotspots writes every pixel, so the map is not zeroed first.
    std::unique_ptr<int8_t[]> map(new int8_t[uint64_t(SkinImage.width) * uint64_t(SkinImage.height)]);
    MapHotspots(SkinImage.width, SkinImage.height, map.get());
    MeasureHotspots(SkinImage.width, SkinImage.height, map.get(), SkinImage.mask, reach.data());
    return reach;
}

void CheckSkinFolder()
{
    std::vector<HotspotPiece> pieces;
    RunProgramStartup(&pieces);
    if (!CheckReport.hotspotFileLoaded)
        return;
    FillSlotRows(pieces);
    std::vector<HotspotReach> reach;
    if (CheckReport.skin.loaded)
        reach = MeasureReach();
    for (size_t slot = 0; slot < CheckReport.slots.size(); slot++)
        CheckSlot(int(slot), pieces[slot], reach.empty() ? nullptr : &reach[slot]);
    CheckSplitLines(pieces);
    CheckBeyondLimit(pieces);
    for (size_t slot = 0; slot < CheckReport.slots.size(); slot++)
        CheckReport.slots[slot].acts = SlotActs(slot);
    // Without its skin the program closes at once: there is nothing to end.
    if (CheckReport.skin.loaded && !ReachableExit())
        AddFinding(0, FindingLevel::Info, "no-exit",
                   "No hotspot can be pressed to end the program: only Escape, which needs keyboard "
                   "focus, closes it.");
    std::stable_sort(CheckReport.findings.begin(), CheckReport.findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
}
