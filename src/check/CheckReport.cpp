#include "CheckReport.h"

CheckReportRecord CheckReport;

void AddFinding(int line, FindingLevel level, const char* kind, const std::string& message, int slot)
{
    CheckReport.findings.push_back({line, level, kind, message, slot, std::string(), 0});
}

void AddLoadFailure(const std::string& message, const char* reason)
{
    CheckReport.findings.push_back({0, FindingLevel::Error, "load-fails", message, -1, reason, 0});
}

int HasProblems()
{
    for (const Finding& finding : CheckReport.findings)
        if (finding.level != FindingLevel::Info)
            return 1;
    return 0;
}

std::string Printable(const std::string& text)
{
    std::string shown;
    for (size_t i = 0; i < text.size(); i++) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        // U+0080 to U+009F, the C1 controls, are 0xC2 0x80 to 0xC2 0x9F in UTF-8.
        int c1 = c == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80;
        if (c == '\r')
            shown += "\\r";
        else if (c < 0x20 || c == 0x7F || c1)
            shown += '?';
        else
            shown += char(c);
        i += size_t(c1);
    }
    return shown;
}

const char* LevelWord(FindingLevel level)
{
    switch (level) {
    case FindingLevel::Error: return "error";
    case FindingLevel::Warning: return "warning";
    case FindingLevel::Info: return "info";
    }
    return "";
}

// The words follow HotspotAction's order: Minimize, Exit, PlayFile.
const char* ActionWord(const SlotRow& row)
{
    static const char* const kWords[] = {"minimise", "exit", "sound"};
    if (row.name.empty())
        return "none";
    return row.action >= 0 && row.action < 3 ? kWords[row.action] : "";
}
