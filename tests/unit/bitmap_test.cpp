// The runs of a picture without its mask colour: the shape of a transparent
// button.
#include "base/bitmap.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

constexpr uint32_t M = 0xFFFF00FF;  // the mask colour
constexpr uint32_t K = 0xFF336699;  // a kept colour

TEST(Bitmap, RunsWithoutTheMaskColourCoverEveryOtherPixelRowByRow) {
    struct Case {
        const char* what;
        int width, height;
        std::vector<uint32_t> pixels;
        std::vector<PixelRun> runs;
    };
    const Case cases[] = {
        {"all kept", 3, 1, {K, K, K}, {{0, 0, 3}}},
        {"all left out", 3, 1, {M, M, M}, {}},
        {"cut corners", 4, 2, {M, K, K, M, K, K, K, K}, {{0, 1, 3}, {1, 0, 4}}},
        {"runs at both ends", 5, 1, {K, M, K, M, K}, {{0, 0, 1}, {0, 2, 3}, {0, 4, 5}}},
        // The alpha byte does not count: magenta of any alpha is left out.
        {"alpha ignored", 2, 1, {0x00FF00FF, 0x80FF00FF}, {}},
        {"empty", 0, 0, {}, {}},
    };
    for (const Case& c : cases) {
        Bitmap bitmap(c.width, c.height);
        bitmap.pixels = c.pixels;
        EXPECT_EQ(RunsWithout(bitmap, M), c.runs) << c.what;
    }
}

}  // namespace
}  // namespace quorvel
