// Any hotspot file and any edit of one of its lines, or a new line: the edit
// is refused with a reason, or the program reads the result back as meant
// (the name and the rectangle), every other piece of the file (a long line's
// later ones too) reads as it did, and the line's bytes outside the fields
// that changed stay as they were. A number that is not whole or leaves the 32-bit limits is
// always refused.
//
// The input: the line's index (the line count composes a new line), the code
// page, the typed name's length (0 keeps the name) and bytes, the four
// numbers, each a mode byte and its bytes, and then the file's text.
#include "AnsiName.h"
#include "FuzzSupport.h"
#include "LineEdit.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Input {
    const uint8_t* data;
    size_t size;
};

uint8_t TakeByte(Input* in)
{
    if (in->size == 0)
        return 0;
    in->size--;
    return *in->data++;
}

// The old value, a step from it, any double at all, or a step from a limit.
double TakeNumber(Input* in, int32_t old)
{
    uint8_t mode = TakeByte(in);
    switch (mode % 4) {
    case 0: return old;
    case 1: return double(old) + double(int8_t(TakeByte(in)));
    case 2: {
        uint8_t raw[sizeof(double)];
        for (uint8_t& byte : raw)
            byte = TakeByte(in);
        double number;
        std::memcpy(&number, raw, sizeof number);
        return number;
    }
    default: return (mode & 4 ? 2147483647.0 : -2147483648.0) + double(int8_t(TakeByte(in)));
    }
}

bool IsWholeIn32Bits(double number)
{
    return number >= -2147483648.0 && number <= 2147483647.0 && number == std::floor(number);
}

