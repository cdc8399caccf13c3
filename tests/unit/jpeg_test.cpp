// The reduced JPEG decoder against libjpeg's own scaled decoding of the same
// files (tests/data/jpeg/make.py), and its refusals.
#include "base/jpeg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace quorvel::jpeg {
namespace {

std::vector<uint8_t> ReadFile(const std::string& name) {
    std::ifstream in(std::string(QUORVEL_TEST_DATA) + "/jpeg/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Reads the bytes a few at a time, as a file is read a buffer at a time.
ReadFn Reader(const std::vector<uint8_t>& bytes, size_t chunk = 7) {
    return [&bytes, chunk, at = size_t{0}](uint8_t* buffer, size_t size) mutable {
        const size_t n = std::min({size, chunk, bytes.size() - at});
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), n, buffer);
        at += n;
        return n;
    };
}

// A binary PGM or PPM as 0xFFRRGGBB pixels.
Bitmap ReadNetpbm(const std::string& name) {
    const std::vector<uint8_t> bytes = ReadFile(name);
    std::istringstream header(std::string(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 32)));
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    header >> magic >> width >> height >> maximum;
    const size_t start = static_cast<size_t>(header.tellg()) + 1;
    const int channels = magic == "P6" ? 3 : 1;
    Bitmap out(width, height);
    for (int i = 0; i < width * height; ++i) {
        const uint8_t* p = &bytes[start + static_cast<size_t>(i) * channels];
        const uint32_t r = p[0], g = p[channels == 3 ? 1 : 0], b = p[channels == 3 ? 2 : 0];
        out.pixels[i] = 0xFF000000u | r << 16 | g << 8 | b;
    }
    return out;
}

TEST(Jpeg, DecodesLikeLibjpegAtEveryReduction) {
    for (const char* name : {"yuv420", "yuv444", "yuv422-restarts", "grey", "rgb"}) {
        const std::vector<uint8_t> file = ReadFile(std::string(name) + ".jpg");
        ASSERT_FALSE(file.empty()) << name;
        const auto size = ReadSize(Reader(file));
        ASSERT_TRUE(size) << name;
        EXPECT_EQ(size->width, 67);
        EXPECT_EQ(size->height, 45);
        for (int reduction : {1, 2, 4, 8}) {
            const std::string what = std::string(name) + " at 1/" + std::to_string(reduction);
            const auto decoded = Decode(Reader(file), reduction);
            ASSERT_TRUE(decoded) << what;
            const Bitmap expected = ReadNetpbm(std::string(name) + ".r" + std::to_string(reduction) + ".ppm");
            ASSERT_EQ(decoded->width, expected.width) << what;
            ASSERT_EQ(decoded->height, expected.height) << what;
            int worst = 0;
            long total = 0;
            for (size_t i = 0; i < expected.pixels.size(); ++i) {
                for (int shift : {0, 8, 16}) {
                    const int d = std::abs(static_cast<int>((decoded->pixels[i] >> shift) & 255) -
                                           static_cast<int>((expected.pixels[i] >> shift) & 255));
                    worst = std::max(worst, d);
                    total += d;
                }
                EXPECT_EQ(decoded->pixels[i] >> 24, 0xFFu) << what;
            }
            // Rounding of the transform and of the colours differ a little.
            EXPECT_LE(worst, 4) << what;
            EXPECT_LE(static_cast<double>(total) / (expected.pixels.size() * 3), 0.75) << what;
        }
    }
}

