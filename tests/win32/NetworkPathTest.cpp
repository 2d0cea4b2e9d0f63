#include "Messages.h"
#include "RecordingDesktopCalls.h"
#include "SkinWindow.h"
#include "WindowTestSupport.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char kHost[] = "lum-test-host";
const char kSslHost[] = "lum-test-host@SSL";

// Wine takes \\host\share\x.wav to the folder dosdevices\unc\host\share of its
// prefix. A file put there answers, for any spelling of a name, whether the
// system would open it on another machine.
class NetworkPathTest : public SkinWindowTest {
protected:
    void SetUp() override
    {
        SkinWindowTest::SetUp();
        const char* prefix = std::getenv("WINEPREFIX");
        if (!prefix)
            GTEST_SKIP() << "needs Wine, whose prefix stands in for the network";
        std::string folder = "Z:" + std::string(prefix);
        for (char& c : folder)
            c = c == '/' ? '\\' : c;
        made.push_back(folder + "\\dosdevices\\unc");
        for (const char* host : {kHost, kSslHost}) {
            made.push_back(made[0] + "\\" + host);
            made.push_back(made.back() + "\\share");
        }
        for (const std::string& path : made)
            CreateDirectoryA(path.c_str(), nullptr);
        for (const std::string& path : {made[2], made[4]}) {
            sounds.push_back(path + "\\x.wav");
            HANDLE file = CreateFileA(sounds.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(file, INVALID_HANDLE_VALUE) << sounds.back();
            CloseHandle(file);
        }
    }

    void TearDown() override
    {
        for (const std::string& sound : sounds)
            DeleteFileA(sound.c_str());
        for (auto path = made.rbegin(); path != made.rend(); ++path)
            RemoveDirectoryA(path->c_str());
        SkinWindowTest::TearDown();
    }

    static int OpensOnTheOtherMachine(const std::string& name)
    {
        HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return 0;
        CloseHandle(file);
        return 1;
    }

    std::vector<std::string> made;
    std::vector<std::string> sounds;
};

// Each name is pressed once; the system decides which reach the host. The
// near misses are names Win32 path conversion keeps on this machine.
TEST_F(NetworkPathTest, NamesThatReachAnotherMachineShowTheSoundMessageAndAreNeverPlayed)
{
    std::string h = kHost;
    std::vector<std::string> names = {
        "\\\\" + h + "\\share\\x.wav", "//" + h + "/share/x.wav", "\\/" + h + "/share/x.wav",
        "/\\" + h + "\\share\\x.wav", "\\\\?\\UNC\\" + h + "\\share\\x.wav", "\\\\.\\UNC\\" + h + "\\share\\x.wav",
        "\\??\\UNC\\" + h + "\\share\\x.wav", "\\??\\unc\\" + h + "\\share\\x.wav",
        "\\\\" + std::string(kSslHost) + "\\share\\x.wav",
        // Near misses; split so that ?? and / are not read as a trigraph.
        "/?" "?/UNC/" + h + "/share/x.wav", "\\?" "?/UNC/" + h + "/share/x.wav", "\\?\\UNC\\" + h + "\\share\\x.wav",
        "UNC\\" + h + "\\share\\x.wav", "?\\UNC\\" + h + "\\share\\x.wav"};
    std::string lines;
    for (size_t i = 0; i < names.size(); i++)
        lines += names[i] + " " + std::to_string(6 * i) + " 0 " + std::to_string(6 * i + 6) + " 10\n";
    WriteFile("lum.ini", lines);
    WriteFile("lum.bmp", MakePlainSkinFile(6 * int(names.size()), 10, 0x445566));
    ASSERT_NE(CreateWindowNow(), nullptr);
    int reached = 0;
    for (size_t i = 0; i < names.size(); i++) {
        SCOPED_TRACE(names[i]);
        int reaches = OpensOnTheOtherMachine(names[i]);
        reached += reaches;
        ResetDesktopCalls();
        Send(WM_LBUTTONDOWN, MK_LBUTTON, PointerAt(6 * int(i) + 3, 5));
        if (reaches) {
            EXPECT_TRUE(startedSounds.empty()) << "the name was handed to the sound service";
            ASSERT_EQ(shownBoxes.size(), 1u);
            EXPECT_EQ(shownBoxes[0].text, kNoSoundText);
        } else {
            ASSERT_EQ(startedSounds.size(), 1u) << "a name on this machine was refused";
            EXPECT_EQ(startedSounds[0].name, names[i]);
            EXPECT_TRUE(shownBoxes.empty());
        }
    }
    EXPECT_EQ(reached, 9) << "the stand-in host did not answer every spelling that reaches it";
}

}  // namespace
