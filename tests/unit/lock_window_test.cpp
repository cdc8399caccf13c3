// The lock window: what each activation does (layered style, opacity from the
// setup window's opacity field, the button's place, the background picture),
// and the hidden state the hide button enters and the lock window's own
// "解锁" button leaves.
#include "base/text.h"
#include "support/program_fixture.h"

namespace quorvel::testing {
namespace {

class LockWindow : public ProgramTest {
protected:
    void SetUp() override {
        Start();
        LockWith(u"pw");
    }
    // The activation moves to the setup window and back to the lock window.
    void ReactivateLockWindow() {
        Window1().UserActivate();
        Window2().UserActivate();
    }
    // A text the opacity rule itself would never leave in the field.
    void ForceOpacityText(std::u16string_view text) {
        auto rule = std::move(Box("Text3").Change);
        Box("Text3").Change = nullptr;
        form1->Text3.SetText(text);
        Box("Text3").Change = std::move(rule);
    }
};

TEST_F(LockWindow, EachActivationTakesTheOpacityFromTheSetupWindow) {
    const std::pair<std::u16string_view, int> cases[] = {
        {u"0", 0}, {u"128", 128}, {u"255", 255}, {u"127.5", 128}, {u"128.5", 128}, {u"126.5", 126}, {u"2.5", 2},
    };
    for (const auto& [text, alpha] : cases) {
        form1->Text3.SetText(text);
        ASSERT_EQ(form1->Text3.Text(), text);
        ReactivateLockWindow();
        EXPECT_EQ(Window2().opacity, alpha) << Utf16ToUtf8(text);
    }
}

TEST_F(LockWindow, AnOpacityThatDoesNotReadAsAByteLeavesTheOpacityAsItWas) {
    form1->Text3.SetText(u"77");
    ReactivateLockWindow();
    ASSERT_EQ(Window2().opacity, 77);

    ForceOpacityText(u"abc");
    ReactivateLockWindow();
    EXPECT_EQ(Window2().opacity, 77);
    ForceOpacityText(u"300");
    ReactivateLockWindow();
    EXPECT_EQ(Window2().opacity, 77);

    // The field is read in the user's number format.
    form1->Text3.SetText(u"12.5");
    toolkit.numberFormat.decimal = u',';
    ReactivateLockWindow();
    EXPECT_EQ(Window2().opacity, 77);
    form1->Text3.SetText(u"12,5");
    ReactivateLockWindow();
    EXPECT_EQ(Window2().opacity, 12);

    // The other steps still ran.
    EXPECT_TRUE(Window2().layered);
}

TEST_F(LockWindow, EveryActivationMakesTheWindowLayeredAgain) {
    Window2().layered = false;
    ReactivateLockWindow();
    EXPECT_TRUE(Window2().layered);
}

TEST_F(LockWindow, TheButtonIsCentredAcrossAndOneButtonHeightBelowTheMiddle) {
    ASSERT_EQ(Window2().Width(), 19200);
    ASSERT_EQ(Window2().Height(), 10800);
    EXPECT_EQ(LockButton().Left(), 8002.5f);
    EXPECT_EQ(LockButton().Top(), 5938.0f);

    Window2().ResizeTo(14400, 9000);
    ReactivateLockWindow();
    EXPECT_EQ(LockButton().Left(), 7200 - 1597.5f);
    EXPECT_EQ(LockButton().Top(), 4500 + 540 - 2);
    // The image follows the client area.
    EXPECT_EQ(program.LockWindow().Image1.Width(), 14400);
    EXPECT_EQ(program.LockWindow().Image1.Height(), 9000);
}

TEST_F(LockWindow, ThePictureComesFromThePathOfTheSetupWindow) {
    Image& image = program.LockWindow().Image1;
    EXPECT_EQ(image.GetPicture(), nullptr);  // no path: the plain background colour

    const Picture beach = MakePicture(64, 32);
    toolkit.pictures[u"D:\\照片\\beach.jpg"] = beach;
    form1->Text5.SetText(u"D:\\照片\\beach.jpg");
    ReactivateLockWindow();
    EXPECT_EQ(image.GetPicture(), beach);
    // Stretched over the whole window: decoded at most at the window's size.
    EXPECT_EQ(toolkit.pictureUses.back().kind, PictureUse::Kind::FitWithin);
    EXPECT_EQ(toolkit.pictureUses.back().width, 1280);
    EXPECT_EQ(toolkit.pictureUses.back().height, 720);

    toolkit.pictures.clear();  // deleted since: the window keeps the picture
    ReactivateLockWindow();
    EXPECT_EQ(image.GetPicture(), beach);
    form1->Text5.SetText(u"not a path at all");
    ReactivateLockWindow();
    EXPECT_EQ(image.GetPicture(), beach);

    form1->Text5.SetText(u"");  // an empty path clears it
    ReactivateLockWindow();
    EXPECT_EQ(image.GetPicture(), nullptr);
}

TEST_F(LockWindow, HidingLeavesOnlyTheLockWindowWithItsButtonAndTickAndRemovesTheFilter) {
    ASSERT_EQ(toolkit.liveHooks.size(), 1u);
    const HookHandle hook = *toolkit.liveHooks.begin();
    Btn("iButton12").UserClick();

    EXPECT_FALSE(form1->Timer1.Enabled());
    EXPECT_FALSE(Window1().Visible());
    EXPECT_TRUE(Window2().Visible());
    EXPECT_EQ(toolkit.activeWindow, &Window2());
    EXPECT_TRUE(LockButton().Visible());
    EXPECT_TRUE(program.LockWindow().Timer1.Enabled());
    EXPECT_TRUE(toolkit.liveHooks.empty());
    EXPECT_EQ(toolkit.removeCalls, std::vector<HookHandle>{hook});

    // The lock window's own tick keeps it on top; the setup window's is off.
    const size_t setupCalls = Window1().windowPosCalls.size();
    const size_t lockCalls = Window2().windowPosCalls.size();
    toolkit.Advance(10);
    EXPECT_EQ(Window1().windowPosCalls.size(), setupCalls);
    ASSERT_EQ(Window2().windowPosCalls.size(), lockCalls + 2);
    EXPECT_EQ(Window2().windowPosCalls.back().where, InsertAfter::Topmost);
    EXPECT_EQ(Window2().windowPosCalls.back().rect, (PixelRect{0, 0, 1280, 720}));
}

TEST_F(LockWindow, ItsButtonBringsTheSetupWindowBackAndTheLockWindowLeavesTheTopmostBand) {
    Btn("iButton12").UserClick();
    LockButton().UserClick();

    EXPECT_FALSE(program.LockWindow().Timer1.Enabled());
    EXPECT_FALSE(LockButton().Visible());
    ASSERT_FALSE(Window2().windowPosCalls.empty());
    EXPECT_EQ(Window2().windowPosCalls.back().where, InsertAfter::NoTopmost);
    EXPECT_EQ(Window2().windowPosCalls.back().rect, (PixelRect{0, 0, 1280, 720}));
    EXPECT_FALSE(Window2().topmost);
    EXPECT_TRUE(Window1().Visible());
    EXPECT_TRUE(form1->Timer1.Enabled());
    EXPECT_TRUE(Box("Text6").Visible());
    EXPECT_TRUE(Lbl("Label13").Visible());
    EXPECT_TRUE(Btn("iButton10").Visible());
    EXPECT_TRUE(Btn("iButton11").Visible());
    EXPECT_FALSE(Btn("iButton1").Enabled());
    EXPECT_FALSE(Btn("iButton2").Enabled());
    EXPECT_FALSE(Box("Text1").Visible());  // still the locked mode

    // The setup window is on top again; the lock window stays out of the
    // topmost band and no key is filtered for the rest of the lock.
    toolkit.Advance(50);
    EXPECT_TRUE(Window1().topmost);
    EXPECT_EQ(toolkit.activeWindow, &Window1());
    EXPECT_FALSE(Window2().topmost);
    EXPECT_TRUE(toolkit.liveHooks.empty());
    EXPECT_EQ(toolkit.removeCalls.size(), 1u);

    // Hiding again: the lock window's tick puts it back on top; the old
    // handle is removed once more, to no effect.
    Btn("iButton12").UserClick();
    toolkit.Advance(5);
    EXPECT_TRUE(Window2().topmost);
    EXPECT_EQ(toolkit.removeCalls.size(), 2u);
    EXPECT_EQ(toolkit.removeCalls[0], toolkit.removeCalls[1]);
    EXPECT_TRUE(toolkit.liveHooks.empty());
}

TEST_F(LockWindow, TheRecoveryEntryInFrontBeforeHidingIsInFrontAgainAfterwards) {
    Lbl("Label13").UserClick();
    Box("Text7").UserType(u"123");
    Btn("iButton12").UserClick();
    LockButton().UserClick();

    EXPECT_EQ(form1->RecoveryShown, u"1");
    EXPECT_TRUE(Box("Text7").Visible());
    EXPECT_TRUE(Window1().InFront("Text7", "Text6"));
    EXPECT_TRUE(Window1().InFront("iButton11", "iButton10"));
    EXPECT_EQ(Box("Text7").Text(), u"123");
}

}  // namespace
}  // namespace quorvel::testing
