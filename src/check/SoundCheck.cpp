#include "SoundCheck.h"

#include "AnsiName.h"
#include "CheckReport.h"
#include "FolderAccess.h"
#include "HotspotTable.h"
#include "WaveFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

enum class PathForm { Relative, DriveLetter, Rooted };

static int IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

static PathForm FormOfPath(const std::string& path)
{
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
        return PathForm::DriveLetter;
    return !path.empty() && IsSeparator(path[0]) ? PathForm::Rooted : PathForm::Relative;
}

static std::vector<std::string> PathParts(const std::string& path)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : path + '/') {
        if (!IsSeparator(c)) {
            part += c;
        } else if (!part.empty()) {
            parts.push_back(part);
            part.clear();
        }
    }
    return parts;
}

// 1 when ".." steps lead out of the folder the path starts in.
static int LeavesFolder(const std::vector<std::string>& parts)
{
    int depth = 0;
    for (const std::string& part : parts) {
        if (part == "..")
            depth--;
        else if (part != ".")
            depth++;
        if (depth < 0)
            return 1;
    }
    return 0;
}

// Follows the parts from start, matching each name without regard to case as
// Windows does; 1 with the path found and whether any letter differed.
static int ResolveParts(std::string start, const std::vector<std::string>& parts,
                        std::string* found, int* caseDiffers)
{
    std::string path = start;
    *caseDiffers = 0;
    for (const std::string& part : parts) {
        std::string name = part;
        if (part != "." && part != ".." && !FindEntryIgnoringCase(path, part, &name))
            return 0;
        *caseDiffers |= name != part;
        path += (path.empty() || IsSeparator(path.back()) ? "" : "/") + name;
    }
    *found = path;
    return 1;
}

static std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// Follows the name from the skin folder as the system does: 1 with the file
// found and whether any letter differed in case, or 0.
static int FindSoundFile(const std::string& name, std::string* file, int* caseDiffers)
{
    std::string start = FormOfPath(name) == PathForm::Rooted ? "/" : ".";
    std::vector<std::string> parts = PathParts(name);
#ifdef _WIN32
    if (FormOfPath(name) == PathForm::DriveLetter) {
        start = name.substr(0, 2) + "\\";
        parts = PathParts(name.substr(2));
    }
#endif
    return ResolveParts(start, parts, file, caseDiffers);
}

// Another code page in which the name's bytes lead to a file that is there:
// it, with the name read so, or 0. The default page is tried first, as the
// most common one, then the model's pages in order. A reading already looked
// for (most pages read a name alike) is not looked for again.
static int32_t PageThatFindsName(const char* bytes, const std::string& missing, std::string* name)
{
    std::vector<int32_t> pages(1, kDefaultCodePage);
    pages.insert(pages.end(), kAnsiCodePages, kAnsiCodePages + kAnsiCodePageCount);
    std::vector<std::string> tried(1, missing);
    for (int32_t page : pages) {
        AnsiNameText text;
        DecodeAnsiName(bytes, std::strlen(bytes), page, &text);
        if (!text.valid || std::find(tried.begin(), tried.end(), text.unicode) != tried.end())
            continue;
        tried.push_back(text.unicode);
        std::string file;
        int caseDiffers;
        if (FindSoundFile(text.unicode, &file, &caseDiffers)) {
            *name = text.unicode;
            return page;
        }
    }
    return 0;
}

static void ReportWave(int slot, const std::string& file)
{
    const SlotRow& row = CheckReport.slots[slot];
    std::string problem;
    WaveVerdict verdict = JudgeWaveFile(file.c_str(), &problem);
    if (verdict == WaveVerdict::Plays)
        return;
    int unplayable = verdict == WaveVerdict::Unplayable;
    AddFinding(row.line, unplayable ? FindingLevel::Error : FindingLevel::Warning,
               unplayable ? "sound-unplayable" : "sound-codec", "The sound file " + Quoted(row.name) + " " + problem + ".",
               slot);
}

