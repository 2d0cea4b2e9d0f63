// The file-reading side of the skin model, with the platform made to fail
// where a real system can: every failure must give its one reason, the
// program's own messages and nothing else, and free all it took (the
// sanitizer and Valgrind runs of these tests hold the last).
#include "DibImage.h"
#include "HotspotTable.h"
#include "PlatformFaults.h"
#include "SkinImage.h"
#include "Startup.h"
#include "TestSupport.h"

#include <cstring>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// The next nothrow new fails: the skin's reader cannot be created.
static int failNextObject;

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (failNextObject) {
        failNextObject = 0;
        return nullptr;
    }
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

namespace {

std::string SmallSkin()
{
    return MakeSkinFile(5, {{1, kKeyPixel, 2, 3, 4}, {5, 6, 7, kKeyPixel, 8}, {9, 9, 9, 9, kKeyPixel}});
}

class FileFaultTest : public SkinModelTest {
protected:
    int BuildFromFile(const std::string& bytes)
    {
        folder.Write("lum.bmp", bytes);
        return BuildSkinFile(folder.Path("lum.bmp").c_str(), &failure);
    }

    void ExpectSkinFailure(LoadFailure reason, const char* why)
    {
        EXPECT_EQ(failure, reason) << why << ": got " << LoadFailureWord(failure);
        EXPECT_EQ(SkinImage.mask, nullptr) << why;
        EXPECT_TRUE(shownMessages.empty()) << why;
    }

