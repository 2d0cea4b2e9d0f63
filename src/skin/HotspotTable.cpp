#include "HotspotTable.h"

#include <cstring>

HotspotTableRecord HotspotTable;

static const char kSeparators[] = " ,\t";
static const unsigned char kEndOfText = 0x1A;

int OpenHotspotFile(HotspotLineReader* reader)
{
    reader->next = 0;
    reader->end = 0;
    reader->finished = 0;
    reader->lineLength = 0;
    reader->endedAtNewline = 0;
    return OpenFileReader(kHotspotFileName, FileSharing::ReadWrite, &reader->file);
}

void CloseHotspotFile(HotspotLineReader* reader)
{
    CloseFileReader(&reader->file);
}

static int RefillChunk(HotspotLineReader* reader)
{
    if (reader->finished)
        return 0;
    int64_t got = ReadFileBytes(&reader->file, reader->chunk, kHotspotReadChunk);
    if (got <= 0) {
        reader->finished = 1;
        return 0;
    }
    reader->next = 0;
    reader->end = static_cast<uint32_t>(got);
    return 1;
}

// The next raw byte of the file, or -1 at the end of its text.
static int NextRawByte(HotspotLineReader* reader)
{
    if (reader->next == reader->end && !RefillChunk(reader))
        return -1;
    unsigned char byte = reader->chunk[reader->next++];
    if (byte == kEndOfText) {
        reader->finished = 1;
        reader->next = reader->end;
        return -1;
    }
    return byte;
}

// The next character of the translated text, or -1 at its end.
static int NextTextChar(HotspotLineReader* reader)
{
    int c = NextRawByte(reader);
    if (c != '\r')
        return c;
    int following = NextRawByte(reader);
    if (following == '\n')
        return '\n';
    if (following != -1) {
        // Step back over the byte just taken; it is still in the chunk, since
        // a refill only happens when the chunk is used up and then NextRawByte
        // returned its first byte.
        reader->next--;
    }
    return '\r';
}

// Copies the bytes that need no translation straight from the chunk, at most
// room of them, and stops before the first LF, CR or 0x1A.
static int CopyPlainBytes(HotspotLineReader* reader, char* out, int room)
{
    uint32_t available = reader->end - reader->next;
    uint32_t limit = available < static_cast<uint32_t>(room) ? available : static_cast<uint32_t>(room);
    const unsigned char* in = reader->chunk + reader->next;
    uint32_t copied = 0;
    while (copied < limit && in[copied] != '\n' && in[copied] != '\r' && in[copied] != kEndOfText) {
        out[copied] = static_cast<char>(in[copied]);
        copied++;
    }
    reader->next += copied;
    return static_cast<int>(copied);
}

int ReadHotspotLine(HotspotLineReader* reader, char line[kLineBufferSize])
{
    int length = 0;
    reader->endedAtNewline = 0;
    while (length < kLineBufferSize - 1) {
        length += CopyPlainBytes(reader, line + length, kLineBufferSize - 1 - length);
        if (length == kLineBufferSize - 1)
            break;
        int c = NextTextChar(reader);
        if (c == -1)
            break;
        if (c == '\n') {
            reader->endedAtNewline = 1;
            break;
        }
        line[length++] = static_cast<char>(c);
    }
    line[length] = '\0';
    reader->lineLength = length;
    return length > 0 || reader->endedAtNewline;
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

// Finds the next field at or after *cursor: sets *length, advances *cursor
// past it and returns its start, or nullptr when the line has no more fields.
static const char* NextField(const char** cursor, size_t* length)
{
    const char* start = *cursor + std::strspn(*cursor, kSeparators);
    if (*start == '\0')
        return nullptr;
    *length = std::strcspn(start, kSeparators);
    *cursor = start + *length;
    return start;
}

void ParseHotspotLine(const char* line, Hotspot* slot)
{
    int32_t* coordinates[] = {&slot->rect.left, &slot->rect.top, &slot->rect.right,
                              &slot->rect.bottom};
    char field[kLineBufferSize];
    size_t length;
    const char* cursor = line;
    const char* start = NextField(&cursor, &length);
    if (!start)
        return;
    // A read line can hold a longer first field than the name has room for.
    size_t kept = length < kActionNameSize ? length : kActionNameSize - 1;
    std::memcpy(slot->name, start, kept);
    slot->name[kept] = '\0';
    for (int32_t* coordinate : coordinates) {
        start = NextField(&cursor, &length);
        if (!start)
            return;
        std::memcpy(field, start, length);
        field[length] = '\0';
        *coordinate = ConvertCoordinate(field);
    }
}

int LoadHotspotFile()
{
    HotspotLineReader reader;
    if (!OpenHotspotFile(&reader))
        return 0;
    // Lines after the last slot would be read only to be ignored, so reading
    // ends when the table is full.
    char line[kLineBufferSize];
    while (HotspotTable.count < kMaxHotspots && ReadHotspotLine(&reader, line))
        ParseHotspotLine(line, &HotspotTable.slots[HotspotTable.count++]);
    CloseHotspotFile(&reader);
    return 1;
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
    if (std::strcmp(name, "MIN") == 0)
        return HotspotAction::Minimize;
    if (std::strcmp(name, "EXIT") == 0)
        return HotspotAction::Exit;
    return HotspotAction::PlayFile;
}
