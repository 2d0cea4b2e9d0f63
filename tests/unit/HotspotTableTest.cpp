#include "HotspotTable.h"
#include "TestSupport.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

class HotspotTextTest : public SkinModelTest {
protected:
    // Reads a hotspot file's bytes into HotspotTable.
    static void Load(const std::string& bytes)
    {
        ReadHotspotText(BytesOf(bytes), bytes.size(), &HotspotTable, nullptr, nullptr);
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

TEST_F(HotspotTextTest, EmptyFileLoadsWithNoHotspots)
{
    Load("");
    EXPECT_EQ(HotspotTable.count, 0);
    EXPECT_EQ(FindHotspot(0, 0), kNoHotspot);
}

TEST_F(HotspotTextTest, SeparatorsAndEmptyFields)
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

TEST_F(HotspotTextTest, EmptyAndSeparatorOnlyLinesTakeSlots)
{
    Load("a.wav 0 0 10 10\n\n \t,,\nb.wav 0 0 10 10");
    ASSERT_EQ(HotspotTable.count, 4);
    ExpectSlot(1, "", 0, 0, 0, 0);
    ExpectSlot(2, "", 0, 0, 0, 0);
    ExpectSlot(3, "b.wav", 0, 0, 10, 10);
}

TEST_F(HotspotTextTest, CrLfEndingsGiveTheSameTableAsLf)
{
    Load("a.wav 1 2 3 4\r\nMIN 5 6 7 8\r\n");
    ASSERT_EQ(HotspotTable.count, 2);
    ExpectSlot(0, "a.wav", 1, 2, 3, 4);
    ExpectSlot(1, "MIN", 5, 6, 7, 8);
}

TEST_F(HotspotTextTest, LoneCarriageReturnsStayInTheLine)
{
    Load("MIN\r\r\nx.wav\r1 2 3 4\rEXIT 0 0 9 9\r");
    ASSERT_EQ(HotspotTable.count, 2);
    ExpectSlot(0, "MIN\r", 0, 0, 0, 0);
    EXPECT_EQ(ClassifyAction(HotspotTable.slots[0].name), HotspotAction::PlayFile);
    // "\r1" converts as 1 (CR is leading white space); the CR after "4" ends
    // the digits; a trailing CR at the end of the file is kept.
    ExpectSlot(1, "x.wav\r1", 2, 3, 4, 0);
}

TEST_F(HotspotTextTest, CtrlZEndsTheText)
{
    Load("a.wav 1 1 9 9\nb.wav 1 1 9 9\x1a\nc.wav 1 1 9 9\n");
    ASSERT_EQ(HotspotTable.count, 2);
    ExpectSlot(1, "b.wav", 1, 1, 9, 9);
}

TEST_F(HotspotTextTest, ZeroByteEndsTheLinesFieldsButNotTheLine)
{
    Load(std::string("a.wav 1 2\0 3 4\nb.wav 5 6 7 8\n", 29));
    ASSERT_EQ(HotspotTable.count, 2);
    ExpectSlot(0, "a.wav", 1, 2, 0, 0);
    ExpectSlot(1, "b.wav", 5, 6, 7, 8);
}

TEST_F(HotspotTextTest, LongLinesAreReadIn249CharacterChunks)
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

TEST_F(HotspotTextTest, LastLineOf249CharactersWithoutNewlineTakesOneSlot)
{
    Load(std::string(249, 'z'));
    EXPECT_EQ(HotspotTable.count, 1);
}

TEST_F(HotspotTextTest, NamesAreCutTo239Characters)
{
    std::string name(240, 'n');
    Load(name + " 1 2 3 4\n" + std::string(239, 'm') + " 5 6 7 8\n");
    ExpectSlot(0, std::string(239, 'n').c_str(), 1, 2, 3, 4);
    ExpectSlot(1, std::string(239, 'm').c_str(), 5, 6, 7, 8);
}

TEST_F(HotspotTextTest, OnlyTheFirst32LinesAreStored)
{
    std::string text;
    for (int i = 0; i < 40; i++)
        text += "s" + std::to_string(i) + ".wav " + std::to_string(i) + " 0 100 100\n";
    Load(text);
    EXPECT_EQ(HotspotTable.count, kMaxHotspots);
    ExpectSlot(31, "s31.wav", 31, 0, 100, 100);
}

static void KeepPiece(const HotspotPiece* piece, void* pieces)
{
    static_cast<std::vector<HotspotPiece>*>(pieces)->push_back(*piece);
}

static std::vector<HotspotPiece> ReadPieces(const std::string& bytes)
{
    std::vector<HotspotPiece> pieces;
    ReadHotspotText(BytesOf(bytes), bytes.size(), &HotspotTable, KeepPiece, &pieces);
    return pieces;
}

static void ExpectPiece(const HotspotPiece& piece, int line, int continuation, uint64_t start, uint64_t end,
                        int length, int slot)
{
    EXPECT_EQ(piece.line, line) << "piece at " << start;
    EXPECT_EQ(piece.continuation, continuation) << "piece at " << start;
    EXPECT_EQ(piece.byteStart, start) << "piece at " << start;
    EXPECT_EQ(piece.byteEnd, end) << "piece at " << start;
    EXPECT_EQ(piece.length, length) << "piece at " << start;
    EXPECT_EQ(piece.slot, slot) << "piece at " << start;
}

// Each slot knows its file line and the bytes it was read from, CR LF, a cut
// at 249 characters and the 0x1A that ends the text included.
TEST_F(HotspotTextTest, EveryPieceKnowsItsLineAndBytes)
{
    std::string longLine = "far.wav 1 2 3 4" + std::string(300 - 15, ' ');
    std::vector<HotspotPiece> pieces =
        ReadPieces("a.wav 1 2 3 4\r\n\n" + longLine + "\nx\ry\r\x1a tail\n");
    ASSERT_EQ(pieces.size(), 5u);
    ExpectPiece(pieces[0], 1, 0, 0, 15, 13, 0);
    EXPECT_EQ(pieces[0].nameLength, 5);
    ExpectPiece(pieces[1], 2, 0, 15, 16, 0, 1);
    EXPECT_EQ(pieces[1].nameLength, 0);
    ExpectPiece(pieces[2], 3, 0, 16, 16 + 249, 249, 2);
    ExpectPiece(pieces[3], 3, 1, 16 + 249, 16 + 301, 51, 3);
    ExpectPiece(pieces[4], 4, 0, 317, 321, 4, 4);
    EXPECT_STREQ(HotspotTable.slots[4].name, "x\ry\r");
}

// A CR can be the character that fills the buffer; it ends the piece, and
// when that piece fills the table an unwatched reader wants nothing more.
TEST_F(HotspotTextTest, CarriageReturnFillingTheBufferEndsThePiece)
{
    std::vector<HotspotPiece> pieces = ReadPieces(std::string(248, 'a') + "\rz\n");
    ASSERT_EQ(pieces.size(), 2u);
    ExpectPiece(pieces[0], 1, 0, 0, 249, 249, 0);
    ExpectPiece(pieces[1], 1, 1, 249, 251, 1, 1);

    std::string text = std::string(31, '\n') + std::string(248, 'a') + "\r";
    HotspotTextReader reader;
    StartHotspotText(&reader, &HotspotTable, nullptr, nullptr);
    EXPECT_EQ(TakeHotspotBytes(&reader, BytesOf(text), text.size()), 1);
    EXPECT_EQ(TakeHotspotBytes(&reader, BytesOf("zzz"), 3), 0);
    EndHotspotText(&reader);
    EXPECT_EQ(HotspotTable.count, kMaxHotspots);
}

// The table holds 32 slots; a watcher still hears of every later line.
TEST_F(HotspotTextTest, PiecesPastAFullTableTakeNoSlot)
{
    std::string text;
    for (int i = 0; i < 34; i++)
        text += "s" + std::to_string(i) + ".wav 0 0 9 9\n";
    std::vector<HotspotPiece> pieces = ReadPieces(text + std::string(260, 'n'));
    ASSERT_EQ(pieces.size(), 36u);
    EXPECT_EQ(HotspotTable.count, kMaxHotspots);
    ExpectPiece(pieces[33], 34, 0, 10 * 15 + 23 * 16, 10 * 15 + 24 * 16, 15, kNoHotspot);
    EXPECT_EQ(pieces[33].nameLength, 7);
    EXPECT_EQ(pieces[35].continuation, 1);
    EXPECT_EQ(pieces[35].nameLength, 11);
}

// The file reaches the reader in pieces of any size: every place where it is
// cut in two must give the same slots and pieces as the whole at once.
TEST_F(HotspotTextTest, BytesFedInTwoPartsReadAsTheWhole)
{
    std::string text = "MIN 1 2 3 4\r\nx\ry 5\r" + std::string(247, 'w') + "\r\rz\r\n\r\x1a more\n";
    std::vector<std::string> whole;
    ReadHotspotText(BytesOf(text), text.size(), &HotspotTable, KeepPieceText, &whole);
    HotspotTableRecord expected = HotspotTable;
    for (size_t cut = 0; cut <= text.size(); cut++) {
        std::vector<std::string> pieces;
        HotspotTextReader reader;
        StartHotspotText(&reader, &HotspotTable, KeepPieceText, &pieces);
        if (TakeHotspotBytes(&reader, BytesOf(text), cut))
            TakeHotspotBytes(&reader, BytesOf(text) + cut, text.size() - cut);
        EndHotspotText(&reader);
        EXPECT_EQ(pieces, whole) << "cut at " << cut;
        EXPECT_EQ(std::memcmp(&HotspotTable, &expected, sizeof expected), 0) << "cut at " << cut;
    }
}

TEST(ConvertCoordinate, SignsSpacesAndJunk)
{
    EXPECT_EQ(ConvertCoordinate("12px"), 12);
    EXPECT_EQ(ConvertCoordinate("x"), 0);
    EXPECT_EQ(ConvertCoordinate(""), 0);
    EXPECT_EQ(ConvertCoordinate("-17"), -17);
    EXPECT_EQ(ConvertCoordinate("+17"), 17);
    EXPECT_EQ(ConvertCoordinate("--1"), 0);
    EXPECT_EQ(ConvertCoordinate("\v\f\r\t\n 5"), 5);
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
