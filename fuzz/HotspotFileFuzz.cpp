// Arbitrary bytes as "lum.ini": the table must match what a plain reading of
// the whole input gives, even when the bytes reach the reader in two parts,
// stay within its bounds, and every lookup around its rectangles must answer
// with a slot that really contains the point. The pieces must cover the text
// without gap, and the who-acts map must give FindHotspot's answer at every
// pixel of a small skin.
#include "FuzzSupport.h"
#include "HotspotMap.h"
#include "HotspotTable.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// The file as text: CR LF becomes LF, any other CR stays, 0x1A ends it.
static std::string TranslateText(const uint8_t* data, size_t size)
{
    std::string text;
    for (size_t i = 0; i < size && data[i] != 0x1A; i++)
        if (!(data[i] == '\r' && i + 1 < size && data[i + 1] == '\n'))
            text.push_back(static_cast<char>(data[i]));
    return text;
}

// Lines as a 250-byte buffer takes them: up to 249 characters or an LF.
static std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = at;
        while (end < text.size() && end - at < kLineBufferSize - 1 && text[end] != '\n')
            end++;
        bool full = end - at == kLineBufferSize - 1;  // the LF after a full buffer is not taken
        lines.push_back(text.substr(at, end - at));
        at = !full && end < text.size() ? end + 1 : end;
    }
    return lines;
}

static Hotspot ExpectedSlot(const std::string& line)
{
    Hotspot slot = {};
    int32_t* coordinates[] = {&slot.rect.left, &slot.rect.top, &slot.rect.right, &slot.rect.bottom};
    std::string text = line.c_str();  // a 0 byte ends the fields
    std::vector<std::string> fields;
    size_t at = 0;
    while ((at = text.find_first_not_of(" ,\t", at)) != std::string::npos) {
        size_t end = text.find_first_of(" ,\t", at);
        fields.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end;
    }
    if (fields.empty())
        return slot;
    std::string name = fields[0].substr(0, kActionNameSize - 1);
    std::memcpy(slot.name, name.c_str(), name.size() + 1);
    for (size_t i = 1; i < fields.size() && i <= 4; i++)
        *coordinates[i - 1] = ConvertCoordinate(fields[i].c_str());
    return slot;
}

static void CompareWithPlainReading(const uint8_t* data, size_t size)
{
    std::vector<std::string> lines = SplitLines(TranslateText(data, size));
    size_t expected = lines.size() < size_t(kMaxHotspots) ? lines.size() : size_t(kMaxHotspots);
    Require(HotspotTable.count == int32_t(expected), "slot count differs from the plain reading");
    for (int i = 0; i < kMaxHotspots; i++) {
        Hotspot want = i < HotspotTable.count ? ExpectedSlot(lines[size_t(i)]) : Hotspot{};
        const Hotspot& got = HotspotTable.slots[i];
        Require(std::strcmp(got.name, want.name) == 0, "slot name differs from the plain reading");
        Require(std::memcmp(&got.rect, &want.rect, sizeof want.rect) == 0,
                "slot rectangle differs from the plain reading");
    }
}

static bool Contains(const HotspotRect& r, int64_t x, int64_t y)
{
    return r.left < x && x < r.right && r.top < y && y < r.bottom;
}

static void CheckSlots()
{
    Require(HotspotTable.count >= 0 && HotspotTable.count <= kMaxHotspots, "count out of range");
    for (int i = 0; i < HotspotTable.count; i++) {
        const char* name = HotspotTable.slots[i].name;
        Require(std::memchr(name, '\0', kActionNameSize) != nullptr, "name not terminated");
        HotspotAction action = ClassifyAction(name);
        bool keyword = std::strcmp(name, "MIN") == 0 || std::strcmp(name, "EXIT") == 0;
        Require((action == HotspotAction::PlayFile) != keyword, "keyword misclassified");
    }
}

static void Probe(int64_t x, int64_t y)
{
    if (x < INT32_MIN || x > INT32_MAX || y < INT32_MIN || y > INT32_MAX)
        return;
    int found = FindHotspot(static_cast<int32_t>(x), static_cast<int32_t>(y));
    if (found == kNoHotspot)
        return;
    Require(found >= 0 && found < HotspotTable.count, "FindHotspot gave no slot");
    Require(Contains(HotspotTable.slots[found].rect, x, y), "FindHotspot gave a slot not holding the point");
}

// Points just inside, on and just outside each edge, and the middle.
static void ProbeAroundRectangles()
{
    for (int i = 0; i < HotspotTable.count; i++) {
        const HotspotRect& r = HotspotTable.slots[i].rect;
        const int64_t xs[] = {int64_t(r.left) - 1, r.left, int64_t(r.left) + 1,
                              (int64_t(r.left) + r.right) / 2,
                              int64_t(r.right) - 1, r.right, int64_t(r.right) + 1};
        const int64_t ys[] = {int64_t(r.top) - 1, r.top, int64_t(r.top) + 1,
                              (int64_t(r.top) + r.bottom) / 2,
                              int64_t(r.bottom) - 1, r.bottom, int64_t(r.bottom) + 1};
        for (int64_t x : xs)
            for (int64_t y : ys)
                Probe(x, y);
    }
}

static void KeepPiece(const HotspotPiece* piece, void* pieces)
{
    static_cast<std::vector<HotspotPiece>*>(pieces)->push_back(*piece);
}

// Pieces follow each other byte for byte; a line's pieces after the first
// continue it, and the slots are taken in order until the table is full.
static void CheckPieces(const std::vector<HotspotPiece>& pieces, size_t size)
{
    uint64_t at = 0;
    int line = 1;
    for (size_t i = 0; i < pieces.size(); i++) {
        const HotspotPiece& piece = pieces[i];
        Require(piece.byteStart == at && piece.byteEnd > at && piece.byteEnd <= size, "pieces leave a gap");
        Require(piece.line == line, "piece on the wrong line");
        Require(piece.slot == (i < size_t(kMaxHotspots) ? int(i) : kNoHotspot), "piece in the wrong slot");
        Require(piece.length >= 0 && piece.length < kLineBufferSize, "piece length out of range");
        Require(piece.continuation == (i > 0 && pieces[i - 1].length == kLineBufferSize - 1 &&
                                       pieces[i - 1].line == piece.line),
                "continuation not after a full buffer");
        at = piece.byteEnd;
        line = pieces.size() > i + 1 && pieces[i + 1].continuation ? line : line + 1;
    }
}

static void CheckMap()
{
    const int32_t width = 23, height = 17;
    int8_t map[width * height];
    MapHotspots(width, height, map);
    for (int32_t y = 0; y < height; y++)
        for (int32_t x = 0; x < width; x++)
            Require(map[y * width + x] == FindHotspot(x, y), "the map differs from FindHotspot");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartInput();
    std::vector<HotspotPiece> pieces;
    HotspotTextReader reader;
    StartHotspotText(&reader, &HotspotTable, KeepPiece, &pieces);
    size_t cut = size ? data[0] % (size + 1) : 0;
    if (TakeHotspotBytes(&reader, data, cut))
        TakeHotspotBytes(&reader, data + cut, size - cut);
    EndHotspotText(&reader);
    CheckSlots();
    CompareWithPlainReading(data, size);
    CheckPieces(pieces, size);
    ProbeAroundRectangles();
    CheckMap();
    return 0;
}
