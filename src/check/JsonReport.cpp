#include "CheckReport.h"
#include "ReportWriters.h"

#include <nlohmann/json.hpp>

// Members keep the order in which the report lists them.
using json = nlohmann::ordered_json;

static json SkinJson()
{
    const SkinSummary& skin = CheckReport.skin;
    json out = {{"file", "lum.bmp"}, {"loaded", bool(skin.loaded)}, {"readable", bool(skin.readable)}};
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
        out.push_back(entry);
    }
    return out;
}

std::string JsonReport()
{
    json report = {{"messages", CheckReport.messages},
                   {"skin", SkinJson()},
                   {"hotspotFileLoaded", bool(CheckReport.hotspotFileLoaded)},
                   {"hotspots", HotspotsJson()},
                   {"findings", FindingsJson()}};
    // Names are bytes from a file, not necessarily UTF-8.
    return report.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}
