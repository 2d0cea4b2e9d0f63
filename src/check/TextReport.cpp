#include "CheckReport.h"
#include "HotspotTable.h"
#include "ReportWriters.h"
#include "SkinImage.h"

#include <cstdio>
#include <string>

// Formats one line into text; the report's lines are all short.
template <typename... Args>
static void AppendLine(std::string* text, const char* format, Args... args)
{
    char line[1024];
    std::snprintf(line, sizeof line, format, args...);
    *text += line;
    *text += '\n';
}

static void AppendMessages(std::string* text)
{
    if (CheckReport.messages.empty()) {
        *text += "Start-up messages: none\n";
        return;
    }
    *text += "Start-up messages, in order:\n";
    for (const std::string& message : CheckReport.messages)
        AppendLine(text, "  \"%s\"", message.c_str());
}

// A share in tenths of a percent, computed in integers so that every build
// prints the same digits.
static std::string ShareText(uint64_t part, uint64_t whole)
{
    uint64_t tenths = whole ? (part * 1000 + whole / 2) / whole : 0;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "%";
}

static void AppendSkin(std::string* text)
{
    const SkinSummary& skin = CheckReport.skin;
    if (!skin.readable) {
        AppendLine(text, "Skin \"%s\": not readable as a bitmap", kSkinFileName);
        return;
    }
    uint64_t pixels = uint64_t(skin.width < 0 ? 0 : skin.width) * uint64_t(skin.height < 0 ? 0 : skin.height);
    AppendLine(text, "Skin \"%s\": %d x %d pixels, %u bits per pixel, %u-byte header, %u colour-table entries, %s",
               kSkinFileName, skin.width, skin.height, unsigned(skin.bitsPerPixel), skin.headerSize, skin.colorEntries,
               skin.loaded ? (ShareText(skin.seeThroughPixels, pixels) + " see-through").c_str() : "not usable");
}

static void AppendTable(std::string* text)
{
    if (!CheckReport.hotspotFileLoaded) {
        AppendLine(text, "Hotspots: none, \"%s\" was not read", kHotspotFileName);
        return;
    }
    AppendLine(text, "Hotspots from \"%s\": %d slots, names read in code page %d", kHotspotFileName,
               int(CheckReport.slots.size()), int(CheckReport.codePage));
    if (CheckReport.slots.empty())
        return;
    AppendLine(text, "  %4s %5s  %-8s %11s %11s %11s %11s  %s", "slot", "line", "action", "left", "top",
               "right", "bottom", "name");
    for (size_t i = 0; i < CheckReport.slots.size(); i++) {
        const SlotRow& row = CheckReport.slots[i];
        AppendLine(text, "  %4d %5d  %-8s %11d %11d %11d %11d  %s", int(i + 1), row.line,
                   ActionWord(row), row.left, row.top, row.right, row.bottom,
                   Printable(row.name).c_str());
        if (!row.soundNote.empty())
            AppendLine(text, "  %19s(%s)", "", Printable(row.soundNote).c_str());
    }
}

// The text followed by spaces up to width characters, and at least one.
static std::string Padded(const std::string& text, size_t width)
{
    return text + std::string(text.size() < width ? width - text.size() : 1, ' ');
}

static void AppendFindings(std::string* text)
{
    if (CheckReport.findings.empty()) {
        *text += "Findings: none\n";
        return;
    }
    AppendLine(text, "Findings: %d", int(CheckReport.findings.size()));
    // Messages can quote long names, so they are not formatted into a fixed buffer.
    for (const Finding& finding : CheckReport.findings)
        *text += "  " + Padded("line " + std::to_string(finding.line), 9) + Padded(LevelWord(finding.level), 8) +
                 finding.kind + ": " + Printable(finding.message) + "\n";
}

std::string TextReport()
{
    std::string text;
    AppendMessages(&text);
    AppendSkin(&text);
    AppendTable(&text);
    AppendFindings(&text);
    return text;
}
