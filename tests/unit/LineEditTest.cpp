#include "LineEdit.h"
#include "LineCutText.h"
#include "TestSupport.h"

#include <cmath>
#include <string>

namespace {

const std::string kLimits = "a rectangle's numbers must be whole numbers from -2147483648 to 2147483647";

struct EditCase {
    const char* what;
    std::string file;
    int32_t line;
    const char* typed;  // null keeps the name
    double numbers[4];
    int32_t codePage;
    std::string composed;  // the edited line, or "" when refused
    std::string problem;
};

// An edit changes only the fields whose values change, keeps every other
// byte, and is refused whole when the program would not read it back as meant.
TEST(LineEditTest, EditsChangeOnlyWhatChangesOrAreRefused)
{
    const std::string padded = "a.wav 1 2 3 4" + std::string(235, ' ');  // 248 characters: read whole
    const std::string cut = "a 1 2" + std::string(244, ' ');             // 249: "7 8" goes on in a further piece
    const std::string longName(240, 'n');
    const EditCase cases[] = {
        {"one field", "x 0 0 1 1\n  ding.wav,10 , +10 60 40 junk\r\n", 1, nullptr, {11, 10, 60, 40}, 1252,
         "  ding.wav,11 , +10 60 40 junk\r\n", ""},
        {"missing fields up to the last changed one", "a.wav 10 10 \t\n", 0, nullptr, {10, 10, 30, 0}, 1252,
         "a.wav 10 10 30 \t\n", ""},
        {"the name in the code page", "x.wav\t1 2 3 4 ; note", 0, "\xC3\xA9t\xC3\xA9.wav", {1, 2, 3, 5}, 1252,
         "\xE9t\xE9.wav\t1 2 3 5 ; note", ""},
        {"a name the code page cannot write", "x.wav 1 2 3 4\n", 0, "\xC3\xA9t\xC3\xA9.wav", {1, 2, 3, 4}, 1251,
         "", "code page 1251 has no character \"\xC3\xA9\""},
        {"a split name", "x.wav 1 2 3 4\n", 0, "my ding.wav", {1, 2, 3, 4}, 1252, "",
         "the program would split the name at the space"},
        {"a name longer than a slot keeps", "x.wav 1 2 3 4\n", 0, longName.c_str(), {1, 2, 3, 4}, 1252,
         "", "the name is longer than the program keeps (239 characters)"},
        {"past the largest number", "a.wav 10 10 2147483647 40\n", 0, nullptr, {10, 10, 2147483648.0, 40}, 1252, "",
         kLimits},
        {"below the smallest number", "a.wav 10 10 20 40\n", 0, nullptr, {-2147483649.0, 10, 20, 40}, 1252, "",
         kLimits},
        {"no whole number", "a.wav 10 10 20 40\n", 0, nullptr, {10, 10.5, 20, 40}, 1252, "", kLimits},
        {"a line grown past the cut", padded + "\n", 0, nullptr, {10, 2, 3, 4}, 1252, "", LineCutText()},
        {"a number added beyond the cut", cut + "7 8\n", 0, nullptr, {1, 2, 50, 0}, 1252, "", LineCutText()},
        {"a line without a name", "\n", 0, nullptr, {1, 2, 3, 4}, 1252, "", "the line has no name"},
        {"no such line", "a.wav 1 2 3 4\n", 1, nullptr, {1, 2, 3, 4}, 1252, "", "there is no line 2"},
    };
    for (const EditCase& c : cases) {
        ReadHotspotLines(BytesOf(c.file), c.file.size());
        std::string problem;
        int done = EditLine(c.line, c.typed, c.numbers, c.codePage, &problem);
        EXPECT_EQ(done, c.problem.empty()) << c.what;
        EXPECT_EQ(HotspotLines.composed, c.composed) << c.what;
        EXPECT_EQ(done ? "" : problem, c.problem) << c.what;
    }
}

TEST(LineEditTest, ComposedLineAndRectangleAroundABox)
{
    const double numbers[4] = {1, -2, 3, 2147483647};
    std::string problem;
    ASSERT_EQ(ComposeLine("ding.wav", numbers, 1252, &problem), 1);
    EXPECT_EQ(HotspotLines.composed, "ding.wav 1 -2 3 2147483647\r\n");

    // The interior starts one past the left and top edges and ends at the right and bottom ones.
    HotspotRect rect;
    const double box[4] = {-2147483647, 0, 2147483647, 10};
    ASSERT_EQ(RectAround(box, &rect, &problem), 1);
    EXPECT_EQ(rect.left, -2147483647 - 1);
    EXPECT_EQ(rect.right, 2147483647);
    const double outside[4] = {-2147483648.0, 0, 10, 10};
    EXPECT_EQ(RectAround(outside, &rect, &problem), 0);
    EXPECT_EQ(problem, kLimits);
    const double notANumber[4] = {0, 0, NAN, 10};
    EXPECT_EQ(RectAround(notANumber, &rect, &problem), 0);
}

// Every name made safe is written whole in a line with the widest numbers.
TEST(LineEditTest, SafeSoundNamesReadBackWhole)
{
    const struct {
        const char* typed;
        int32_t codePage;
        const char* safe;
    } cases[] = {
        {"bell ring.wav", 1252, "bell-ring.wav"},
        {"a: b,\tc?.wav", 1252, "a-b-c.wav"},
        {"caf\xC3\xA9.wav", 1252, "caf\xC3\xA9.wav"},
        {"\xD0\xB3\xD1\x83\xD0\xB4\xD0\xBE\xD0\xBA.wav", 1252, "sound.wav"},
        {"\xD0\xB3\xD1\x83\xD0\xB4\xD0\xBE\xD0\xBA.wav", 1251, "\xD0\xB3\xD1\x83\xD0\xB4\xD0\xBE\xD0\xBA.wav"},
        {"end. .wav", 1252, "end.wav"},
    };
    const double widest[4] = {-2147483648.0, -2147483648.0, -2147483648.0, -2147483648.0};
    std::string problem;
    for (const auto& c : cases) {
        EXPECT_EQ(SafeSoundName(c.typed, c.codePage), c.safe) << c.typed;
        EXPECT_EQ(ComposeLine(c.safe, widest, c.codePage, &problem), 1) << problem;
    }
    std::string longName = SafeSoundName((std::string(300, 'x') + ".wav").c_str(), 1252);
    EXPECT_LT(longName.size(), 300u);
    EXPECT_EQ(longName.substr(longName.size() - 4), ".wav");
    EXPECT_EQ(ComposeLine(longName.c_str(), widest, 1252, &problem), 1) << problem;
}

// A name Windows cannot hold is refused with why; every other name passes,
// however close to a refused one.
TEST(LineEditTest, FileNamesWindowsCannotHold)
{
    const struct {
        std::string name;
        std::string problem;
    } cases[] = {
        {"bell.wav", ""},
        {"caf\xC3\xA9 .wav", ""},
        {"CONSOLE.wav", ""},
        {"COM0", ""},
        {"LPT10.wav", ""},
        {"xcon", ""},
        {".hidden", ""},
        {"", "the name is empty"},
        {std::string("a\0b", 3), "Windows allows byte 0x00 in no file name"},
        {"a\tb", "Windows allows the tab in no file name"},
        {"a\x7F", "Windows allows byte 0x7F in no file name"},
        {"a?.wav", "Windows allows \"?\" in no file name"},
        {"a:b", "Windows allows \":\" in no file name"},
        {"a\\b", "Windows allows \"\\\" in no file name"},
        {"bell.", "Windows drops a dot or a space at the end of a file name"},
        {"bell ", "Windows drops a dot or a space at the end of a file name"},
        {"..", "Windows drops a dot or a space at the end of a file name"},
        {"con", "Windows keeps the name \"con\" for a device"},
        {"Nul.wav", "Windows keeps the name \"Nul\" for a device"},
        {"aux.tar.gz", "Windows keeps the name \"aux\" for a device"},
        {"COM9.wav", "Windows keeps the name \"COM9\" for a device"},
        {"lpt1", "Windows keeps the name \"lpt1\" for a device"},
        {std::string(255, 'x'), ""},
        {std::string(256, 'x'), "the name is longer than Windows allows (255 characters)"},
        // 127 characters outside the BMP are 254 UTF-16 units; 128 are 256.
        {[] { std::string s; for (int i = 0; i < 127; i++) s += "\xF0\x9F\x94\x94"; return s + "a"; }(), ""},
        {[] { std::string s; for (int i = 0; i < 128; i++) s += "\xF0\x9F\x94\x94"; return s; }(),
         "the name is longer than Windows allows (255 characters)"},
        // 255 characters of three bytes each are 255 units.
        {[] { std::string s; for (int i = 0; i < 255; i++) s += "\xE2\x82\xAC"; return s; }(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileNameProblem(c.name), c.problem) << c.name;
}

}  // namespace
