#include "AnsiName.h"

#include <gtest/gtest.h>

#include <string>

namespace {

AnsiNameText Decode(const std::string& bytes, int32_t codePage)
{
    AnsiNameText text;
    DecodeAnsiName(bytes.data(), bytes.size(), codePage, &text);
    return text;
}

TEST(AnsiNameTest, NamesReadAsTheSystemOfThatCodePageReadsThem)
{
    EXPECT_EQ(Decode("caf\xE9.wav", kDefaultCodePage).unicode, "caf\u00E9.wav");
    EXPECT_EQ(Decode("caf\xE9.wav", 1251).unicode, "caf\u0439.wav");
    EXPECT_EQ(Decode("\xC0\xC1.wav", 1251).unicode, "\u0410\u0411.wav");
    // A UTF-8 name is read byte by byte, as the program's system reads it.
    EXPECT_EQ(Decode("caf\xC3\xA9.wav", 1252).unicode, "caf\u00C3\u00A9.wav");
    // A trail byte of a double-byte page can be 0x5C, a backslash on its own.
    AnsiNameText table = Decode("\x95\x5C.wav", 932);
    EXPECT_EQ(table.unicode, "\u8868.wav");
    EXPECT_TRUE(table.valid);
}

// Windows maps the bytes 0x80 to 0x9F that a single-byte page leaves out to
// the C1 controls of the same number, and names files with them (tried under
// Wine: "\x81.wav" plays the file U+0081 ".wav" in code page 1252).
TEST(AnsiNameTest, BytesThePageLeavesOutBelowA0AreC1Controls)
{
    for (int32_t page : {874, 1250, 1252, 1253, 1254, 1255, 1257, 1258}) {
        AnsiNameText text = Decode("x\x81", page);
        EXPECT_EQ(text.unicode, "x\u0081") << page;
        EXPECT_TRUE(text.valid) << page;
    }
    EXPECT_EQ(Decode("\x98", 1251).unicode, "\u0098");
}

TEST(AnsiNameTest, BytesThatAreNoTextArePlacedAndReplaced)
{
    AnsiNameText greek = Decode("a\xAA" "b\xD2", 1253);
    EXPECT_FALSE(greek.valid);
    EXPECT_EQ(greek.firstBadByte, 1u);
    EXPECT_EQ(greek.unicode, "a\uFFFDb\uFFFD");
    AnsiNameText cut = Decode("ab\x95", 932);
    EXPECT_FALSE(cut.valid);
    EXPECT_EQ(cut.firstBadByte, 2u);
    EXPECT_EQ(cut.unicode, "ab\uFFFD");
}

TEST(AnsiNameTest, TypedNamesAreWrittenInThePageOrRefused)
{
    std::string bytes, unwritable;
    ASSERT_TRUE(EncodeAnsiName("\u0410\u0411.wav", 1251, &bytes, &unwritable));
    EXPECT_EQ(bytes, "\xC0\xC1.wav");
    ASSERT_TRUE(EncodeAnsiName("caf\u00E9.wav", 1252, &bytes, &unwritable));
    EXPECT_EQ(bytes, "caf\xE9.wav");
    EXPECT_FALSE(EncodeAnsiName("a\u0410\u0411.wav", 1252, &bytes, &unwritable));
    EXPECT_EQ(unwritable, "\u0410");
    EXPECT_FALSE(EncodeAnsiName("caf\xE9", 1252, &bytes, &unwritable));
    EXPECT_EQ(unwritable, "");
    EXPECT_FALSE(EncodeAnsiName("a\U0001F3B5", 936, &bytes, &unwritable));
    EXPECT_EQ(unwritable, "\U0001F3B5");
}

TEST(AnsiNameTest, Utf8NamesAreToldFromAnsiNames)
{
    EXPECT_TRUE(IsUtf8BeyondAscii("caf\xC3\xA9.wav", 10));
    EXPECT_TRUE(IsUtf8BeyondAscii("\xF0\x9F\x8E\xB5", 4));
    EXPECT_FALSE(IsUtf8BeyondAscii("cafe.wav", 8));
    EXPECT_FALSE(IsUtf8BeyondAscii("caf\xE9.wav", 8));
    EXPECT_FALSE(IsUtf8BeyondAscii("\xC0\xAF", 2));          // overlong "/"
    EXPECT_FALSE(IsUtf8BeyondAscii("\xED\xA0\x80", 3));      // a surrogate
    EXPECT_FALSE(IsUtf8BeyondAscii("\xC3", 1));              // cut short
}

TEST(AnsiNameTest, OnlyWindowsAnsiCodePagesAreTaken)
{
    for (int32_t page : {874, 932, 936, 949, 950, 1250, 1258}) {
        EXPECT_TRUE(IsAnsiCodePage(page)) << page;
        EXPECT_STRNE(AnsiCodePageScript(page), "") << page;
    }
    for (int32_t page : {0, 437, 850, 1200, 1249, 1259, 20127, 65001}) {
        EXPECT_FALSE(IsAnsiCodePage(page)) << page;
        EXPECT_STREQ(AnsiCodePageScript(page), "") << page;
    }
}

}  // namespace
