#ifndef LUM_SKIN_ANSINAME_H
#define LUM_SKIN_ANSINAME_H

#include <cstddef>
#include <cstdint>
#include <string>

// A name in the hotspot file is bytes in a Windows ANSI code page: the
// program hands them to the system unchanged, and the system reads them in
// its own code page. Every tool reads a name this way, through here.

const int32_t kDefaultCodePage = 1252;

// The ANSI code pages a Windows system can have, in increasing order.
const int kAnsiCodePageCount = 14;
extern const int32_t kAnsiCodePages[kAnsiCodePageCount];

int IsAnsiCodePage(int32_t codePage);

// The script a page writes, "Cyrillic" for 1251, for people choosing one; an
// empty text for a page that IsAnsiCodePage refuses.
const char* AnsiCodePageScript(int32_t codePage);

// The pages as words, "874, 932, ... and 1258", for messages.
std::string AnsiCodePageList();

struct AnsiNameText {
    std::string unicode;   // UTF-8; a byte that is no text in the page shows as U+FFFD
    int32_t valid;         // 1 when every byte is text in the page
    uint64_t firstBadByte; // where the first byte that is not lies, when not valid
};

// The name as a system with that ANSI code page reads it. The code page must
// be one that IsAnsiCodePage accepts.
void DecodeAnsiName(const char* bytes, size_t length, int32_t codePage, AnsiNameText* text);

// The bytes that a system with that code page reads as the UTF-8 text
// unicode: 1, or 0 when the page cannot write it, with *unwritable set to
// the first character it has no bytes for (empty when the text is not UTF-8).
int EncodeAnsiName(const std::string& unicode, int32_t codePage, std::string* bytes, std::string* unwritable);

// 1 when the bytes are UTF-8 text with at least one character beyond ASCII:
// a name written by a tool that saves UTF-8, which no ANSI code page reads
// as the same characters.
int IsUtf8BeyondAscii(const char* bytes, size_t length);

#endif
