#include "AnsiName.h"

#include "CodePageText.h"

static const char32_t kReplacement = 0xFFFD;

const int32_t kAnsiCodePages[kAnsiCodePageCount] = {874,  932,  936,  949,  950,  1250, 1251,
                                                    1252, 1253, 1254, 1255, 1256, 1257, 1258};

// The others are the double-byte pages: 932, 936, 949 and 950.
static int IsSingleBytePage(int32_t codePage)
{
    return codePage == 874 || codePage >= 1250;
}

int IsAnsiCodePage(int32_t codePage)
{
    for (int32_t page : kAnsiCodePages)
        if (page == codePage)
            return 1;
    return 0;
}

const char* AnsiCodePageScript(int32_t codePage)
{
    static const char* const kScripts[kAnsiCodePageCount] = {
        "Thai", "Japanese", "Chinese (simplified)", "Korean", "Chinese (traditional)", "Central European",
        "Cyrillic", "Western European", "Greek", "Turkish", "Hebrew", "Arabic", "Baltic", "Vietnamese"};
    for (int i = 0; i < kAnsiCodePageCount; i++)
        if (kAnsiCodePages[i] == codePage)
            return kScripts[i];
    return "";
}

std::string AnsiCodePageList()
{
    std::string list;
    for (int i = 0; i < kAnsiCodePageCount; i++)
        list += (i == 0 ? "" : i + 1 == kAnsiCodePageCount ? " and " : ", ") + std::to_string(kAnsiCodePages[i]);
    return list;
}

static void AppendUtf8(std::string* out, char32_t c)
{
    if (c < 0x80) {
        *out += char(c);
    } else if (c < 0x800) {
        *out += char(0xC0 | c >> 6);
        *out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out += char(0xE0 | c >> 12);
        *out += char(0x80 | (c >> 6 & 0x3F));
        *out += char(0x80 | (c & 0x3F));
    } else {
        *out += char(0xF0 | c >> 18);
        *out += char(0x80 | (c >> 12 & 0x3F));
        *out += char(0x80 | (c >> 6 & 0x3F));
        *out += char(0x80 | (c & 0x3F));
    }
}

// The UTF-8 character at bytes[*at], moving *at past it: 1, or 0 when the
// bytes there are not UTF-8 (a stray or missing continuation, an overlong
// form, a surrogate, or a value past U+10FFFF).
static int NextUtf8(const unsigned char* bytes, size_t length, size_t* at, char32_t* c)
{
    static const char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    unsigned char lead = bytes[*at];
    size_t size = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (size == 0 || length - *at < size)
        return 0;
    char32_t value = size == 1 ? lead : lead & (0x7F >> size);
    for (size_t i = 1; i < size; i++) {
        if ((bytes[*at + i] & 0xC0) != 0x80)
            return 0;
        value = value << 6 | (bytes[*at + i] & 0x3F);
    }
    if (value < kSmallest[size] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *at += size;
    *c = value;
    return 1;
}

static int DecodeUtf8(const std::string& text, std::u32string* points)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
    size_t at = 0;
    char32_t c;
    while (at < text.size()) {
        if (!NextUtf8(bytes, text.size(), &at, &c))
            return 0;
        points->push_back(c);
    }
    return 1;
}

int IsUtf8BeyondAscii(const char* bytes, size_t length)
{
    std::u32string points;
    if (!DecodeUtf8(std::string(bytes, length), &points))
        return 0;
    for (char32_t c : points)
        if (c >= 0x80)
            return 1;
    return 0;
}

// One character of the page at bytes: its length, or 0 when the bytes there
// are no character of the page. Characters are taken one at a time, as
// Windows takes them: glibc would join a letter and a combining mark of
// 1255 and 1258 into one character, which Windows does not. The second byte
// of a double-byte character is never below 0x40 in Windows' pages (so never
// a space, comma, tab, dot or slash); the C library of the WebAssembly build
// takes some such pairs.
static size_t DecodeCharacter(const unsigned char* bytes, size_t left, int32_t codePage, char32_t* c)
{
    size_t most = IsSingleBytePage(codePage) ? 1 : 2;
    for (size_t size = 1; size <= most && size <= left; size++) {
        std::u32string points;
        if (DecodeCodePageText(codePage, bytes, size, &points) == int64_t(size) && points.size() == 1 &&
            (size == 1 || bytes[1] >= 0x40)) {
            *c = points[0];
            return size;
        }
    }
    // Windows gives a byte of a single-byte page that has no character of
    // its own the C1 control of the same number, and so it names a file;
    // iconv's tables leave those bytes out.
    if (most == 1 && bytes[0] >= 0x80 && bytes[0] <= 0x9F) {
        *c = bytes[0];
        return 1;
    }
    return 0;
}

void DecodeAnsiName(const char* bytes, size_t length, int32_t codePage, AnsiNameText* text)
{
    const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes);
    std::u32string points;
    text->valid = 1;
    text->firstBadByte = 0;
    size_t at = 0;
    while (at < length) {
        char32_t c;
        size_t used = DecodeCharacter(data + at, length - at, codePage, &c);
        if (used) {
            points.push_back(c);
            at += used;
            continue;
        }
        points.push_back(kReplacement);
        if (text->valid)
            text->firstBadByte = at;
        text->valid = 0;
        at++;
    }
    text->unicode.clear();
    for (char32_t c : points)
        AppendUtf8(&text->unicode, c);
}

// The page's bytes for the code points when they read back as the same text.
static int EncodePoints(const std::u32string& points, int32_t codePage, std::string* bytes)
{
    bytes->clear();
    if (!EncodeCodePageText(codePage, points, bytes))
        return 0;
    AnsiNameText back;
    DecodeAnsiName(bytes->data(), bytes->size(), codePage, &back);
    std::string expected;
    for (char32_t c : points)
        AppendUtf8(&expected, c);
    return back.valid && back.unicode == expected;
}

int EncodeAnsiName(const std::string& unicode, int32_t codePage, std::string* bytes, std::string* unwritable)
{
    std::u32string points;
    unwritable->clear();
    if (!DecodeUtf8(unicode, &points))
        return 0;
    if (EncodePoints(points, codePage, bytes))
        return 1;
    std::string alone;
    for (char32_t c : points) {
        if (!EncodePoints(std::u32string(1, c), codePage, &alone)) {
            AppendUtf8(unwritable, c);
            break;
        }
    }
    return 0;
}