    TempFolder folder;
    LoadFailure failure = LoadFailure::None;
};

TEST_F(FileFaultTest, HotspotFileThatCannotBeOpened)
{
    EXPECT_EQ(ReadHotspotFile(folder.Path("lum.ini").c_str(), &HotspotTable, nullptr, nullptr, &failure), 0);
    EXPECT_EQ(failure, LoadFailure::CannotOpen);
    ASSERT_EQ(mkdir(folder.Path("lum.ini").c_str(), 0700), 0);
    EXPECT_EQ(ReadHotspotFile(folder.Path("lum.ini").c_str(), &HotspotTable, nullptr, nullptr, &failure), 0);
    folder.Write("other.ini", "EXIT 0 0 9 9\n");
    PlatformFaults.failOpen = 1;
    EXPECT_EQ(ReadHotspotFile(folder.Path("other.ini").c_str(), &HotspotTable, nullptr, nullptr, &failure), 0);
    EXPECT_EQ(failure, LoadFailure::CannotOpen);
    EXPECT_EQ(HotspotTable.count, 0);
}

// A read error ends the text like the end of the file: the lines before it stay.
TEST_F(FileFaultTest, HotspotFileReadErrorKeepsWhatWasRead)
{
    folder.Write("lum.ini", "a.wav 1 2 3 4\nb.wav 5 6 7 8\nc.wav 9 9 9 9\n");
    PlatformFaults.failRead = 1;
    PlatformFaults.failReadAt = 17;
    ASSERT_EQ(ReadHotspotFile(folder.Path("lum.ini").c_str(), &HotspotTable, nullptr, nullptr, &failure), 1);
    EXPECT_EQ(failure, LoadFailure::None);
    ASSERT_EQ(HotspotTable.count, 2);
    EXPECT_STREQ(HotspotTable.slots[1].name, "b.w");
}

// Reads of a few bytes each split CR LF pairs and long lines everywhere; the
// file, past the reader's own chunk, must read exactly as in one piece.
TEST_F(FileFaultTest, HotspotFileInShortReadsReadsAsTheWhole)
{
    std::string text;
    for (int i = 0; text.size() < 40000; i++)
        text += i % 7 == 0 ? std::string(251 + i % 5, ',') + "\r\n" : "x" + std::to_string(i) + "\r1 2 3 4\r\n";
    text += "\x1a ignored";
    std::vector<std::string> whole, shortReads;
    ReadHotspotText(BytesOf(text), text.size(), &HotspotTable, KeepPieceText, &whole);
    HotspotTableRecord expected = HotspotTable;
    folder.Write("lum.ini", text);
    PlatformFaults.readLimit = 7;
    ASSERT_EQ(ReadHotspotFile(folder.Path("lum.ini").c_str(), &HotspotTable, KeepPieceText, &shortReads,
                              &failure), 1);
    EXPECT_EQ(shortReads, whole);
    EXPECT_EQ(std::memcmp(&HotspotTable, &expected, sizeof expected), 0);
}

TEST_F(FileFaultTest, SkinFileThatCannotBeOpened)
{
    EXPECT_EQ(BuildSkinFile(folder.Path("lum.bmp").c_str(), &failure), 0);
    ExpectSkinFailure(LoadFailure::CannotOpen, "missing");
    ResetSkinModel();
    PlatformFaults.failOpen = 1;
    EXPECT_EQ(BuildFromFile(SmallSkin()), 0);
    ExpectSkinFailure(LoadFailure::CannotOpen, "open refused");
}

// A file that could not be read was not shown to be anything else: no "This
// isn't a bitmap file!", wherever the error struck.
TEST_F(FileFaultTest, SkinFileReadErrorsAreNotTakenForOtherFiles)
{
    for (uint64_t at : {0, 1, 13, 14, 60}) {
        ResetSkinModel();
        PlatformFaults.failRead = 1;
        PlatformFaults.failReadAt = at;
        EXPECT_EQ(BuildFromFile(SmallSkin()), 0) << "error at byte " << at;
        ExpectSkinFailure(LoadFailure::CannotRead, "read error");
    }
    ResetSkinModel();
    PlatformFaults = PlatformFaultsRecord();
    PlatformFaults.failLength = 1;
    EXPECT_EQ(BuildFromFile(SmallSkin()), 0);
    ExpectSkinFailure(LoadFailure::CannotRead, "length unknown");
}

// The picture and the mask's pixels (its row pad bytes are never written).
static std::string SkinBytes()
{
    std::string bytes(reinterpret_cast<char*>(SkinImage.image->pixelBits()), 3 * 16);
    for (int row = 0; row < 3; row++)
        bytes.append(reinterpret_cast<char*>(SkinImage.mask) + 16 * row, 15);
    return bytes;
}

TEST_F(FileFaultTest, SkinFileInShortReadsBuildsAsTheWhole)
{
    std::string bytes = SmallSkin();
    LoadFailure memoryFailure;
    ASSERT_EQ(BuildSkinFromBytes(BytesOf(bytes), bytes.size(), &memoryFailure), 1);
    std::string whole = SkinBytes();
    ResetSkinModel();
    PlatformFaults.readLimit = 3;
    ASSERT_EQ(BuildFromFile(bytes), 1);
    EXPECT_EQ(SkinBytes(), whole);
}

// A file cut short after its length was taken (another program writing
// it): every bound comes from the bytes the reads delivered.
TEST_F(FileFaultTest, SkinFileEndingBeforeItsLength)
{
    const struct { uint64_t cutAt; LoadFailure reason; } cuts[] = {
        {1, LoadFailure::NotBitmap}, {13, LoadFailure::TooShortForHeaders},
        {53, LoadFailure::TooShortForHeaders}, {101, LoadFailure::PixelsOutsideFile}};
    for (const auto& cut : cuts) {
        ResetSkinModel();
        PlatformFaults.cutFile = 1;
        PlatformFaults.cutAt = cut.cutAt;
        EXPECT_EQ(BuildFromFile(SmallSkin()), 0) << "cut at " << cut.cutAt;
        EXPECT_EQ(failure, cut.reason) << "cut at " << cut.cutAt << ": got " << LoadFailureWord(failure);
        EXPECT_EQ(SkinImage.mask, nullptr);
    }
    EXPECT_EQ(shownMessages, std::vector<std::string>({"This isn't a bitmap file!"}));
}

// Files too short for the headers are refused before any block is taken for them.
TEST_F(FileFaultTest, SkinFileTooShortForItsHeaders)
{
    for (size_t size : {size_t(2), size_t(13), size_t(53)}) {
        ResetSkinModel();
        EXPECT_EQ(BuildFromFile(SmallSkin().substr(0, size)), 0) << size << " bytes";
        ExpectSkinFailure(LoadFailure::TooShortForHeaders, "short file");
    }
    EXPECT_EQ(PlatformFaults.allocations, 0u);
}

TEST_F(FileFaultTest, EveryAllocationThatFailsIsNoMemory)
{
    for (uint64_t which : {1, 2}) {
        ResetSkinModel();
        PlatformFaults = PlatformFaultsRecord();
        PlatformFaults.failAllocation = which;
        EXPECT_EQ(BuildFromFile(SmallSkin()), 0) << "allocation " << which;
        ExpectSkinFailure(LoadFailure::NoMemory, "allocation refused");
        ResetSkinModel();
        PlatformFaults.allocations = 0;
        std::string bytes = SmallSkin();
        EXPECT_EQ(BuildSkinFromBytes(BytesOf(bytes), bytes.size(), &failure), 0) << "allocation " << which;
        ExpectSkinFailure(LoadFailure::NoMemory, "allocation refused");
    }
}

TEST_F(FileFaultTest, NoMemoryForTheReaderIsNoMemory)
{
    failNextObject = 1;
    char* probe = new (std::nothrow) char;
    delete probe;
    if (probe) {
        failNextObject = 0;
        GTEST_SKIP() << "operator new is not this program's own here (a memory checker replaces it)";
    }
    folder.Write("lum.bmp", SmallSkin());
    failNextObject = 1;
    EXPECT_EQ(BuildSkinFile(folder.Path("lum.bmp").c_str(), &failure), 0);
    ExpectSkinFailure(LoadFailure::NoMemory, "no reader");
    EXPECT_EQ(SkinImage.image, nullptr);
}

// The reader keeps at most 255 characters of a name, and opens what they say.
TEST_F(FileFaultTest, LongFileNamesAreCutTo255Characters)
{
    std::string base = folder.Path("");
    std::string kept = base + std::string(255 - base.size(), 'q');
    ASSERT_EQ(kept.size(), 255u);
    folder.Write(kept.substr(base.size()), SmallSkin());
    DibImage image((kept + std::string(100, 'r')).c_str());
    EXPECT_EQ(image.isValid(), 1);
}

// Start-up reads the current directory, as the program does.
class StartupTest : public FileFaultTest {
protected:
    void SetUp() override
    {
        FileFaultTest::SetUp();
        char path[4096];
        ASSERT_NE(getcwd(path, sizeof path), nullptr);
        previous = path;
        ASSERT_EQ(chdir(folder.Name().c_str()), 0);
        endings = 0;
    }
    void TearDown() override
    {
        ASSERT_EQ(chdir(previous.c_str()), 0);
        FileFaultTest::TearDown();
    }
    static void CountEnding() { endings++; }

