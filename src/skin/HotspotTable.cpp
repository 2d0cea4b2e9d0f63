#include "HotspotTable.h"

#include "FileReader.h"

#include <cstring>

HotspotTableRecord HotspotTable;

static const unsigned char kEndOfText = 0x1A;
static const uint32_t kHotspotReadChunk = 32 * 1024;

void StartHotspotText(HotspotTextReader* reader, HotspotTableRecord* table,
                      HotspotPieceObserver observer, void* context)
{
    std::memset(reader, 0, sizeof *reader);
    std::memset(table, 0, sizeof *table);
    reader->table = table;
    reader->observer = observer;
    reader->context = context;
    reader->fileLine = 1;
}

// Ends the piece read so far at byte end of the file; atNewline tells whether
// its LF was taken. A piece with no characters and no LF is no line at all.
static void EndPiece(HotspotTextReader* reader, int atNewline, uint64_t end)
{
    if (reader->length == 0 && !atNewline)
        return;
    reader->line[reader->length] = '\0';
    HotspotTableRecord* table = reader->table;
    HotspotPiece piece = {reader->fileLine, reader->continuation, reader->pieceStart, end,
                          reader->length, 0, kNoHotspot};
    if (table->count < kMaxHotspots) {
        piece.slot = table->count++;
        piece.nameLength = ParseHotspotLine(reader->line, &table->slots[piece.slot]);
    } else {
        // Only a watched reader goes on past a full table.
        Hotspot ignored = {};
        piece.nameLength = ParseHotspotLine(reader->line, &ignored);
    }
    if (reader->observer)
        reader->observer(&piece, reader->context);
    reader->fileLine += atNewline;
    reader->continuation = !atNewline;
    reader->length = 0;
    reader->pieceStart = end;
    if (table->count == kMaxHotspots && !reader->observer)
        reader->ended = 1;
}

// One character of the text; a full buffer ends the piece at byte end.
static void AddCharacter(HotspotTextReader* reader, char c, uint64_t end)
{
    reader->line[reader->length++] = c;
    if (reader->length == kLineCharacters)
        EndPiece(reader, 0, end);
}

static int IsPlainByte(unsigned char byte)
{
    return byte != '\r' && byte != '\n' && byte != kEndOfText;
}

// Copies the bytes that need no translation straight into the line, as many
// as the buffer has room for: most of a file is such runs.
static uint64_t TakePlainRun(HotspotTextReader* reader, const unsigned char* bytes, uint64_t count)
{
    uint64_t room = uint64_t(kLineCharacters - reader->length);
    uint64_t run = 0;
    while (run < count && run < room && IsPlainByte(bytes[run]))
        run++;
    std::memcpy(reader->line + reader->length, bytes, run);
    reader->length += int32_t(run);
    reader->taken += run;
    if (reader->length == kLineCharacters)
        EndPiece(reader, 0, reader->taken);
    return run;
}

int TakeHotspotBytes(HotspotTextReader* reader, const unsigned char* bytes, uint64_t count)
{
    for (uint64_t i = 0; i < count && !reader->ended; i++) {
        if (!reader->pendingReturn && IsPlainByte(bytes[i])) {
            i += TakePlainRun(reader, bytes + i, count - i) - 1;
            continue;
        }
        unsigned char byte = bytes[i];
        uint64_t at = reader->taken;
        if (reader->pendingReturn) {
            reader->pendingReturn = 0;
            if (byte == '\n') {
                reader->taken++;
                EndPiece(reader, 1, reader->taken);
                continue;
            }
            // The CR is an ordinary character; the piece may end before this byte.
            AddCharacter(reader, '\r', at);
            if (reader->ended)
                break;
        }
        if (byte == kEndOfText) {
            reader->ended = 1;
            break;
        }
        reader->taken++;
        if (byte == '\r')
            reader->pendingReturn = 1;
        else if (byte == '\n')
            EndPiece(reader, 1, reader->taken);
        else
            AddCharacter(reader, static_cast<char>(byte), reader->taken);
    }
    return !reader->ended;
}

void EndHotspotText(HotspotTextReader* reader)
{
    if (reader->pendingReturn) {
        reader->pendingReturn = 0;
        AddCharacter(reader, '\r', reader->taken);
    }
    EndPiece(reader, 0, reader->taken);
    reader->ended = 1;
}

void ReadHotspotText(const unsigned char* bytes, uint64_t size, HotspotTableRecord* table,
                     HotspotPieceObserver observer, void* context)
{
    HotspotTextReader reader;
    StartHotspotText(&reader, table, observer, context);
    TakeHotspotBytes(&reader, bytes, size);
    EndHotspotText(&reader);
}

