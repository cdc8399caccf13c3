// The sliding pages: each slide tick by tick, the front button of the footer
// stack after each finish, the open buttons around the slides, slides that
// interleave, and the logo frame's slide at locking.
#include <vector>

#include "support/program_fixture.h"

namespace quorvel::testing {
namespace {

class SlidingPages : public ProgramTest {
protected:
    void SetUp() override { Start(); }
    // Left of the panel after each of the next n one-millisecond ticks.
    std::vector<float> Track(std::string_view panel, int n) {
        std::vector<float> lefts;
        for (int i = 0; i < n; ++i) {
            toolkit.Advance(1);
            lefts.push_back(form1->window().PanelNamed(panel).Left());
        }
        return lefts;
    }
    float LeftOf(std::string_view panel) { return form1->window().PanelNamed(panel).Left(); }
    bool OpenButtonsEnabled() { return Btn("iButton4").Enabled() && Btn("iButton5").Enabled(); }
    bool OpenButtonsDisabled() { return !Btn("iButton4").Enabled() && !Btn("iButton5").Enabled(); }

    const std::vector<float> kIn = {5600, 4800, 4000, 3200, 2400, 1600, 800, 0};
    const std::vector<float> kOut = {800, 1600, 2400, 3200, 4000, 4800, 5600, 6400};
};

TEST_F(SlidingPages, ThePowerPageSlidesInAndOutInEightTicksEach) {
    Btn("iButton5").UserClick();
    EXPECT_TRUE(OpenButtonsDisabled());
    EXPECT_EQ(FrontOfStack(), "i3");  // until the slide finishes
    EXPECT_EQ(Track("Picture1", 8), kIn);
    EXPECT_FALSE(form1->Timer2.Enabled());
    EXPECT_EQ(FrontOfStack(), "i2");
    EXPECT_TRUE(OpenButtonsDisabled());
    EXPECT_EQ(Track("Picture1", 3), (std::vector<float>{0, 0, 0}));

    Btn("i2").UserClick();
    EXPECT_EQ(Track("Picture1", 8), kOut);
    EXPECT_FALSE(form1->Timer3.Enabled());
    EXPECT_EQ(FrontOfStack(), "i3");
    EXPECT_TRUE(OpenButtonsEnabled());
    EXPECT_FALSE(form1->Timer2.Enabled());
}

TEST_F(SlidingPages, TheAboutPageDisablesItsButtonsWhileItMoves) {
    Btn("i3").UserClick();
    EXPECT_FALSE(Btn("i3").Enabled());
    EXPECT_TRUE(OpenButtonsDisabled());
    EXPECT_EQ(Track("Picture3", 8), kIn);
    EXPECT_EQ(FrontOfStack(), "i1");
    EXPECT_TRUE(Btn("i1").Enabled());

    Btn("i1").UserClick();
    EXPECT_FALSE(Btn("i1").Enabled());
    EXPECT_EQ(Track("Picture3", 7), std::vector<float>(kOut.begin(), kOut.end() - 1));
    EXPECT_EQ(FrontOfStack(), "i1");
    EXPECT_TRUE(OpenButtonsDisabled());
    toolkit.Advance(1);
    EXPECT_EQ(LeftOf("Picture3"), 6400);
    EXPECT_EQ(FrontOfStack(), "i3");
    EXPECT_TRUE(Btn("i1").Enabled());
    EXPECT_TRUE(Btn("i3").Enabled());
    EXPECT_TRUE(OpenButtonsEnabled());
}

TEST_F(SlidingPages, TheSettingsPageComesInWithItsSaveButtonAndLeavesAfterASave) {
    Btn("iButton4").UserClick();
    EXPECT_TRUE(OpenButtonsDisabled());
    EXPECT_EQ(Track("Picture2", 8), kIn);
    EXPECT_EQ(FrontOfStack(), "i4");

    // An invalid NS码: the message, and the page stays.
    Btn("i4").UserClick();
    ASSERT_EQ(toolkit.messages.size(), 1u);
    EXPECT_EQ(Track("Picture2", 3), (std::vector<float>{0, 0, 0}));
    EXPECT_EQ(FrontOfStack(), "i4");

    Box("Text4").UserType(u"2580");
    Btn("i4").UserClick();
    EXPECT_EQ(Track("Picture2", 8), kOut);
    EXPECT_FALSE(form1->Timer7.Enabled());
    EXPECT_EQ(FrontOfStack(), "i3");
    EXPECT_TRUE(OpenButtonsEnabled());
    EXPECT_TRUE(Btn("i1").Enabled() && Btn("i3").Enabled());
}

TEST_F(SlidingPages, TheAboutPageOpenedWhileThePowerPageSlidesInEndsInFront) {
    Btn("iButton5").UserClick();
    toolkit.Advance(3);
    Btn("i3").UserClick();  // still in front and enabled
    toolkit.Advance(5);     // the power page arrives first
    EXPECT_EQ(LeftOf("Picture1"), 0);
    EXPECT_EQ(FrontOfStack(), "i2");
    toolkit.Advance(3);
    EXPECT_EQ(LeftOf("Picture1"), 0);
    EXPECT_EQ(LeftOf("Picture3"), 0);
    EXPECT_TRUE(Window1().InFront("Picture3", "Picture1"));
    EXPECT_EQ(FrontOfStack(), "i1");  // Timer4 finished last
    EXPECT_FALSE(form1->Timer2.Enabled());
    EXPECT_FALSE(form1->Timer4.Enabled());
}

TEST_F(SlidingPages, ASecondClickDuringASlideChangesNothing) {
    Btn("iButton5").UserClick();
    toolkit.Advance(8);
    Btn("i2").UserClick();
    toolkit.Advance(2);
    Btn("i2").UserClick();
    EXPECT_EQ(Track("Picture1", 6), std::vector<float>(kOut.begin() + 2, kOut.end()));
    EXPECT_EQ(Window1().FakeTimerNamed("Timer3").ticks, 8);
    toolkit.Advance(10);
    EXPECT_EQ(LeftOf("Picture1"), 6400);
    EXPECT_TRUE(OpenButtonsEnabled());
}

TEST_F(SlidingPages, LockingSlidesTheLogoFrameAsideInSixTicks) {
    LockWith(u"pw");
    EXPECT_EQ(LeftOf("Picture4"), 240);
    EXPECT_EQ(Track("Picture4", 6), (std::vector<float>{540, 840, 1140, 1440, 1740, 2040}));
    EXPECT_FALSE(form1->Timer8.Enabled());
    toolkit.Advance(10);
    EXPECT_EQ(LeftOf("Picture4"), 2040);
}

TEST_F(SlidingPages, InTheLockedModeThePowerAndAboutPagesStillOpen) {
    LockWith(u"pw");
    Btn("iButton5").UserClick();
    toolkit.Advance(8);
    EXPECT_EQ(LeftOf("Picture1"), 0);
    Btn("i2").UserClick();
    toolkit.Advance(8);
    Btn("i3").UserClick();
    toolkit.Advance(8);
    EXPECT_EQ(LeftOf("Picture3"), 0);
    // Enabling the settings button at a finish does not show it again.
    Btn("i1").UserClick();
    toolkit.Advance(8);
    EXPECT_TRUE(Btn("iButton4").Enabled());
    EXPECT_FALSE(Btn("iButton4").Visible());
}

TEST_F(SlidingPages, TheWindowsOwnButtonsCloseAndMinimise) {
    Btn("iButton2").UserClick();
    EXPECT_EQ(Window1().state, WindowState::Minimized);
    Btn("iButton1").UserClick();
    EXPECT_TRUE(Window1().destroyed);
    EXPECT_TRUE(toolkit.programEnded);
}

}  // namespace
}  // namespace quorvel::testing