bool SameRect(const HotspotRect& a, const HotspotRect& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The line's bytes in parts, cut where a changed field lies; an added field
// goes with the space before it, and cuts nothing.
std::vector<std::string> UnchangedParts(const std::string& line, int32_t firstLength, const bool changed[5],
                                        int keptFields)
{
    std::string first = line.substr(0, size_t(firstLength));
    HotspotField fields[kHotspotFields];
    int count = FindHotspotFields(first.c_str(), fields);
    std::vector<std::string> parts(1);
    size_t at = 0;
    for (int field = 0; field < count; field++) {
        size_t start = size_t(fields[field].start), end = start + size_t(fields[field].length);
        if (field >= keptFields) {
            Require(start > 0 && line[start - 1] == ' ', "an added field without a space before it");
            start--;
        } else if (!changed[field]) {
            continue;
        }
        parts.back() += line.substr(at, start - at);
        if (field < keptFields)
            parts.emplace_back();
        at = end;
    }
    parts.back() += line.substr(at);
    return parts;
}

std::string LineBytes(const std::string& text, const FileLine& line)
{
    return text.substr(line.byteStart, line.byteEnd - line.byteStart);
}

void KeepPiece(const HotspotPiece* piece, void* pieces)
{
    static_cast<std::vector<HotspotPiece>*>(pieces)->push_back(*piece);
}

// The text of every piece the reader cuts the file into, the table in table.
std::vector<std::string> PieceTexts(const std::string& text, HotspotTableRecord* table)
{
    std::vector<HotspotPiece> pieces;
    ReadHotspotText(reinterpret_cast<const unsigned char*>(text.data()), text.size(), table, KeepPiece, &pieces);
    std::vector<std::string> texts;
    for (const HotspotPiece& piece : pieces)
        texts.push_back(text.substr(piece.byteStart, piece.byteEnd - piece.byteStart));
    return texts;
}

// Every byte before textEnd lies in one line, in order; only the last line
// may end without an LF; the lines hold the reader's pieces, and each line's
// hotspot is its slot's in the whole file.
void CheckLines(const std::string& text)
{
    static HotspotTableRecord table;
    size_t pieces = PieceTexts(text, &table).size(), read = 0;
    uint64_t at = 0;
    const std::vector<FileLine>& lines = HotspotLines.lines;
    for (size_t i = 0; i < lines.size(); i++) {
        const FileLine& line = lines[i];
        Require(line.byteStart == at && line.byteEnd > at, "the lines leave a gap");
        Require(line.endsWithNewline == (text[line.byteEnd - 1] == '\n') &&
                    (line.endsWithNewline || i + 1 == lines.size()),
                "a line ends before its line break");
        Require(line.firstSlot == (read < size_t(kMaxHotspots) ? int32_t(read) : kNoHotspot),
                "a line in the wrong slot");
        const Hotspot& slot = table.slots[line.firstSlot == kNoHotspot ? 0 : line.firstSlot];
        Require(line.firstSlot == kNoHotspot || (line.name == slot.name && SameRect(line.rect, slot.rect)),
                "a line reads otherwise than in the file");
        at = line.byteEnd;
        read += size_t(line.pieces);
    }
    Require(HotspotLines.textEnd == at && read == pieces, "the lines differ from the reader's pieces");
}

void CheckComposed(const char* typed, int32_t codePage, const double numbers[4])
{
    std::string name, unwritable;
    EncodeAnsiName(typed, codePage, &name, &unwritable);
    std::string line = HotspotLines.composed;
    ReadHotspotLines(reinterpret_cast<const unsigned char*>(line.data()), line.size());
    Require(HotspotLines.lines.size() == 1 && HotspotLines.textEnd == line.size(), "a composed line is no one line");
    const FileLine& read = HotspotLines.lines[0];
    HotspotRect meant = {int32_t(numbers[0]), int32_t(numbers[1]), int32_t(numbers[2]), int32_t(numbers[3])};
    Require(read.name == name && SameRect(read.rect, meant), "a composed line reads back otherwise");
}

void CheckEdited(const std::string& text, const std::vector<FileLine>& before, size_t index, const char* typed,
                 int32_t codePage, const double numbers[4])
{
    const FileLine& old = before[index];
    std::string line = HotspotLines.composed;
    std::string edited = text.substr(0, old.byteStart) + line + text.substr(old.byteEnd);
    static HotspotTableRecord table;
    std::vector<std::string> oldPieces = PieceTexts(text, &table), newPieces = PieceTexts(edited, &table);
    Require(oldPieces.size() == newPieces.size(), "an edit changed the number of pieces");
    size_t editedPiece = 0;
    for (size_t i = 0; i < index; i++)
        editedPiece += size_t(before[i].pieces);
    for (size_t i = 0; i < oldPieces.size(); i++)
        Require(i == editedPiece || oldPieces[i] == newPieces[i], "an edit changed another piece");
    ReadHotspotLines(reinterpret_cast<const unsigned char*>(edited.data()), edited.size());
    const FileLine& now = HotspotLines.lines[index];
    std::string name = old.name, unwritable;
    if (typed)
        EncodeAnsiName(typed, codePage, &name, &unwritable);
    HotspotRect meant = {int32_t(numbers[0]), int32_t(numbers[1]), int32_t(numbers[2]), int32_t(numbers[3])};
    Require(now.name == name && SameRect(now.rect, meant), "an edited line reads back otherwise");

    const int32_t was[] = {old.rect.left, old.rect.top, old.rect.right, old.rect.bottom};
    const int32_t is[] = {meant.left, meant.top, meant.right, meant.bottom};
    bool changed[kHotspotFields] = {typed != nullptr};
    for (int i = 0; i < 4; i++)
        changed[i + 1] = was[i] != is[i];
    HotspotField fields[kHotspotFields];
    std::string oldFirst = text.substr(old.byteStart, size_t(old.firstLength));
    int kept = FindHotspotFields(oldFirst.c_str(), fields);
    Require(UnchangedParts(LineBytes(text, old), old.firstLength, changed, kept) ==
                UnchangedParts(line, now.firstLength, changed, kept),
            "an edit changed bytes outside the fields it changed");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartInput();
    Input in = {data, size};
    uint8_t index = TakeByte(&in);
    int32_t codePage = kAnsiCodePages[TakeByte(&in) % kAnsiCodePageCount];
    uint8_t typedLength = TakeByte(&in) % 32;
    std::string typedText;
    while (typedText.size() < typedLength && in.size > 0)
        typedText.push_back(char(TakeByte(&in)));
    const char* typed = typedLength ? typedText.c_str() : nullptr;
    std::vector<uint8_t> numberBytes(in.data, in.data + (in.size < 40 ? in.size : 40));
    Input numbersIn = {numberBytes.data(), numberBytes.size()};
    in.data += numberBytes.size();
    in.size -= numberBytes.size();
    std::string text(reinterpret_cast<const char*>(in.data), in.size);

    ReadHotspotLines(in.data, in.size);
    CheckLines(text);
    std::vector<FileLine> before = HotspotLines.lines;
    bool composing = index == before.size();
    HotspotRect old = index < before.size() ? before[index].rect : HotspotRect{};
    const double numbers[4] = {TakeNumber(&numbersIn, old.left), TakeNumber(&numbersIn, old.top),
                               TakeNumber(&numbersIn, old.right), TakeNumber(&numbersIn, old.bottom)};
    std::string problem;
    int done = composing ? ComposeLine(typed ? typed : "", numbers, codePage, &problem)
                         : EditLine(index, typed, numbers, codePage, &problem);
    Require(done ? problem.empty() : !problem.empty() && HotspotLines.composed.empty(),
            "a verdict without its reason, or a refusal that composed a line");
    if (!done)
        return 0;
    for (double number : numbers)
        Require(IsWholeIn32Bits(number), "a number outside the 32-bit limits was written");
    if (composing)
        CheckComposed(typed ? typed : "", codePage, numbers);
    else
        CheckEdited(text, before, index, typed, codePage, numbers);
    return 0;
}
