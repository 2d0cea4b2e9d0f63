#include "HotspotTable.h"
#include "TestSupport.h"

#include <string>
#include <vector>

namespace {

class HotspotFileTest : public SkinFolderTest {
protected:
    // Writes "lum.ini" and loads it; the load must succeed.
    void Load(const std::string& bytes)
    {
        WriteFile("lum.ini", bytes);
        ASSERT_EQ(LoadHotspotFile(), 1);
    }

    static void ExpectSlot(int index, const char* name, int32_t left, int32_t top, int32_t right,
                           int32_t bottom)
    {
        const Hotspot& slot = HotspotTable.slots[index];
        EXPECT_STREQ(slot.name, name) << "slot " << index;
        EXPECT_EQ(slot.rect.left, left) << "slot " << index;
        EXPECT_EQ(slot.rect.top, top) << "slot " << index;
        EXPECT_EQ(slot.rect.right, right) << "slot " << index;
        EXPECT_EQ(slot.rect.bottom, bottom) << "slot " << index;
    }
};

TEST_F(HotspotFileTest, MissingFileFailsAndLeavesTableEmpty)
{
    EXPECT_EQ(LoadHotspotFile(), 0);
    EXPECT_EQ(HotspotTable.count, 0);
}

TEST_F(HotspotFileTest, DirectoryNamedLikeTheFileFails)
{
    ASSERT_EQ(system("mkdir lum.ini"), 0);
    EXPECT_EQ(LoadHotspotFile(), 0);
}

TEST_F(HotspotFileTest, EmptyFileLoadsWithNoHotspots)
{
    Load("");
    EXPECT_EQ(HotspotTable.count, 0);
    EXPECT_EQ(FindHotspot(0, 0), kNoHotspot);
}

TEST_F(HotspotFileTest, SeparatorsAndEmptyFields)
{
    Load("ding.wav 10 10 60 40\n"
         "EXIT,180,0,200,20\n"
         "MIN\t160\t0\t180\t20\n"
         "  EXIT ,, 0 0 20 20 \t,\n"
         "ding.wav 10 10 60\n"
         "a 1 2 3 4 5 6 junk\n");
    ASSERT_EQ(HotspotTable.count, 6);
    ExpectSlot(0, "ding.wav", 10, 10, 60, 40);
    ExpectSlot(1, "EXIT", 180, 0, 200, 20);
    ExpectSlot(2, "MIN", 160, 0, 180, 20);
    ExpectSlot(3, "EXIT", 0, 0, 20, 20);
    ExpectSlot(4, "ding.wav", 10, 10, 60, 0);
    ExpectSlot(5, "a", 1, 2, 3, 4);
}

TEST_F(HotspotFileTest, EmptyAndSeparatorOnlyLinesTakeSlots)
{
    Load("a.wav 0 0 10 10\n\n \t,,\nb.wav 0 0 10 10");
    ASSERT_EQ(HotspotTable.count, 4);
    ExpectSlot(1, "", 0, 0, 0, 0);
    ExpectSlot(2, "", 0, 0, 0, 0);
    ExpectSlot(3, "b.wav", 0, 0, 10, 10);
}

TEST_F(HotspotFileTest, CrLfEndingsGiveTheSameTableAsLf)
{
    Load("a.wav 1 2 3 4\r\nMIN 5 6 7 8\r\n");
    ASSERT_EQ(HotspotTable.count, 2);
    ExpectSlot(0, "a.wav", 1, 2, 3, 4);
    ExpectSlot(1, "MIN", 5, 6, 7, 8);
}

TEST_F(HotspotFileTest, LoneCarriageReturnsStayInTheLine)
{
    Load("MIN\r\r\nx.wav\r1 2 3 4\rEXIT 0 0 9 9\r");
    ASSERT_EQ(HotspotTable.count, 2);
    ExpectSlot(0, "MIN\r", 0, 0, 0, 0);
    EXPECT_EQ(ClassifyAction(HotspotTable.slots[0].name), HotspotAction::PlayFile);
    // "\r1" converts as 1 (CR is leading white space); the CR after "4" ends
    // the digits; a trailing CR at the end of the file is kept.
    ExpectSlot(1, "x.wav\r1", 2, 3, 4, 0);
}

// All lines the reader gives for a file, as the loader would see them.
static std::vector<std::string> ReadAllLines()
{
    std::vector<std::string> lines;
    HotspotLineReader reader;
    if (!OpenHotspotFile(&reader))
        return lines;
    char line[kLineBufferSize];
    while (ReadHotspotLine(&reader, line))
        lines.emplace_back(line, static_cast<size_t>(reader.lineLength));
    CloseHotspotFile(&reader);
    return lines;
}

TEST_F(HotspotFileTest, CarriageReturnsAtReadChunkBoundaries)
{
    // 32767 commas are 131 full lines and one of 148; the CR LF pair straddles
    // the first chunk boundary, a lone CR ends the second chunk.
    std::string commas(kHotspotReadChunk - 1, ',');
    std::string first = commas + "\r\nEXIT 1 1 5 5\n";
    std::string second(2 * kHotspotReadChunk - 1 - first.size(), ',');
    WriteFile("lum.ini", first + second + "\rMIN");
    std::vector<std::string> lines = ReadAllLines();
    ASSERT_EQ(lines.size(), 265u);
    EXPECT_EQ(lines[131], std::string(148, ','));
    EXPECT_EQ(lines[132], "EXIT 1 1 5 5");
    EXPECT_EQ(lines[264], std::string(second.size() % 249, ',') + "\rMIN");
}

TEST_F(HotspotFileTest, CtrlZEndsTheText)
{
    Load("a.wav 1 1 9 9\nb.wav 1 1 9 9\x1a\nc.wav 1 1 9 9\n");
    ASSERT_EQ(HotspotTable.count, 2);
    ExpectSlot(1, "b.wav", 1, 1, 9, 9);
}

TEST_F(HotspotFileTest, ZeroByteEndsTheLinesFieldsButNotTheLine)
{
    Load(std::string("a.wav 1 2\0 3 4\nb.wav 5 6 7 8\n", 29));
    ASSERT_EQ(HotspotTable.count, 2);
    ExpectSlot(0, "a.wav", 1, 2, 0, 0);
    ExpectSlot(1, "b.wav", 5, 6, 7, 8);
}

TEST_F(HotspotFileTest, LongLinesAreReadIn249CharacterChunks)
{
    std::string head = "ding.wav 10 10 60 40";
    std::string line300 = head + std::string(300 - head.size() - 4, ' ') + "tail";
    Load(line300 + "\n" + std::string(249, 'x') + "\n" + std::string(248, 'y') + "\n" +
         std::string(249, ' ') + "\n" + "last 1 1 2 2");
    ASSERT_EQ(HotspotTable.count, 8);
    ExpectSlot(0, "ding.wav", 10, 10, 60, 40);
    ExpectSlot(1, "tail", 0, 0, 0, 0);
    // 249 characters fill the buffer, so their LF is read as a further, empty line.
    EXPECT_EQ(std::string(HotspotTable.slots[2].name), std::string(239, 'x'));
    ExpectSlot(3, "", 0, 0, 0, 0);
    // 248 characters leave room for the LF: one line.
    EXPECT_EQ(std::string(HotspotTable.slots[4].name), std::string(239, 'y'));
    ExpectSlot(5, "", 0, 0, 0, 0);
    ExpectSlot(6, "", 0, 0, 0, 0);
    ExpectSlot(7, "last", 1, 1, 2, 2);
}

TEST_F(HotspotFileTest, LastLineOf249CharactersWithoutNewlineTakesOneSlot)
{
    Load(std::string(249, 'z'));
    EXPECT_EQ(HotspotTable.count, 1);
}

TEST_F(HotspotFileTest, NamesAreCutTo239Characters)
{
    std::string name(240, 'n');
    Load(name + " 1 2 3 4\n" + std::string(239, 'm') + " 5 6 7 8\n");
    EXPECT_EQ(std::string(HotspotTable.slots[0].name), std::string(239, 'n'));
    ExpectSlot(0, HotspotTable.slots[0].name, 1, 2, 3, 4);
    EXPECT_EQ(std::string(HotspotTable.slots[1].name), std::string(239, 'm'));
}

TEST_F(HotspotFileTest, OnlyTheFirst32LinesAreStored)
{
    std::string text;
    for (int i = 0; i < 40; i++)
        text += "s" + std::to_string(i) + ".wav " + std::to_string(i) + " 0 100 100\n";
    Load(text);
    EXPECT_EQ(HotspotTable.count, kMaxHotspots);
    ExpectSlot(31, "s31.wav", 31, 0, 100, 100);
}

TEST_F(HotspotFileTest, TheFileIsSharedAndNeverChanged)
{
    std::string text = "a.wav 1 1 9 9\r\n\x1a tail";
    Load(text);
    EXPECT_EQ(ReadFile("lum.ini"), text);
}

TEST(ConvertCoordinate, SignsSpacesAndJunk)
{
    EXPECT_EQ(ConvertCoordinate("12px"), 12);
    EXPECT_EQ(ConvertCoordinate("x"), 0);
    EXPECT_EQ(ConvertCoordinate(""), 0);
    EXPECT_EQ(ConvertCoordinate("-17"), -17);
    EXPECT_EQ(ConvertCoordinate("+17"), 17);
    EXPECT_EQ(ConvertCoordinate("--1"), 0);
    EXPECT_EQ(ConvertCoordinate("\v\f\r 5"), 5);
    EXPECT_EQ(ConvertCoordinate("007"), 7);
}

TEST(ConvertCoordinate, WrapsIn32BitTwosComplement)
{
    EXPECT_EQ(ConvertCoordinate("4294967306"), 10);
    EXPECT_EQ(ConvertCoordinate("2147483648"), INT32_MIN);
    EXPECT_EQ(ConvertCoordinate("-2147483648"), INT32_MIN);
    EXPECT_EQ(ConvertCoordinate("2147483647"), INT32_MAX);
    EXPECT_EQ(ConvertCoordinate("-4294967295"), 1);
    EXPECT_EQ(ConvertCoordinate("99999999999999999999999999"), -469762049);
}

class FindHotspotTest : public ::testing::Test {
protected:
    void SetUp() override { HotspotTable = HotspotTableRecord(); }
    void TearDown() override { HotspotTable = HotspotTableRecord(); }
    static void Add(const char* name, int32_t left, int32_t top, int32_t right, int32_t bottom)
    {
        ParseHotspotLine(name, &HotspotTable.slots[HotspotTable.count]);
        HotspotTable.slots[HotspotTable.count++].rect = {left, top, right, bottom};
    }
};

TEST_F(FindHotspotTest, ContainmentIsStrict)
{
    Add("ding.wav", 10, 10, 60, 40);
    EXPECT_EQ(FindHotspot(10, 20), kNoHotspot);
    EXPECT_EQ(FindHotspot(11, 20), 0);
    EXPECT_EQ(FindHotspot(59, 39), 0);
    EXPECT_EQ(FindHotspot(60, 39), kNoHotspot);
    EXPECT_EQ(FindHotspot(30, 10), kNoHotspot);
    EXPECT_EQ(FindHotspot(30, 40), kNoHotspot);
    EXPECT_EQ(FindHotspot(-30, -20), kNoHotspot);
}

TEST_F(FindHotspotTest, EarlierLineWinsAndEmptySlotsAreNeverFound)
{
    Add("", 0, 0, 0, 0);
    Add("first.wav", 0, 0, 50, 50);
    Add("second.wav", 25, 25, 100, 100);
    Add("flat.wav", 0, 200, 300, 200);
    EXPECT_EQ(FindHotspot(30, 30), 1);
    EXPECT_EQ(FindHotspot(70, 70), 2);
    EXPECT_EQ(FindHotspot(150, 200), kNoHotspot);
}

TEST_F(FindHotspotTest, NegativeRectanglesWork)
{
    Add("neg.wav", -20, -20, -5, -5);
    EXPECT_EQ(FindHotspot(-10, -10), 0);
    EXPECT_EQ(FindHotspot(0, 0), kNoHotspot);
}

TEST(ClassifyAction, KeywordsAreExactAndCaseSensitive)
{
    EXPECT_EQ(ClassifyAction("MIN"), HotspotAction::Minimize);
    EXPECT_EQ(ClassifyAction("EXIT"), HotspotAction::Exit);
    EXPECT_EQ(ClassifyAction("min"), HotspotAction::PlayFile);
    EXPECT_EQ(ClassifyAction("Exit"), HotspotAction::PlayFile);
    EXPECT_EQ(ClassifyAction("MINI"), HotspotAction::PlayFile);
    EXPECT_EQ(ClassifyAction("EXIT\r"), HotspotAction::PlayFile);
    EXPECT_EQ(ClassifyAction(""), HotspotAction::PlayFile);
    EXPECT_EQ(ClassifyAction("ding.wav"), HotspotAction::PlayFile);
}

}  // namespace
