#include "LineEdit.h"

#include "AnsiName.h"
#include "HotspotMap.h"
#include "LineCutText.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

HotspotLinesRecord HotspotLines;

static const char kNoName[] = "the line has no name";

static void KeepPiece(const HotspotPiece* piece, void* context)
{
    static_cast<std::vector<HotspotPiece>*>(context)->push_back(*piece);
}

// Reads the bytes as the program does, into HotspotLines.read and .pieces.
static void ReadBack(const unsigned char* bytes, uint64_t size)
{
    HotspotLines.pieces.clear();
    ReadHotspotText(bytes, size, &HotspotLines.read, KeepPiece, &HotspotLines.pieces);
}

// The hotspot that a line's first piece makes, read alone: a line starts the
// reader afresh, so alone it reads as it does in the file.
static void ReadLineHotspot(const unsigned char* bytes, FileLine* line)
{
    ReadBack(bytes + line->byteStart, line->byteEnd - line->byteStart);
    line->name = HotspotLines.read.slots[0].name;
    line->rect = HotspotLines.read.slots[0].rect;
}

void ReadHotspotLines(const unsigned char* bytes, uint64_t size)
{
    ReadBack(bytes, size);
    // Each line's own read below reads into the same record.
    std::vector<HotspotPiece> pieces = std::move(HotspotLines.pieces);
    HotspotLines.text.assign(reinterpret_cast<const char*>(bytes), size);
    HotspotLines.lines.clear();
    HotspotLines.textEnd = 0;
    for (const HotspotPiece& piece : pieces) {
        if (!piece.continuation)
            HotspotLines.lines.push_back({piece.byteStart, 0, 0, piece.slot, 0, piece.length, std::string(), {}});
        FileLine& line = HotspotLines.lines.back();
        line.byteEnd = piece.byteEnd;
        line.pieces++;
        HotspotLines.textEnd = line.byteEnd;
    }
    for (FileLine& line : HotspotLines.lines) {
        line.endsWithNewline = line.byteEnd > line.byteStart && bytes[line.byteEnd - 1] == '\n';
        ReadLineHotspot(bytes, &line);
    }
}

// Only whole numbers within the 32-bit limits become a coordinate: a NaN
// fails every comparison, and no other number is converted.
static int IsCoordinate(double number)
{
    return number >= double(kSmallestCoordinate) && number <= double(kLargestCoordinate) &&
           number == std::floor(number);
}

int RectFromNumbers(const double numbers[4], HotspotRect* rect, std::string* problem)
{
    for (int i = 0; i < 4; i++)
        if (!IsCoordinate(numbers[i])) {
            *problem = "a rectangle's numbers must be whole numbers from " + std::to_string(kSmallestCoordinate) +
                       " to " + std::to_string(kLargestCoordinate);
            return 0;
        }
    *rect = {int32_t(numbers[0]), int32_t(numbers[1]), int32_t(numbers[2]), int32_t(numbers[3])};
    return 1;
}

