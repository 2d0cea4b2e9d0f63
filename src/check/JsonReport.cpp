#include "CheckReport.h"
#include "ReportWriters.h"
#include "SkinImage.h"

#include <nlohmann/json.hpp>

// Members keep the order in which the report lists them.
using json = nlohmann::ordered_json;

static json SkinJson()
{
    const SkinSummary& skin = CheckReport.skin;
    json out = {{"file", kSkinFileName}, {"loaded", bool(skin.loaded)}, {"readable", bool(skin.readable)}};
    if (!skin.readable)
        return out;
    out["width"] = skin.width;
    out["height"] = skin.height;
    out["bitsPerPixel"] = skin.bitsPerPixel;
    out["headerSize"] = skin.headerSize;
    out["colorTableEntries"] = skin.colorEntries;
    if (skin.loaded)
        out["seeThroughPixels"] = skin.seeThroughPixels;
    return out;
}

static json HotspotsJson()
{
    json out = json::array();
    for (size_t i = 0; i < CheckReport.slots.size(); i++) {
        const SlotRow& row = CheckReport.slots[i];
        json spot = {{"slot", i + 1},
                     {"line", row.line},
                     {"continuesLine", bool(row.continuation)},
                     {"name", row.name},
                     {"action", ActionWord(row)},
                     {"acts", bool(row.acts)},
                     {"rect", {{"left", row.left}, {"top", row.top}, {"right", row.right}, {"bottom", row.bottom}}}};
        if (!row.soundNote.empty())
            spot["note"] = row.soundNote;
        out.push_back(spot);
    }
    return out;
}

static json FindingsJson()
{
    json out = json::array();
    for (const Finding& finding : CheckReport.findings) {
        json entry = {{"line", finding.line},
                      {"level", LevelWord(finding.level)},
                      {"kind", finding.kind},
                      {"message", finding.message}};
        if (!finding.reason.empty())
            entry["reason"] = finding.reason;
        if (finding.foundInCodePage)
            entry["foundInCodePage"] = finding.foundInCodePage;
        out.push_back(entry);
    }
    return out;
}

// The C1 controls written as escapes, so that none reaches a terminal; in
// JSON text they can stand only inside strings, where the escape means the
// same character.
static std::string WithC1Escaped(const std::string& text)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        unsigned char next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (static_cast<unsigned char>(text[i]) == 0xC2 && (next & 0xE0) == 0x80) {
            out += "\\u00";
            out += kHex[next >> 4];
            out += kHex[next & 15];
            i++;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string JsonReport()
{
    json report = {{"messages", CheckReport.messages},
                   {"skin", SkinJson()},
                   {"hotspotFileLoaded", bool(CheckReport.hotspotFileLoaded)},
                   {"codePage", CheckReport.codePage},
                   {"hotspots", HotspotsJson()},
                   {"findings", FindingsJson()}};
    return WithC1Escaped(report.dump(2, ' ') + "\n");
}