static void ReportMissing(int slot, const char* where)
{
    const SlotRow& row = CheckReport.slots[slot];
    std::string message = "The sound file " + Quoted(row.name) + " does not exist " + where + ".";
    std::string other;
    int32_t page = PageThatFindsName(HotspotTable.slots[slot].name, row.name, &other);
    if (page)
        message += " Read in code page " + std::to_string(page) + " (" + AnsiCodePageScript(page) + "), the name is " +
                   Quoted(other) + ", a file that is there: a system of that code page plays it.";
    AddFinding(row.line, FindingLevel::Error, "sound-missing", message, slot);
    CheckReport.findings.back().foundInCodePage = page;
}

static void WarnAbsolute(int slot, const char* why)
{
    const SlotRow& row = CheckReport.slots[slot];
    AddFinding(row.line, FindingLevel::Warning, "sound-absolute-path",
               "The sound path " + Quoted(row.name) + " " + why +
                   ", so the skin breaks when the folder is copied to another machine.",
               slot);
}

static std::string PageName()
{
    return "code page " + std::to_string(CheckReport.codePage);
}

// 1 when the name's bytes are no text in the code page: which file the
// system would open cannot be told then.
static int CheckNameIsText(int slot)
{
    const SlotRow& row = CheckReport.slots[slot];
    if (row.nameIsText)
        return 0;
    char byte[8];
    std::snprintf(byte, sizeof byte, "0x%02X", unsigned(static_cast<unsigned char>(HotspotTable.slots[slot].name[row.firstBadByte])));
    AddFinding(row.line, FindingLevel::Error, "sound-name-not-text",
               "Byte " + std::string(byte) + " (byte " + std::to_string(row.firstBadByte + 1) +
                   " of the name) is no character in " + PageName() +
                   ", so which file the system would open cannot be told; it was not looked for.",
               slot);
    return 1;
}

static void CheckNameIsNotUtf8(int slot)
{
    const SlotRow& row = CheckReport.slots[slot];
    const char* bytes = HotspotTable.slots[slot].name;
    if (!IsUtf8BeyondAscii(bytes, std::strlen(bytes)))
        return;
    AddFinding(row.line, FindingLevel::Warning, "sound-name-utf8",
               "The name is UTF-8 text (" + Quoted(bytes) + "), but the system reads it in " + PageName() +
                   " as " + Quoted(row.name) + " and looks for a file of that name; write " + kHotspotFileName + " in " +
                   PageName() + " instead.",
               slot);
}

void CheckSoundOfSlot(int slot)
{
    SlotRow& row = CheckReport.slots[slot];
    if (CheckNameIsText(slot))
        return;
    CheckNameIsNotUtf8(slot);
    if (NamesAnotherMachine(HotspotTable.slots[slot].name)) {
        AddFinding(row.line, FindingLevel::Error, "sound-network-path",
                   "The sound path " + Quoted(row.name) +
                       " names a file on another machine, which the program never opens: "
                       "a press shows the message of a sound that cannot play instead. It was not opened here either.",
                   slot);
        return;
    }
    PathForm form = FormOfPath(row.name);
    if (form == PathForm::DriveLetter) {
        WarnAbsolute(slot, "is absolute");
#ifndef _WIN32
        row.soundNote = "a drive-letter path is not looked for on this system";
        return;
#endif
    } else if (form == PathForm::Rooted) {
        WarnAbsolute(slot, "is absolute");
    } else if (LeavesFolder(PathParts(row.name))) {
        WarnAbsolute(slot, "leaves the skin folder");
    }
    std::string file;
    int caseDiffers;
    if (!FindSoundFile(row.name, &file, &caseDiffers)) {
        ReportMissing(slot, form == PathForm::Relative ? "in the skin folder" : "at that place");
        return;
    }
    row.soundFile = file;
    if (caseDiffers)
        row.soundNote = "found as " + Quoted(file) +
                        ": the letters differ in case, which Windows ignores but other systems do not";
    ReportWave(slot, file);
}
