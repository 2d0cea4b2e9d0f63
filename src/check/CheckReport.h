#ifndef LUM_CHECK_CHECKREPORT_H
#define LUM_CHECK_CHECKREPORT_H

#include <cstdint>
#include <string>
#include <vector>

enum class FindingLevel { Error, Warning, Info };

struct Finding {
    int line;       // the file line, 0 for the folder as a whole
    FindingLevel level;
    std::string kind;
    std::string message;
    int slot;       // the slot whose outline it belongs to, or -1
    std::string reason;  // why a file could not be used, for load-fails only
    int32_t foundInCodePage;  // for sound-missing: another page whose reading names a file there, or 0
};

// What the skin file turned out to be; the fields past `readable` are known
// only when the bitmap reader accepted the file.
struct SkinSummary {
    int loaded;             // the skin was built
    int readable;           // the reader took the file as a bitmap
    int32_t width;
    int32_t height;
    uint16_t bitsPerPixel;
    uint32_t headerSize;
    uint32_t colorEntries;
    uint64_t seeThroughPixels;
};

// One slot of the table as the program holds it, tied to where it came from.
struct SlotRow {
    int line;               // file line the slot was read from
    int continuation;       // 1 when it holds the rest of a split line
    std::string name;       // as the system reads it, in UTF-8
    int nameIsText;         // every byte of the name is text in the code page
    uint64_t firstBadByte;  // where the first byte that is not lies
    int action;             // HotspotAction as int
    int32_t left, top, right, bottom;
    std::string soundFile;  // the file a press would open, as found here
    std::string soundNote;  // e.g. that the letters differ in case
    int acts;               // a press on it does something: the checker's one verdict on that
};

struct CheckReportRecord {
    std::vector<std::string> messages;
    SkinSummary skin;
    int hotspotFileLoaded;
    std::vector<SlotRow> slots;
    std::vector<Finding> findings;
    std::string folderPath;  // absolute, for links to the sound files
    int32_t codePage;        // the ANSI code page names are read in
};

extern CheckReportRecord CheckReport;

void AddFinding(int line, FindingLevel level, const char* kind, const std::string& message,
                int slot = -1);

// A load-fails finding for the folder as a whole, with the model's reason word.
void AddLoadFailure(const std::string& message, const char* reason);

int HasProblems();

// UTF-8 text with a CR shown as \r and every other control character, C0
// and C1, as '?', for output that a terminal or a page shows.
std::string Printable(const std::string& text);

const char* LevelWord(FindingLevel level);
// "minimise", "exit", "sound", or "none" for a slot an empty line took.
const char* ActionWord(const SlotRow& row);

#endif
