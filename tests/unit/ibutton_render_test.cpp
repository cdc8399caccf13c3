// The skinned button's drawing and properties: caption placement, transparency,
// the focus rectangle, resizing, the first show, the setters' effects and the
// failures that end one operation without breaking the button.
#include "widgets/ibutton/ibutton.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/ibutton_fake_host.h"

namespace quorvel {
namespace {

using testing::ButtonFixture;
using testing::DrawCall;
using testing::MakeStrip;
using Kind = DrawCall::Kind;

std::vector<Kind> Kinds(const std::vector<DrawCall>& calls) {
    std::vector<Kind> kinds;
    for (const DrawCall& call : calls) kinds.push_back(call.kind);
    return kinds;
}

// A shown push button of 70 x 26 pixels with the pointer elsewhere.
struct Shown : ButtonFixture {
    explicit Shown(std::string_view caption = "", std::string_view extra = "") : ButtonFixture(Bag(caption, extra)) {
        button.OnShow();
        host.notified.clear();
    }
};

TEST(IButtonDrawing, CentresTheCaptionAndShiftsItOnePixelWhilePressed) {
    Shown b("解锁");
    const DrawCall* print = b.host.LastOf(Kind::Print);
    ASSERT_NE(print, nullptr);
    // (1050 - 360) / 2 and (390 - 180) / 2.
    EXPECT_EQ(print->x, 345);
    EXPECT_EQ(print->y, 105);
    EXPECT_EQ(print->text, u"解锁");
    EXPECT_EQ(print->colour, kSysButtonText);
    EXPECT_EQ(print->font, ButtonFont{});
    EXPECT_EQ(b.host.LastDrawing().front().colour, kSysWindowBackground);

    b.host.PointerOver(true);
    b.button.OnMouseDown(1, 0, 10, 10);
    EXPECT_EQ(b.host.LastOf(Kind::Print)->x, 360);
    EXPECT_EQ(b.host.LastOf(Kind::Print)->y, 120);
}

TEST(IButtonDrawing, RoundsHalfTwipsOfTheCaptionPositionToEven) {
    Shown b;
    b.host.narrowCharWidth = 105;
    b.host.textHeight = 195;
    b.button.SetCaption(u"abc");  // 525 - 157.5 = 367.5, 195 - 97.5 = 97.5
    EXPECT_EQ(b.host.LastOf(Kind::Print)->x, 368);
    EXPECT_EQ(b.host.LastOf(Kind::Print)->y, 98);
    b.button.SetCaption(u"a");  // 525 - 52.5 = 472.5
    EXPECT_EQ(b.host.LastOf(Kind::Print)->x, 472);
}

TEST(IButtonDrawing, ATransparentButtonTakesItsShapeFromTheFrameOrThePaintedImage) {
    Shown b("", "cbackstyle=0\n");
    EXPECT_EQ(b.button.cBackStyle(), 0);
    EXPECT_EQ(Kinds(b.host.LastDrawing()), (std::vector<Kind>{Kind::Clear, Kind::Mask, Kind::Paint}));
    EXPECT_EQ(b.host.LastOf(Kind::Mask)->picture, b.button.Frames().At(0));

    b.button.SetAutoSize(false);
    b.button.SetCaption(u"x");
    const std::vector<DrawCall> drawing = b.host.LastDrawing();
    EXPECT_EQ(Kinds(drawing), (std::vector<Kind>{Kind::Clear, Kind::BackStyle, Kind::Paint, Kind::MaskImage,
                                                 Kind::BackStyle, Kind::Print}));
    EXPECT_EQ(drawing[1].backStyle, 1);
    EXPECT_EQ(drawing[4].backStyle, 0);

    b.button.SetcBackStyle(1);
    EXPECT_EQ(Kinds(b.host.LastDrawing()), (std::vector<Kind>{Kind::Clear, Kind::Paint, Kind::Print}));
}

TEST(IButtonDrawing, DrawsTheFocusRectangleThreePixelsInside) {
    Shown b;
    b.button.OnFocusGained();
    EXPECT_EQ(b.host.LastOf(Kind::Focus)->focus, (FocusRect{3, 3, 67, 23}));
    // At 12 twips a pixel: 87.5 - 3 and 32.5 - 3 round to the even 84 and 30.
    b.host.twipsPerPixel = 12;
    b.button.OnFocusGained();
    EXPECT_EQ(b.host.LastOf(Kind::Focus)->focus, (FocusRect{3, 3, 84, 30}));
    b.host.twipsPerPixel = 0;
    EXPECT_EQ(b.button.OnFocusGained(), ButtonStatus::Overflow);
}

TEST(IButtonLifecycle, SizesToOneFrameOnEveryResizeButCutsOnlyAtTheFirstShow) {
    ButtonFixture b(ButtonFixture::Bag());
    // The window applies its stored size: the resize handling sizes the
    // button to one frame, but there is no frame to draw yet.
    b.host.SetWidth(3195);
    EXPECT_EQ(b.host.width, 1050);
    EXPECT_EQ(b.host.height, 390);
    EXPECT_EQ(b.host.ShownFrameX(), -1);
    EXPECT_TRUE(b.button.Tag().empty());

    b.button.OnShow();
    const Picture first = b.button.Frames().At(0);
    EXPECT_EQ(b.button.Tag(), u"1");
    EXPECT_EQ(b.host.ShownFrameX(), 0);
    b.button.OnShow();
    EXPECT_EQ(b.button.Frames().At(0), first);

    // Without AutoSize a resize keeps the size and only redraws.
    b.button.SetAutoSize(false);
    const int clears = b.host.Clears();
    b.host.SetWidth(2000);
    EXPECT_EQ(b.host.width, 2000);
    EXPECT_EQ(b.host.Clears(), clears + 1);
    EXPECT_EQ(b.host.LastOf(Kind::Paint)->width, 2000);
}

TEST(IButtonLifecycle, CreationStartsThePollAndTerminationReleasesThePictures) {
    testing::FakeButtonHost host;
    std::weak_ptr<const Bitmap> strip, frame;
    {
        IButton button(host);
        EXPECT_TRUE(host.timerRunning);
        EXPECT_EQ(host.Clears(), 1);
        EXPECT_FALSE(button.FramesReady());
        Picture picture = MakeStrip(350, 26);
        strip = picture;
        button.SetBackPicture(std::move(picture));
        frame = button.Frames().At(0);
        EXPECT_FALSE(frame.expired());
    }
    host.calls.clear();  // the record of what was painted holds the frame too
    EXPECT_TRUE(strip.expired());
    EXPECT_TRUE(frame.expired());
}

TEST(IButtonProperties, ValueTurnsOnlyAToggleButtonOn) {
    Shown push;
    const size_t calls = push.host.calls.size();
    EXPECT_EQ(push.button.SetValue(true), ButtonStatus::Ok);
    EXPECT_FALSE(push.button.Value());
    EXPECT_EQ(push.host.calls.size(), calls);
    EXPECT_TRUE(push.host.notified.empty());

    Shown toggle("", "style=1\n");
    toggle.button.SetValue(true);
    EXPECT_TRUE(toggle.button.Value());
    EXPECT_EQ(toggle.host.ShownFrameX(), 4 * 35);
    toggle.host.PointerOver(true);
    toggle.button.OnMouseMove(0, 0, 5, 5);
    EXPECT_EQ(toggle.host.ShownFrameX(), 5 * 35);
    EXPECT_TRUE(toggle.host.notified.empty());

    // A later Style keeps Value; a push button's offset is 0 whatever it holds.
    toggle.button.SetStyle(StylePush);
    EXPECT_TRUE(toggle.button.Value());
    EXPECT_EQ(toggle.host.ShownFrameX(), 70);
}

TEST(IButtonProperties, AutoSizeRebuildsAndResizesOnlyWhenSetTrue) {
    Shown b;
    const Picture frame = b.button.Frames().At(0);
    const size_t sizeCalls = b.host.sizeCalls.size();
    b.button.SetAutoSize(false);
    EXPECT_EQ(b.button.Frames().At(0), frame);
    EXPECT_EQ(b.host.sizeCalls.size(), sizeCalls);
    b.host.SetWidth(3000);

    b.button.SetAutoSize(true);
    EXPECT_NE(b.button.Frames().At(0), frame);
    EXPECT_EQ(b.host.width, 1050);
    EXPECT_EQ(b.host.notified, (std::vector<std::string>{"AutoSize", "AutoSize"}));
}

TEST(IButtonProperties, CaptionAndColourRedrawWithTheDetectedActionKeepingTheCurrentOne) {
    Shown b("解锁");
    b.button.OnKeyDown(32, 0);  // Space: pressed frame and shifted caption
    ASSERT_EQ(b.button.CurrentAction(), ActionDown);
    EXPECT_EQ(b.host.LastOf(Kind::Print)->x, 360);

    b.button.SetCaption(u"验证");
    EXPECT_EQ(b.host.ShownFrameX(), 140);
    EXPECT_EQ(b.host.LastOf(Kind::Print)->x, 345);
    EXPECT_EQ(b.button.CurrentAction(), ActionDown);
    b.button.SetcForeColor(Rgb(1, 2, 3));
    EXPECT_EQ(b.host.LastOf(Kind::Print)->colour, Rgb(1, 2, 3));
    EXPECT_EQ(b.host.ShownFrameX(), 140);
    // The current action is still 2: asking for it again draws nothing.
    const size_t calls = b.host.calls.size();
    b.button.cMouseAction(ActionDown, false);
    EXPECT_EQ(b.host.calls.size(), calls);
    EXPECT_EQ(b.host.notified, (std::vector<std::string>{"Caption", "cForeColor"}));
}

TEST(IButtonProperties, EachSetterNotifiesWithItsKeyAndReachesTheSurface) {
    Shown b("x");
    ButtonFont font{.face = u"Arial", .points = 12, .weight = 700};
    b.button.SetcFont(font);
    EXPECT_EQ(b.host.LastOf(Kind::Print)->font, font);
    b.button.SetcDrawMode(7);
    EXPECT_EQ(b.host.drawMode, 7);
    b.button.SetStyle(StyleToggle);
    EXPECT_EQ(b.button.Frames().Count(), 8);
    b.button.SetBackPicture(MakeStrip(130, 26));
    EXPECT_EQ(b.host.width, 195);  // 13 pixels: a tenth of the strip
    b.button.SetEnabled(false);
    EXPECT_EQ(b.host.ShownFrameX(), 3 * 13);
    b.button.SetcBackStyle(0);
    EXPECT_EQ(b.host.backStyle, 0);
    EXPECT_EQ(b.host.notified,
              (std::vector<std::string>{"cFont", "cDrawMode", "Style", "BackPicture", "Enabled", "cBackStyle"}));
}

TEST(IButtonProperties, BackStyleOutsideSixteenBitsIsAnOverflowThatKeepsTheOldValue) {
    Shown b;
    const size_t calls = b.host.calls.size();
    EXPECT_EQ(b.button.SetcBackStyle(32768), ButtonStatus::Overflow);
    EXPECT_EQ(b.button.SetcBackStyle(-32769), ButtonStatus::Overflow);
    EXPECT_EQ(b.button.cBackStyle(), 1);
    EXPECT_EQ(b.host.calls.size(), calls);
    EXPECT_TRUE(b.host.notified.empty());
    EXPECT_EQ(b.button.SetcBackStyle(-32768), ButtonStatus::Ok);
    EXPECT_EQ(b.button.cBackStyle(), -32768);
}

TEST(IButtonFailures, AnImpossibleFrameIndexEndsOnlyThatCall) {
    Shown b("x");
    const size_t calls = b.host.calls.size();
    EXPECT_EQ(b.button.cMouseAction(4, true), ButtonStatus::SubscriptOutOfRange);
    EXPECT_EQ(b.button.cMouseAction(-1, false), ButtonStatus::SubscriptOutOfRange);
    EXPECT_EQ(b.button.CurrentAction(), ActionNormal);
    EXPECT_EQ(b.host.calls.size(), calls);
    EXPECT_EQ(b.button.SetCaption(u"y"), ButtonStatus::Ok);
    EXPECT_EQ(b.host.ShownFrameX(), 0);

    // Without frames any action is a look without a frame.
    ButtonFixture bare;
    EXPECT_EQ(bare.button.cMouseAction(9, true), ButtonStatus::Ok);
    EXPECT_EQ(bare.button.CurrentAction(), 9);
}

TEST(IButtonFailures, ANegativeStyleWithAPictureLeavesACaptionOnlyButton) {
    Shown b("x");
    EXPECT_EQ(b.button.SetStyle(-1), ButtonStatus::SubscriptOutOfRange);
    EXPECT_EQ(b.button.Style(), -1);
    EXPECT_FALSE(b.button.FramesReady());
    EXPECT_TRUE(b.button.Frames().Empty());
    EXPECT_TRUE(b.host.notified.empty());
    b.button.SetCaption(u"y");
    EXPECT_EQ(Kinds(b.host.LastDrawing()), (std::vector<Kind>{Kind::Clear, Kind::Print}));
    EXPECT_EQ(b.button.SetStyle(0), ButtonStatus::Ok);
    EXPECT_EQ(b.host.ShownFrameX(), 0);
}

TEST(IButtonFailures, ASizeBeyondThirtyTwoBitsOfTwipsEndsTheResize) {
    // 800 million pixels wide: 160 million a frame, 2.4 billion twips. No
    // height, so the frames themselves hold no pixels.
    Bitmap huge;
    huge.width = 800'000'000;
    Picture strip = MakePicture(std::move(huge));
    ButtonFixture b(ButtonFixture::Bag("x"), strip);
    EXPECT_EQ(b.button.OnResize(), ButtonStatus::Overflow);
    EXPECT_EQ(b.host.width, 1500);
    EXPECT_EQ(b.button.OnShow(), ButtonStatus::Ok);  // a zero height skips the auto size
    EXPECT_EQ(b.button.SetCaption(u"y"), ButtonStatus::Ok);
    EXPECT_EQ(b.host.LastOf(Kind::Print)->text, u"y");
}

}  // namespace
}  // namespace quorvel
