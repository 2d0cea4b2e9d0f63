#include "RecordingDesktopCalls.h"
#include "SkinWindow.h"
#include "WindowTestSupport.h"

namespace {

// A window of 100 x 60 at (50, 50) with one sound hotspot, the two keyword
// hotspots and, overlapping the sound, a second sound that never wins.
class PointerTest : public SkinWindowTest {
protected:
    void SetUp() override
    {
        SkinWindowTest::SetUp();
        WriteFile("lum.ini",
                  "ding.wav 10 10 60 40\n"
                  "MIN 70 0 80 10\n"
                  "EXIT 85 0 95 10\n"
                  "dong.wav 30 10 90 40\n");
        WriteFile("lum.bmp", MakePlainSkinFile(100, 60, 0x445566));
        ASSERT_NE(CreateWindowNow(), nullptr);
    }

    void Press(int x, int y) { Send(WM_LBUTTONDOWN, MK_LBUTTON, PointerAt(x, y)); }
    void Move(int x, int y) { Send(WM_MOUSEMOVE, MK_LBUTTON, PointerAt(x, y)); }
    void Release(int x, int y) { Send(WM_LBUTTONUP, 0, PointerAt(x, y)); }

    void ExpectWindowAt(int left, int top)
    {
        RECT place = WindowPlace();
        EXPECT_EQ(place.left, left);
        EXPECT_EQ(place.top, top);
        EXPECT_EQ(place.right - place.left, 100);
        EXPECT_EQ(place.bottom - place.top, 60);
    }
};

TEST_F(PointerTest, PressInASoundHotspotPlaysItsFileAsynchronouslyAndStartsNoDrag)
{
    Press(30, 20);
    ASSERT_EQ(startedSounds.size(), 1u);
    EXPECT_EQ(startedSounds[0].name, "ding.wav");
    EXPECT_EQ(startedSounds[0].module, nullptr);
    EXPECT_EQ(startedSounds[0].flags, DWORD(0x00020001))
        << "got flags " << startedSounds[0].flags << ", expected SND_FILENAME | SND_ASYNC only";
    EXPECT_EQ(DragState.dragging, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    Move(80, 50);
    ExpectWindowAt(50, 50);
    EXPECT_TRUE(shownBoxes.empty());
}

TEST_F(PointerTest, EachPressStartsTheSoundAgainAndTheEarlierLineWinsInAnOverlap)
{
    Press(40, 20);
    Release(40, 20);
    Press(40, 20);
    Press(70, 20);
    ASSERT_EQ(startedSounds.size(), 3u);
    EXPECT_EQ(startedSounds[0].name, "ding.wav");
    EXPECT_EQ(startedSounds[1].name, "ding.wav");
    EXPECT_EQ(startedSounds[2].name, "dong.wav");
}

TEST_F(PointerTest, RefusedSoundShowsTheSoundMessageAndChangesNothingElse)
{
    soundServiceAnswer = 0;
    Press(30, 20);
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_EQ(shownBoxes[0].text, "no valid sound file or sound device already in use!");
    EXPECT_EQ(shownBoxes[0].title, "Error");
    EXPECT_EQ(shownBoxes[0].style, 0x30u);
    EXPECT_EQ(shownBoxes[0].owner, window);
    EXPECT_EQ(DragState.dragging, 0);
    Move(80, 50);
    ExpectWindowAt(50, 50);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(PointerTest, PressOnAHotspotEdgeStartsADragWithCapture)
{
    Press(10, 20);
    EXPECT_TRUE(startedSounds.empty());
    EXPECT_EQ(DragState.dragging, 1);
    EXPECT_EQ(DragState.anchorX, 10);
    EXPECT_EQ(DragState.anchorY, 20);
    EXPECT_EQ(GetCapture(), window);
}

TEST_F(PointerTest, DragMovesTheWindowByThePointersMovementUntilTheRelease)
{
    Press(5, 5);
    Move(25, 15);
    ExpectWindowAt(70, 60);
    // The anchor is under the pointer again, so a move to it changes nothing.
    Move(5, 5);
    ExpectWindowAt(70, 60);
    Release(5, 5);
    EXPECT_EQ(DragState.dragging, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    Move(40, 40);
    ExpectWindowAt(70, 60);
}

// A captured pointer left of and above the window arrives as negative 16-bit
// values; read unsigned they would throw the window 65,000 pixels away.
TEST_F(PointerTest, PointerLeftOfAndAboveTheWindowMovesItBack)
{
    Press(5, 8);
    Move(-20, -3);
    ExpectWindowAt(50 - 20 - 5, 50 - 3 - 8);
}

TEST_F(PointerTest, PressWhileDraggingIsIgnored)
{
    Press(5, 5);
    Press(30, 20);
    Press(2, 50);
    EXPECT_TRUE(startedSounds.empty());
    EXPECT_EQ(DragState.anchorX, 5);
    EXPECT_EQ(DragState.anchorY, 5);
    Move(15, 5);
    ExpectWindowAt(60, 50);
}

TEST_F(PointerTest, ReleaseWithoutADragDoesNothing)
{
    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    SetCapture(other);
    Release(30, 20);
    EXPECT_EQ(GetCapture(), other) << "a release without a drag released someone's capture";
    ReleaseCapture();
    DestroyWindow(other);
    EXPECT_EQ(DragState.dragging, 0);
    ExpectWindowAt(50, 50);
}

// Another window takes the capture in the middle of a drag, and no release
// ever comes: the window stays put and the next press acts again.
TEST_F(PointerTest, LosingTheCaptureEndsTheDrag)
{
    Press(5, 5);
    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    SetCapture(other);
    EXPECT_EQ(DragState.dragging, 0);
    Move(25, 15);
    ExpectWindowAt(50, 50);
    Press(30, 20);
    EXPECT_EQ(startedSounds.size(), 1u) << "the press was taken for one during a drag";
    ReleaseCapture();
    DestroyWindow(other);
}

TEST_F(PointerTest, MinHotspotMinimisesTheWindow)
{
    Press(75, 5);
    EXPECT_TRUE(IsIconic(window));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(DragState.dragging, 0);
}

TEST_F(PointerTest, ExitHotspotDestroysTheWindowAndPostsQuitZero)
{
    Press(90, 5);
    EXPECT_FALSE(IsWindow(window));
    WPARAM code = 99;
    ASSERT_TRUE(TakeQuitMessage(&code));
    EXPECT_EQ(code, 0u);
}

}  // namespace