int ReadHotspotFile(const char* path, HotspotTableRecord* table, HotspotPieceObserver observer,
                    void* context, LoadFailure* failure)
{
    FileReader file;
    if (!OpenFileReader(path, FileSharing::ReadWrite, &file)) {
        *failure = LoadFailure::CannotOpen;
        return 0;
    }
    HotspotTextReader reader;
    StartHotspotText(&reader, table, observer, context);
    unsigned char chunk[kHotspotReadChunk];
    int64_t got;
    // A read error ends the text like the end of the file: what was read stays.
    while ((got = ReadFileBytes(&file, chunk, kHotspotReadChunk)) > 0 &&
           TakeHotspotBytes(&reader, chunk, static_cast<uint64_t>(got))) {
    }
    CloseFileReader(&file);
    EndHotspotText(&reader);
    *failure = LoadFailure::None;
    return 1;
}

static int IsConversionSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int32_t ConvertCoordinate(const char* field)
{
    while (IsConversionSpace(*field))
        field++;
    int negative = *field == '-';
    if (*field == '-' || *field == '+')
        field++;
    // Unsigned arithmetic wraps by definition, which is exactly the
    // two's-complement wrap-around wanted here.
    uint32_t value = 0;
    while (*field >= '0' && *field <= '9')
        value = value * 10u + static_cast<uint32_t>(*field++ - '0');
    if (negative)
        value = 0u - value;
    int32_t result;
    std::memcpy(&result, &value, sizeof result);
    return result;
}

static int IsSeparator(char c)
{
    return c == ' ' || c == ',' || c == '\t';
}

// Finds the next field at or after *cursor: sets *length, advances *cursor
// past it and returns its start, or nullptr when the line has no more fields.
static const char* NextField(const char** cursor, size_t* length)
{
    const char* start = *cursor;
    while (IsSeparator(*start))
        start++;
    if (*start == '\0')
        return nullptr;
    const char* end = start;
    while (*end != '\0' && !IsSeparator(*end))
        end++;
    *length = size_t(end - start);
    *cursor = end;
    return start;
}

int FindHotspotFields(const char* line, HotspotField fields[kHotspotFields])
{
    const char* cursor = line;
    size_t length;
    int count = 0;
    while (count < kHotspotFields) {
        const char* start = NextField(&cursor, &length);
        if (!start)
            break;
        fields[count++] = {int32_t(start - line), int32_t(length)};
    }
    return count;
}

int ParseHotspotLine(const char* line, Hotspot* slot)
{
    int32_t* coordinates[] = {&slot->rect.left, &slot->rect.top, &slot->rect.right,
                              &slot->rect.bottom};
    char field[kLineBufferSize];
    size_t length;
    const char* cursor = line;
    const char* start = NextField(&cursor, &length);
    if (!start)
        return 0;
    int nameLength = static_cast<int>(length);
    // A read line can hold a longer first field than the name has room for.
    size_t kept = length <= kNameCharacters ? length : kNameCharacters;
    std::memcpy(slot->name, start, kept);
    slot->name[kept] = '\0';
    for (int32_t* coordinate : coordinates) {
        start = NextField(&cursor, &length);
        if (!start)
            break;
        std::memcpy(field, start, length);
        field[length] = '\0';
        *coordinate = ConvertCoordinate(field);
    }
    return nameLength;
}

int FindHotspot(int32_t x, int32_t y)
{
    for (int32_t i = 0; i < HotspotTable.count; i++) {
        const HotspotRect& r = HotspotTable.slots[i].rect;
        if (r.left < x && x < r.right && r.top < y && y < r.bottom)
            return i;
    }
    return kNoHotspot;
}

HotspotAction ClassifyAction(const char* name)
{
    if (std::strcmp(name, kMinimizeKeyword) == 0)
        return HotspotAction::Minimize;
    if (std::strcmp(name, kExitKeyword) == 0)
        return HotspotAction::Exit;
    return HotspotAction::PlayFile;
}

static char AsciiCapital(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// The first length characters of name are keyword, in any capitals.
static int SameButForCapitals(const char* name, size_t length, const char* keyword)
{
    if (std::strlen(keyword) != length)
        return 0;
    for (size_t i = 0; i < length; i++)
        if (AsciiCapital(name[i]) != keyword[i])
            return 0;
    return 1;
}

const char* KeywordLookalike(const char* name)
{
    size_t length = std::strlen(name);
    while (length > 0 && name[length - 1] == '\r')
        length--;
    for (const char* keyword : {kMinimizeKeyword, kExitKeyword})
        if (SameButForCapitals(name, length, keyword))
            return keyword;
    return nullptr;
}

static int IsSlash(char c)
{
    return c == '\\' || c == '/';
}

int NamesAnotherMachine(const char* name)
{
    if (IsSlash(name[0]) && IsSlash(name[1]))
        return 1;
    return std::strncmp(name, "\\??\\", 4) == 0;
}
