#ifndef LUM_PLATFORM_CODEPAGETEXT_H
#define LUM_PLATFORM_CODEPAGETEXT_H

#include <cstdint>
#include <string>

// The system's own conversion between a Windows code page and Unicode: the C
// library's iconv, or MultiByteToWideChar and WideCharToMultiByte on Windows.
// The rules built on it (which pages, what a byte the converter refuses
// means) are the skin model's.

// Decodes bytes of the code page into code points for as long as they are
// text there: the number of bytes used, which is less than count when the
// byte there starts no character of the page; -1 when the system does not
// know the page.
int64_t DecodeCodePageText(int32_t codePage, const unsigned char* bytes, uint64_t count,
                           std::u32string* text);

// The code points in the code page's bytes: 1, or 0 when the page cannot
// represent one of them (or the system does not know the page).
int EncodeCodePageText(int32_t codePage, const std::u32string& text, std::string* bytes);

#ifndef _WIN32
// A UTF-8 file name as Windows compares names: by the simple upper case of
// each character that lowers back to it, accents kept (\u00e9 is \u00c9, never
// E), from the C library's case mapping under its UTF-8 locale. 1, or 0 when
// the name is not UTF-8, which then matches only itself. Windows asks its
// file system instead.
int CaseBlindName(const std::string& name, std::u32string* blind);
#endif

#ifdef _WIN32
// The tools hold file names in UTF-8 on every system; Windows takes them in
// UTF-16 through its wide calls.
std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);
#endif

#endif
