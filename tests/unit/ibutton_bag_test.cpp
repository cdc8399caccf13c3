// The skinned button's property bag: its text form, the nine keys with their
// defaults, round trips and malformed values.
#include "widgets/ibutton/property_bag.h"

#include <gtest/gtest.h>

#include "support/ibutton_fake_host.h"

namespace quorvel {
namespace {

using testing::ButtonFixture;
using testing::MakeStrip;

const PictureNamer kNamer = [](const Picture& picture) -> std::optional<std::string> {
    if (picture && picture->width == 350) return "strip";
    return std::nullopt;
};

TEST(IButtonBag, TheUsualStoredFormGivesAnEnabledOpaqueAutoSizedPushButtonWithoutCaption) {
    ButtonFixture b(ButtonFixture::Bag());
    EXPECT_EQ(b.button.BackPicture(), b.strip_);
    EXPECT_TRUE(b.button.Enabled());
    EXPECT_EQ(b.button.cBackStyle(), 1);
    EXPECT_EQ(b.button.Style(), StylePush);
    EXPECT_TRUE(b.button.AutoSize());
    EXPECT_TRUE(b.button.Caption().empty());
    EXPECT_EQ(b.button.cFont(), ButtonFont{});
    EXPECT_EQ(b.button.cForeColor(), kSysButtonText);
    EXPECT_EQ(b.button.cDrawMode(), 13);
    EXPECT_EQ(b.host.backStyle, 1);
    EXPECT_EQ(b.host.drawMode, 13);
    // Reading builds and draws nothing.
    EXPECT_FALSE(b.button.FramesReady());
    EXPECT_EQ(b.host.Clears(), 1);

    ButtonFixture transparent(ButtonFixture::Bag("", "CBackStyle=0\n"));
    EXPECT_EQ(transparent.button.cBackStyle(), 0);
    EXPECT_EQ(transparent.host.backStyle, 0);
}

TEST(IButtonBag, MissingSurfaceKeysKeepWhatTheSurfaceHas) {
    testing::FakeButtonHost host;
    const SurfaceStyle surface{.font = {.face = u"Tahoma", .points = 8}, .foreColor = Rgb(9, 9, 9), .drawMode = 6};
    IButton button(host, surface);
    std::vector<std::string> rejected{"stale"};
    EXPECT_EQ(button.ReadProperties(PropertyBag::Parse("caption=x\n"), nullptr, &rejected), ButtonStatus::Ok);
    EXPECT_TRUE(rejected.empty());
    EXPECT_EQ(button.cFont(), surface.font);
    EXPECT_EQ(button.cForeColor(), Rgb(9, 9, 9));
    EXPECT_EQ(button.cDrawMode(), 6);
    EXPECT_EQ(button.BackPicture(), nullptr);
}

TEST(IButtonBag, ReadsTheTextFormLineByLine) {
    const PropertyBag bag = PropertyBag::Parse("a=1\r\n\r\n  \nno equals sign\nCaption=x=y\r\nlast=\\\\ \\n\\t");
    EXPECT_EQ(bag.Entries(), (std::vector<BagEntry>{{"a", "1"}, {"Caption", "x=y"}, {"last", "\\\\ \\n\\t"}}));
    EXPECT_EQ(*bag.Find("CAPTION"), "x=y");
    EXPECT_EQ(bag.Find("caption "), nullptr);

    ButtonFixture b("caption=a\\nb\\\\c\\t\\\n");
    EXPECT_EQ(b.button.Caption(), u"a\nb\\c\\t\\");
}

TEST(IButtonBag, SavingAFreshlyReadBagWritesItBackUnchanged) {
    for (const std::string& text : {
             ButtonFixture::Bag(),
             std::string(
                 "_extentx=1852\n_extenty=688\nunknown=kept\nbackpicture=@strip\nenabled=0\nstyle=1\ncbackstyle=0\n"
                 "caption=锁             屏\\n\\\\\nautosize=0\ncfont=Segoe, UI,9.75,700,-1,-1,-1,0\n"
                 "cdrawmode=7\ncforecolor=0x00FF00FF\n"),
         }) {
        ButtonFixture b(text);
        PropertyBag bag = PropertyBag::Parse(text);
        std::vector<std::string> unwritten;
        EXPECT_EQ(b.button.WriteProperties(bag, kNamer, &unwritten), ButtonStatus::Ok);
        EXPECT_TRUE(unwritten.empty());
        EXPECT_EQ(bag.Serialize(), text);
    }
    // Whatever order the bag held them in, the button's entries follow the
    // others in the order it writes them.
    ButtonFixture b("caption=x\nbackpicture=@strip\n_extentx=1\n");
    PropertyBag bag = PropertyBag::Parse("caption=x\nbackpicture=@strip\n_extentx=1\n");
    b.button.WriteProperties(bag, kNamer);
    EXPECT_EQ(bag.Serialize(),
              "_extentx=1\nbackpicture=@strip\ncaption=x\ncfont=宋体,9,400,0,0,0,134\ncdrawmode=13\n"
              "cforecolor=0x80000012\n");
    EXPECT_EQ(b.button.Caption(), u"x");
}

TEST(IButtonBag, SavingLeavesDefaultsOutAndAlwaysWritesTheSurfaceStyle) {
    ButtonFixture b("caption=x\nstyle=1\n_extenty=688\n");
    b.button.SetCaption(u"");
    b.button.SetStyle(0);
    b.button.SetEnabled(false);
    b.button.SetAutoSize(false);
    PropertyBag bag = PropertyBag::Parse("caption=x\nstyle=1\n_extenty=688\n");
    b.button.WriteProperties(bag, kNamer);
    EXPECT_EQ(bag.Serialize(),
              "_extenty=688\nenabled=0\nautosize=0\ncfont=宋体,9,400,0,0,0,134\ncdrawmode=13\n"
              "cforecolor=0x80000012\n");

    b.button.SetBackPicture(MakeStrip(130, 26));  // a picture the namer does not know
    std::vector<std::string> unwritten;
    b.button.WriteProperties(bag, kNamer, &unwritten);
    EXPECT_EQ(unwritten, std::vector<std::string>{"BackPicture"});
    EXPECT_EQ(bag.Find("backpicture"), nullptr);
}

TEST(IButtonBag, AMalformedValueGivesTheKeysDefaultAndTheRestIsStillRead) {
    ButtonFixture b(
        "backpicture=strip\nenabled=yes\ncbackstyle=40000\ncaption=kept\nstyle=1.5\nautosize=\n"
        "cforecolor=0x1FFFFFFFF\ncfont=Arial,9\ncdrawmode=-99999\n");
    EXPECT_EQ(b.button.BackPicture(), nullptr);
    EXPECT_TRUE(b.button.Enabled());
    EXPECT_EQ(b.button.cBackStyle(), 1);
    EXPECT_EQ(b.button.Caption(), u"kept");
    EXPECT_EQ(b.button.Style(), 0);
    EXPECT_TRUE(b.button.AutoSize());
    EXPECT_EQ(b.button.cForeColor(), kSysButtonText);
    EXPECT_EQ(b.button.cFont(), ButtonFont{});
    EXPECT_EQ(b.button.cDrawMode(), 13);
    EXPECT_EQ(b.rejected, (std::vector<std::string>{"BackPicture", "Enabled", "cBackStyle", "Style", "AutoSize",
                                                    "cForeColor", "cFont", "cDrawMode"}));
    // An unknown picture name is no picture, not a malformed value.
    ButtonFixture unknown("backpicture=@nowhere\n");
    EXPECT_TRUE(unknown.rejected.empty());
    EXPECT_EQ(unknown.button.BackPicture(), nullptr);
}

TEST(IButtonBag, ReadsColoursInHexOrDecimalAndFontsWithCommasInTheFace) {
    ButtonFixture hex("cforecolor= 0xff00 \n");
    EXPECT_EQ(hex.button.cForeColor(), 0xFF00u);
    ButtonFixture negative("cforecolor=-2147483630\n");
    EXPECT_EQ(negative.button.cForeColor(), kSysButtonText);
    ButtonFixture font("cfont=A, B,10.5,700,1,0,-1,255\n");
    EXPECT_EQ(font.button.cFont(), (ButtonFont{u"A, B", 10.5f, 700, true, false, true, 255}));
    for (const char* bad : {"cfont=A,0,400,0,0,0,0\n", "cfont=A,nan,400,0,0,0,0\n", "cfont=A,9,400,0,0,0,256\n",
                            "cfont=A,9,400,0,0,x,0\n"}) {
        ButtonFixture rejected(bad);
        EXPECT_EQ(rejected.button.cFont(), ButtonFont{}) << bad;
    }
}

}  // namespace
}  // namespace quorvel