    static int endings;
    std::string previous;
};

int StartupTest::endings;

TEST_F(StartupTest, BothFilesLoadWithoutAMessage)
{
    folder.Write("lum.ini", "EXIT 0 0 9 9\n");
    folder.Write("lum.bmp", SmallSkin());
    EXPECT_EQ(RunStartup(CountEnding, nullptr, nullptr), 1);
    EXPECT_TRUE(shownMessages.empty());
    EXPECT_EQ(endings, 0);
    EXPECT_EQ(HotspotTable.count, 1);
}

TEST_F(StartupTest, SkinFailureIsShownAfterTheReadersOwnMessageAndEndsTheProgram)
{
    folder.Write("lum.ini", "EXIT 0 0 9 9\n");
    folder.Write("lum.bmp", "words, not a picture");
    EXPECT_EQ(RunStartup(CountEnding, nullptr, nullptr), 0);
    EXPECT_EQ(shownMessages, std::vector<std::string>({"This isn't a bitmap file!", "no valid Bitmap!"}));
    EXPECT_EQ(endings, 1);
    EXPECT_EQ(Startup.hotspotMessages, 0);
    EXPECT_EQ(Messages.shown, 2);
    EXPECT_EQ(Startup.skinFailure, LoadFailure::NotBitmap);
}

// The hotspot file's failure ends the program: the skin is still read, but
// nothing it says is shown any more.
TEST_F(StartupTest, AfterTheHotspotFileFailsNothingMoreIsShown)
{
    folder.Write("lum.bmp", "words, not a picture");
    EXPECT_EQ(RunStartup(CountEnding, nullptr, nullptr), 0);
    EXPECT_EQ(shownMessages, std::vector<std::string>({"no valid ini file!"}));
    EXPECT_EQ(endings, 1);
    EXPECT_EQ(Startup.hotspotFailure, LoadFailure::CannotOpen);
    EXPECT_EQ(Startup.skinFailure, LoadFailure::NotBitmap);
    EXPECT_EQ(Messages.shown, 1);
}

// The reasons' words are what the checker's JSON carries: fixed, one each.
TEST(LoadFailureWord, EveryReasonHasItsOwnFixedWord)
{
    std::vector<std::string> words;
    for (int i = int(LoadFailure::None); i <= int(LoadFailure::NoMemory); i++)
        words.push_back(LoadFailureWord(LoadFailure(i)));
    EXPECT_EQ(words, std::vector<std::string>({"", "cannot-open", "cannot-read", "not-bitmap", "too-short-for-headers",
                                               "colour-table-outside-file", "pixels-outside-file", "not-24-bit",
                                               "top-down", "zero-size", "compressed", "no-memory"}));
}

}  // namespace