// The interior moves each edge by a fixed step, which the zero rectangle shows.
int RectAround(const double box[4], HotspotRect* rect, std::string* problem)
{
    PixelBox step = HotspotInterior(HotspotRect{0, 0, 0, 0});
    const double numbers[4] = {box[0] - double(step.x0), box[1] - double(step.y0), box[2] - double(step.x1),
                               box[3] - double(step.y1)};
    return RectFromNumbers(numbers, rect, problem);
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

// Reads the composed line back with the program's reader: 1 when its first
// piece holds the name whole from nameStart and the rectangle, a typed name
// is kept whole in the slot, and the bytes after the first piece are rest,
// so that the pieces a long line goes on in read as they did; else 0 with
// why not, and nothing composed.
static int JudgeComposed(const std::string& name, int32_t nameStart, const HotspotRect& rect, const std::string& rest,
                         int nameTyped, std::string* problem)
{
    std::string& line = HotspotLines.composed;
    ReadBack(reinterpret_cast<const unsigned char*>(line.data()), line.size());
    const std::vector<HotspotPiece>& pieces = HotspotLines.pieces;
    const HotspotTableRecord& table = HotspotLines.read;
    // Within a line's first piece every character is its byte.
    std::string first = pieces.empty() ? std::string() : line.substr(0, size_t(pieces[0].length));
    HotspotField fields[kHotspotFields];
    size_t read = pieces.empty() ? 0 : size_t(pieces[0].nameLength);
    if (name.empty())
        *problem = kNoName;
    else if (FindHotspotFields(first.c_str(), fields) == 0 || fields[0].start != nameStart)
        *problem = "the program would split the name at " + ByteName(static_cast<unsigned char>(name[0]));
    else if (read < name.size() && nameStart + int64_t(read) < kLineCharacters)
        *problem = "the program would split the name at " + ByteName(static_cast<unsigned char>(name[read]));
    else if (read != name.size() || line.compare(pieces[0].byteEnd, std::string::npos, rest) != 0 ||
             std::memcmp(&table.slots[0].rect, &rect, sizeof rect) != 0)
        *problem = LineCutText();
    else if (nameTyped && std::strlen(table.slots[0].name) < name.size())
        *problem = "the name is longer than the program keeps (" + std::to_string(kNameCharacters) + " characters)";
    else
        return 1;
    line.clear();
    return 0;
}

// The typed name in the code page; 0, with the reason, when the page cannot
// write it.
static int NameBytes(const char* typed, int32_t codePage, std::string* bytes, std::string* problem)
{
    std::string unwritable;
    if (EncodeAnsiName(typed, codePage, bytes, &unwritable))
        return 1;
    *problem = "code page " + std::to_string(codePage) + " has no character \"" + unwritable + "\"";
    return 0;
}

// The numbers are written in decimal, which the reader reads back.
int ComposeLine(const char* typed, const double numbers[4], int32_t codePage, std::string* problem)
{
    HotspotLines.composed.clear();
    HotspotRect rect;
    std::string name;
    if (!RectFromNumbers(numbers, &rect, problem) || !NameBytes(typed, codePage, &name, problem))
        return 0;
    HotspotLines.composed = name + " " + std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
                            std::to_string(rect.right) + " " + std::to_string(rect.bottom) + "\r\n";
    return JudgeComposed(name, 0, rect, std::string(), 1, problem);
}

int EditLine(int32_t index, const char* typed, const double numbers[4], int32_t codePage, std::string* problem)
{
    HotspotLines.composed.clear();
    if (index < 0 || uint64_t(index) >= HotspotLines.lines.size()) {
        *problem = "there is no line " + std::to_string(int64_t(index) + 1);
        return 0;
    }
    const FileLine& line = HotspotLines.lines[size_t(index)];
    HotspotRect rect;
    if (!RectFromNumbers(numbers, &rect, problem))
        return 0;
    if (line.name.empty()) {
        *problem = kNoName;
        return 0;
    }
    std::string first = HotspotLines.text.substr(line.byteStart, size_t(line.firstLength));
    HotspotField fields[kHotspotFields];
    int count = FindHotspotFields(first.c_str(), fields);
    std::string name = first.substr(size_t(fields[0].start), size_t(fields[0].length));
    if (typed && !NameBytes(typed, codePage, &name, problem))
        return 0;
    const int32_t before[] = {line.rect.left, line.rect.top, line.rect.right, line.rect.bottom};
    const int32_t after[] = {rect.left, rect.top, rect.right, rect.bottom};
    int lastAdded = 0;
    for (int field = count; field < kHotspotFields; field++)
        if (after[field - 1] != before[field - 1])
            lastAdded = field;
    // Added fields follow the last one there is, before anything the reader
    // does not take as a field (separators, or a 0 byte and what follows it).
    std::string added;
    for (int field = count; field <= lastAdded; field++)
        added += " " + std::to_string(after[field - 1]);
    std::string edited = first;
    edited.insert(size_t(fields[count - 1].start + fields[count - 1].length), added);
    // From the last field to the first, so that the earlier places stay.
    for (int field = count - 1; field >= 1; field--)
        if (after[field - 1] != before[field - 1])
            edited.replace(size_t(fields[field].start), size_t(fields[field].length), std::to_string(after[field - 1]));
    if (typed)
        edited.replace(size_t(fields[0].start), size_t(fields[0].length), name);
    // A line of more than one piece was cut after its first piece's characters.
    uint64_t restStart = line.byteStart + uint64_t(line.firstLength);
    std::string rest = HotspotLines.text.substr(restStart, line.byteEnd - restStart);
    HotspotLines.composed = edited + rest;
    return JudgeComposed(name, fields[0].start, rect, line.pieces > 1 ? rest : std::string(), typed != nullptr,
                         problem);
}

// Besides the control characters.
static const char kNotInFileNames[] = "<>:\"/\\|?*";
static const char kStandIn = '-';
static const char kFallbackStem[] = "sound";
// Names Windows gives its devices, with or without an extension.
static const char* const kDeviceNames[] = {"CON", "PRN", "AUX", "NUL"};
static const char* const kNumberedDevices[] = {"COM", "LPT"};
static const uint64_t kLongestFileName = 255;  // UTF-16 units

// Whether Windows allows the byte, as a character of its own, in no file
// name. A byte of a longer UTF-8 character is never one of these.
static int NotInFileNames(unsigned char byte)
{
    return byte < ' ' || byte == 0x7F || std::strchr(kNotInFileNames, byte);
}

// Whether one character, written in the code page, stays inside a name when
// the program reads it.
static int StaysInName(const std::string& character, int32_t codePage)
{
    if (character.size() == 1 && NotInFileNames(static_cast<unsigned char>(character[0])))
        return 0;
    std::string bytes;
    std::string unwritable;
    if (!EncodeAnsiName(character, codePage, &bytes, &unwritable))
        return 0;
    std::string name = "a" + bytes + "a";
    HotspotField fields[kHotspotFields];
    return FindHotspotFields(name.c_str(), fields) == 1 && size_t(fields[0].length) == name.size();
}

// The name's characters with each one that does not stay made the stand-in,
// never two stand-ins in a row.
static std::string StandInsFor(const std::string& name, int32_t codePage)
{
    std::string kept;
    for (size_t at = 0; at < name.size();) {
        size_t length = 1;
        while (at + length < name.size() && (static_cast<unsigned char>(name[at + length]) & 0xC0) == 0x80)
            length++;
        std::string character = name.substr(at, length);
        at += length;
        if (StaysInName(character, codePage))
            kept += character;
        else if (kept.empty() || kept.back() != kStandIn)
            kept += kStandIn;
    }
    return kept;
}

// Windows drops dots and spaces at the end of a name; a stand-in there says nothing.
static std::string TrimmedStem(std::string stem)
{
    size_t start = stem.find_first_not_of(kStandIn);
    size_t end = stem.find_last_not_of(std::string(1, kStandIn) + ". ");
    return start == std::string::npos || end == std::string::npos || end < start ? kFallbackStem
                                                                                 : stem.substr(start, end - start + 1);
}

static void CutLastCharacter(std::string* text)
{
    while (!text->empty() && (static_cast<unsigned char>(text->back()) & 0xC0) == 0x80)
        text->pop_back();
    if (!text->empty())
        text->pop_back();
}

std::string SafeSoundName(const char* typed, int32_t codePage)
{
    std::string name = StandInsFor(typed, codePage);
    size_t dot = name.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    std::string stem = TrimmedStem(name.substr(0, dot == std::string::npos ? name.size() : dot));
    const double widest[4] = {double(kSmallestCoordinate), double(kSmallestCoordinate), double(kSmallestCoordinate),
                              double(kSmallestCoordinate)};
    std::string problem;
    while (!ComposeLine((stem + extension).c_str(), widest, codePage, &problem) && stem.size() > 1)
        CutLastCharacter(&stem);
    HotspotLines.composed.clear();
    return stem + extension;
}

// Windows reads the name up to its first dot as the device's, in any case.
static int IsDeviceName(const std::string& name)
{
    std::string stem = name.substr(0, name.find('.'));
    for (char& c : stem)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    for (const char* device : kDeviceNames)
        if (stem == device)
            return 1;
    for (const char* device : kNumberedDevices)
        if (stem.size() == 4 && stem.compare(0, 3, device) == 0 && stem[3] >= '1' && stem[3] <= '9')
            return 1;
    return 0;
}

// A character outside the BMP takes two UTF-16 units; its UTF-8 starts at 0xF0.
static uint64_t Utf16Units(const std::string& name)
{
    uint64_t units = 0;
    for (unsigned char byte : name)
        units += (byte & 0xC0) != 0x80 ? (byte >= 0xF0 ? 2 : 1) : 0;
    return units;
}

std::string FileNameProblem(const std::string& name)
{
    if (name.empty())
        return "the name is empty";
    for (unsigned char byte : name)
        if (NotInFileNames(byte))
            return "Windows allows " + ByteName(byte) + " in no file name";
    if (name.back() == '.' || name.back() == ' ')
        return "Windows drops a dot or a space at the end of a file name";
    if (IsDeviceName(name))
        return "Windows keeps the name \"" + name.substr(0, name.find('.')) + "\" for a device";
    if (Utf16Units(name) > kLongestFileName)
        return "the name is longer than Windows allows (" + std::to_string(kLongestFileName) + " characters)";
    return std::string();
}
