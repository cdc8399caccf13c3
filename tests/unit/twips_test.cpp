// The pixel geometry of the keep-on-top ticks.
#include "base/twips.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(WindowPixelGeometry, ReappliesTheCurrentGeometryOfAWindowAtWholePixels) {
    EXPECT_EQ(WindowPixelGeometry(6750, 3225, 5700, 4350, 15, 15), (PixelRect{450, 215, 380, 290}));
    EXPECT_EQ(WindowPixelGeometry(0, 0, 19200, 10800, 15, 15), (PixelRect{0, 0, 1280, 720}));
}

TEST(WindowPixelGeometry, RoundsLeftAfterDividingButTheOthersBeforeAnIntegerDivision) {
    // 22.5 px rounds to the even 22; Top 337.5 rounds to 338 first, then 338 div 15 = 22.
    EXPECT_EQ(WindowPixelGeometry(337.5f, 337.5f, 5700, 4350, 15, 15), (PixelRect{22, 22, 380, 290}));
    // 352.5 / 15 = 23.5 rounds to the even 24; Top 352.5 -> 352 (even) div 15 = 23.
    EXPECT_EQ(WindowPixelGeometry(352.5f, 352.5f, 5700, 4350, 15, 15), (PixelRect{24, 23, 380, 290}));
    // Integer division truncates toward zero, also for negative positions.
    EXPECT_EQ(WindowPixelGeometry(-20, -20, 29, 29, 15, 15), (PixelRect{-1, -1, 1, 1}));
    // Twips per pixel are rounded before they divide.
    EXPECT_EQ(WindowPixelGeometry(0, 100, 100, 100, 12.5f, 12.5f), (PixelRect{0, 8, 8, 8}));
}

TEST(WindowPixelGeometry, FailsWhenAValueLeavesThe32BitRange) {
    EXPECT_FALSE(WindowPixelGeometry(0, 5e10f, 100, 100, 15, 15).has_value());
    EXPECT_FALSE(WindowPixelGeometry(1e12f, 0, 100, 100, 15, 15).has_value());
    EXPECT_FALSE(WindowPixelGeometry(0, 0, 100, 100, 0.4f, 15).has_value());
}

}  // namespace
}  // namespace quorvel
