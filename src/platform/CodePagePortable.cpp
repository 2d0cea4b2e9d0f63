#include "CodePageText.h"

#include <cerrno>
#include <cwchar>
#include <cwctype>
#include <iconv.h>
#include <locale.h>
#include <string>

// glibc knows every Windows page as CPnnn. The C library of the WebAssembly
// build knows three of them only by another name: there 874 is TIS-620
// (without the page's additions at 0x80 to 0xA0), 932 is SHIFT_JIS and 936
// is GBK.
static std::string IconvName(int32_t codePage)
{
#ifdef __EMSCRIPTEN__
    switch (codePage) {
    case 874: return "TIS-620";
    case 932: return "SHIFT_JIS";
    case 936: return "GBK";
    default: break;
    }
#endif
    return "CP" + std::to_string(codePage);
}

static const char kCodePoints[] = "UTF-32LE";

static uint32_t CodePointAt(const char* bytes)
{
    const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

// Converts with iconv until the input ends or a byte fails, then flushes
// the state, since the pages with combining marks hold a letter back until
// they see what follows it: 1, or 0 when the conversion stopped early.
static int ConvertRun(iconv_t converter, char** in, size_t* left, std::string* out)
{
    int whole = 1;
    for (int flushing = 0; flushing < 2;) {
        char buffer[256];
        char* next = buffer;
        size_t room = sizeof buffer;
        size_t result = flushing ? iconv(converter, nullptr, nullptr, &next, &room)
                                 : iconv(converter, in, left, &next, &room);
        out->append(buffer, size_t(next - buffer));
        if (result == size_t(-1) && errno == E2BIG)
            continue;
        whole &= flushing || result != size_t(-1);
        flushing++;
    }
    return whole;
}

int64_t DecodeCodePageText(int32_t codePage, const unsigned char* bytes, uint64_t count,
                           std::u32string* text)
{
    iconv_t converter = iconv_open(kCodePoints, IconvName(codePage).c_str());
    if (converter == iconv_t(-1))
        return -1;
    char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes));
    size_t left = size_t(count);
    std::string points;
    ConvertRun(converter, &in, &left, &points);
    iconv_close(converter);
    for (size_t i = 0; i + 4 <= points.size(); i += 4)
        text->push_back(CodePointAt(points.data() + i));
    return int64_t(count - left);
}

int EncodeCodePageText(int32_t codePage, const std::u32string& text, std::string* bytes)
{
    iconv_t converter = iconv_open(IconvName(codePage).c_str(), kCodePoints);
    if (converter == iconv_t(-1))
        return 0;
    std::string points;
    for (char32_t c : text)
        for (int shift = 0; shift < 32; shift += 8)
            points += char(uint32_t(c) >> shift & 0xFF);
    char* in = &points[0];
    size_t left = points.size();
    int whole = ConvertRun(converter, &in, &left, bytes);
    iconv_close(converter);
    return whole;
}

int CaseBlindName(const std::string& name, std::u32string* blind)
{
    static locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
    if (!utf8)
        return 0;
    locale_t previous = uselocale(utf8);
    std::mbstate_t state = {};
    size_t at = 0;
    while (at < name.size()) {
        wchar_t c;
        size_t used = std::mbrtowc(&c, name.data() + at, name.size() - at, &state);
        if (used == 0 || used > name.size() - at)
            break;
        // Windows leaves a letter as it is where its upper case lowers to
        // another letter: \u0131 is not I, \u00b5 not \u039c, \u03c2 not \u03a3
        // (measured under Wine).
        wint_t upper = towupper_l(wint_t(c), utf8);
        blind->push_back(char32_t(towlower_l(upper, utf8) == wint_t(c) ? upper : wint_t(c)));
        at += used;
    }
    uselocale(previous);
    return at == name.size();
}
