// The skinned button's frame strips: measuring them from their HIMETRIC extent,
// cutting them into independent frames and sizing the button to one frame.
#include "widgets/ibutton/frames.h"

#include <gtest/gtest.h>

#include "support/ibutton_fake_host.h"

namespace quorvel {
namespace {

using testing::ButtonFixture;
using testing::MakeStrip;

TEST(IButtonFrames, MeasuresTheStoredStripsFromTheirExtent) {
    struct Row {
        int width, height;
        int64_t extentX, extentY;
        int32_t frameWidth, frameHeight;
    };
    for (const Row& r :
         {Row{350, 26, 9260, 688, 70, 26}, Row{1065, 36, 28178, 953, 213, 36}, Row{420, 84, 11113, 2223, 84, 84},
          Row{140, 28, 3704, 741, 28, 28}, Row{130, 26, 3440, 688, 26, 26}}) {
        EXPECT_EQ(HimetricExtent(r.width), r.extentX) << r.width;
        EXPECT_EQ(HimetricExtent(r.height), r.extentY) << r.height;
        EXPECT_EQ(FrameWidthFromExtent(r.extentX, 5), r.frameWidth) << r.width;
        EXPECT_EQ(FrameHeightFromExtent(r.extentY), r.frameHeight) << r.height;
    }
}

TEST(IButtonFrames, DividesTheExtentNotThePixelsAndByTheButtonsOwnFactor) {
    // 28178 is 1064.994... pixels: 213 for five frames, 106 for ten.
    EXPECT_EQ(FrameWidthFromExtent(28178, 5), 213);
    EXPECT_EQ(FrameWidthFromExtent(28178, 10), 106);
    // A 35-pixel strip has extent 926, 3.4998 pixels a frame: 3, where the
    // pixels would give 3.5 and so 4; 45 pixels give 5, not 4.
    EXPECT_EQ(FrameWidthFromExtent(HimetricExtent(35), 10), 3);
    EXPECT_EQ(FrameWidthFromExtent(HimetricExtent(45), 10), 5);
    // 21127 / 26.45836 is 798.49998; with 2540 / 96 it would be 798.5008.
    EXPECT_EQ(FrameHeightFromExtent(21127), 798);
    EXPECT_FALSE(FrameWidthFromExtent(int64_t{1} << 40, 1).has_value());
    EXPECT_FALSE(FrameWidthFromExtent(9260, 0).has_value());
}

TEST(IButtonFrames, CutsAnIndependentCopyWithOpaqueBlackOutsideTheSource) {
    Bitmap source(4, 2);
    for (int x = 0; x < 4; ++x) source.At(x, 0) = source.At(x, 1) = 0xFF000010u + x;
    const Picture cut = CutPicture(source, 2, 1, 3, 2);
    source.At(2, 1) = 0;  // the cut does not follow its source
    ASSERT_EQ(cut->width, 3);
    ASSERT_EQ(cut->height, 2);
    EXPECT_EQ(cut->At(0, 0), 0xFF000012u);
    EXPECT_EQ(cut->At(1, 0), 0xFF000013u);
    EXPECT_EQ(cut->At(2, 0), kOutsideStripPixel);
    EXPECT_EQ(cut->At(0, 1), kOutsideStripPixel);
    EXPECT_TRUE(CutPicture(source, 0, 0, 0, 5)->Empty());
    EXPECT_TRUE(CutPicture(source, 0, 0, -3, 5)->Empty());

    // A bitmap whose pixels fall short of its stated size is read no further.
    Bitmap truncated(4, 2);
    truncated.pixels.resize(5);
    truncated.pixels[4] = 7;
    EXPECT_EQ(CutPicture(truncated, 0, 1, 4, 1)->At(0, 0), 7u);
    EXPECT_EQ(CutPicture(truncated, 0, 1, 4, 1)->At(1, 0), kOutsideStripPixel);
}

TEST(IButtonFrames, CutsFourFramesOfAPushStripAndSizesTheButtonToOne) {
    ButtonFixture b(ButtonFixture::Bag());
    ASSERT_EQ(b.button.OnShow(), ButtonStatus::Ok);
    ASSERT_TRUE(b.button.FramesReady());
    ASSERT_EQ(b.button.Frames().Count(), 4);
    for (int i = 0; i < 4; ++i) {
        const Picture frame = b.button.Frames().At(i);
        ASSERT_EQ(frame->width, 70);
        ASSERT_EQ(frame->height, 26);
        EXPECT_EQ(frame->At(0, 0) & 0xFFFF, 70u * i);
        EXPECT_EQ(frame->At(69, 25), 0xFF000000u | 25u << 16 | (70u * i + 69));
    }
    EXPECT_EQ(b.host.width, 1050);
    EXPECT_EQ(b.host.height, 390);
    // The normal frame, stretched over the whole (now one-frame) button.
    const auto* paint = b.host.LastOf(testing::DrawCall::Kind::Paint);
    ASSERT_NE(paint, nullptr);
    EXPECT_EQ(paint->picture, b.button.Frames().At(0));
    EXPECT_EQ((std::vector<Twips>{paint->x, paint->y, paint->width, paint->height}),
              (std::vector<Twips>{0, 0, 1050, 390}));
}

TEST(IButtonFrames, AToggleStripHoldsEightFramesOfATenth) {
    ButtonFixture b(ButtonFixture::Bag("", "style=1\n"));
    b.button.OnShow();
    ASSERT_EQ(b.button.Frames().Count(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(b.button.Frames().At(i)->width, 35);
        EXPECT_EQ(b.button.Frames().At(i)->At(0, 0) & 0xFFFF, 35u * i);
    }
    EXPECT_EQ(b.host.width, 525);
    EXPECT_EQ(b.host.height, 390);

    ButtonFixture wide(ButtonFixture::Bag("", "style=1\n"), MakeStrip(1065, 36));
    wide.button.OnShow();
    EXPECT_EQ(wide.button.Frames().At(1)->At(0, 0) & 0xFFFF, 106u);
}

TEST(IButtonFrames, AutoSizesEveryStoredStripToOneFrame) {
    struct Row {
        int width, height;
        Twips twipsX, twipsY;
    };
    for (const Row& r :
         {Row{1065, 36, 3195, 540}, Row{420, 84, 1260, 1260}, Row{140, 28, 420, 420}, Row{130, 26, 390, 390}}) {
        ButtonFixture b(ButtonFixture::Bag(), MakeStrip(r.width, r.height));
        b.button.OnShow();
        EXPECT_EQ(b.host.width, r.twipsX) << r.width;
        EXPECT_EQ(b.host.height, r.twipsY) << r.width;
    }
}

TEST(IButtonFrames, FramesPastTheStripAreBlackAndShareOnePicture) {
    // Style 2: twelve frames of 35 pixels from a 350-pixel strip.
    ButtonFixture b(ButtonFixture::Bag("", "style=2\n"));
    b.button.OnShow();
    const FrameTable& frames = b.button.Frames();
    ASSERT_EQ(frames.Count(), 12);
    EXPECT_EQ(frames.At(9)->At(34, 0) & 0xFFFF, 349u);
    EXPECT_EQ(frames.At(10)->At(0, 0), kOutsideStripPixel);
    EXPECT_EQ(frames.At(10), frames.At(11));
    EXPECT_EQ(frames.At(12), nullptr);
    EXPECT_EQ(frames.At(-1), nullptr);

    // A huge style costs a table entry count, not memory per frame.
    ASSERT_EQ(b.button.SetStyle(500'000'000), ButtonStatus::Ok);
    EXPECT_EQ(b.button.Frames().Count(), 2'000'000'004);
    EXPECT_EQ(b.button.SetStyle(536'870'912), ButtonStatus::Overflow);
    EXPECT_FALSE(b.button.FramesReady());
}

}  // namespace
}  // namespace quorvel