TEST(Jpeg, RefusesWhatItDoesNotDecodeAndSurvivesDamage) {
    const std::vector<uint8_t> progressive = ReadFile("progressive.jpg");
    EXPECT_FALSE(ReadSize(Reader(progressive)));
    EXPECT_FALSE(Decode(Reader(progressive), 2));
    const std::vector<uint8_t> notJpeg = {'G', 'I', 'F', '8', '9', 'a'};
    EXPECT_FALSE(Decode(Reader(notJpeg), 1));
    const std::vector<uint8_t> good = ReadFile("yuv420.jpg");
    EXPECT_FALSE(Decode(Reader(good), 3)) << "no such reduction";
    // Cut inside the scan: the part read, grey below.
    const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() * 2 / 3));
    const auto partial = Decode(Reader(cut), 1);
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->At(66, 44), 0xFF808080u);
    // Cut inside the headers: nothing.
    const std::vector<uint8_t> headers(good.begin(), good.begin() + 100);
    EXPECT_FALSE(Decode(Reader(headers), 1));
}

TEST(Jpeg, DecodingScaledBandByBandEqualsScalingTheWholePicture) {
    const std::vector<uint8_t> good = ReadFile("yuv420.jpg");
    const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() * 2 / 3));
    struct Case {
        const char* name;
        int reduction, width, height;
    };
    // Shrinking and stretching, by little and much, to one row or column.
    for (const Case& c : {Case{"yuv420", 1, 50, 30}, Case{"yuv420", 2, 20, 17}, Case{"yuv444", 1, 67, 90},
                          Case{"yuv422-restarts", 2, 33, 5}, Case{"grey", 4, 1, 1}, Case{"rgb", 8, 40, 3},
                          Case{"cut", 1, 60, 44}, Case{"cut", 2, 7, 100}}) {
        const std::vector<uint8_t> file = std::string(c.name) == "cut" ? cut : ReadFile(std::string(c.name) + ".jpg");
        const std::string what = std::string(c.name) + " at 1/" + std::to_string(c.reduction) + " to " +
                                 std::to_string(c.width) + "x" + std::to_string(c.height);
        const auto whole = Decode(Reader(file), c.reduction);
        const auto banded = DecodeScaled(Reader(file), c.reduction, c.width, c.height);
        ASSERT_TRUE(whole && banded) << what;
        const Bitmap expected = ScaleBilinear(*whole, c.width, c.height);
        EXPECT_EQ(banded->width, expected.width) << what;
        EXPECT_EQ(banded->height, expected.height) << what;
        EXPECT_EQ(banded->pixels, expected.pixels) << what;
    }
    EXPECT_FALSE(DecodeScaled(Reader(ReadFile("progressive.jpg")), 2, 10, 10));
    EXPECT_FALSE(DecodeScaled(Reader(good), 3, 10, 10)) << "no such reduction";
}

TEST(Jpeg, ReductionKeepsThePictureAtLeastAsLargeAsShown) {
    struct Case {
        Size picture;
        int width, height, reduction;
    };
    for (const Case& c :
         {Case{{3840, 2160}, 1280, 720, 2}, Case{{3840, 2160}, 960, 540, 4}, Case{{3840, 2160}, 480, 270, 8},
          Case{{3840, 2160}, 1920, 1081, 1}, Case{{1281, 721}, 641, 361, 2}, Case{{800, 600}, 1280, 960, 1}}) {
        EXPECT_EQ(ReductionFor(c.picture, c.width, c.height), c.reduction)
            << c.picture.width << "x" << c.picture.height << " shown at " << c.width << "x" << c.height;
    }
}

TEST(Jpeg, BilinearScalingKeepsFlatColoursAndCorners) {
    Bitmap source(4, 2, 0xFF102030);
    source.At(0, 0) = 0xFFFFFFFF;
    const Bitmap same = ScaleBilinear(source, 4, 2);
    EXPECT_EQ(same.pixels, source.pixels);
    const Bitmap flat = ScaleBilinear(Bitmap(5, 5, 0xFF336699), 3, 2);
    for (uint32_t pixel : flat.pixels) EXPECT_EQ(pixel, 0xFF336699u);
    const Bitmap half = ScaleBilinear(source, 2, 1);
    EXPECT_EQ(half.width, 2);
    EXPECT_GT(half.At(0, 0) & 255, 0x30u) << "the white corner weighs in";
}

}  // namespace
}  // namespace quorvel::jpeg
