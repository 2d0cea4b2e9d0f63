#include "CodePageText.h"

#include <windows.h>

// One character of the page at bytes: its length in bytes, or 0 when it is
// not text there.
static int DecodeCharacter(UINT codePage, const unsigned char* bytes, uint64_t count, std::u32string* text)
{
    int length = count > 1 && IsDBCSLeadByteEx(codePage, bytes[0]) ? 2 : 1;
    WCHAR wide[2];
    int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes), length,
                                    wide, 2);
    if (units == 1)
        text->push_back(wide[0]);
    else if (units == 2)
        text->push_back(0x10000 + ((char32_t(wide[0]) - 0xD800) << 10) + (char32_t(wide[1]) - 0xDC00));
    return units ? length : 0;
}

std::wstring WideFromUtf8(const std::string& text)
{
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &wide[0], length);
    return wide;
}

std::string Utf8FromWide(const std::wstring& text)
{
    int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(size_t(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &utf8[0], length, nullptr, nullptr);
    return utf8;
}

int64_t DecodeCodePageText(int32_t codePage, const unsigned char* bytes, uint64_t count,
                           std::u32string* text)
{
    if (!IsValidCodePage(UINT(codePage)))
        return -1;
    uint64_t used = 0;
    while (used < count) {
        int length = DecodeCharacter(UINT(codePage), bytes + used, count - used, text);
        if (!length)
            break;
        used += uint64_t(length);
    }
    return int64_t(used);
}

int EncodeCodePageText(int32_t codePage, const std::u32string& text, std::string* bytes)
{
    std::wstring wide;
    for (char32_t c : text) {
        if (c < 0x10000) {
            wide += WCHAR(c);
        } else {
            wide += WCHAR(0xD800 + ((c - 0x10000) >> 10));
            wide += WCHAR(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    if (wide.empty())
        return 1;
    BOOL lossy = FALSE;
    int length = WideCharToMultiByte(UINT(codePage), WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), nullptr,
                                     0, nullptr, &lossy);
    if (length <= 0 || lossy)
        return 0;
    std::string out(size_t(length), '\0');
    WideCharToMultiByte(UINT(codePage), WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), &out[0], length,
                        nullptr, nullptr);
    *bytes += out;
    return 1;
}
