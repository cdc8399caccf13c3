// The art decoder: its inflate against zlib's deflate at every level and
// strategy, every row filter in both colour types, and damaged data refused.
#include "base/png.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace quorvel::png {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Deflate(const Bytes& data, int level, int strategy) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, 15, 8, strategy);
    Bytes out(deflateBound(&z, data.size()));
    z.next_in = const_cast<uint8_t*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// Text, noise, long runs and repeats far apart: every kind of block and copy.
std::vector<Bytes> Samples() {
    std::mt19937 random(7);
    Bytes text, noise, runs, far;
    for (int i = 0; i < 3000; ++i) text.push_back(static_cast<uint8_t>("the lock holds. "[i % 16] + (i / 700)));
    for (int i = 0; i < 70000; ++i) noise.push_back(static_cast<uint8_t>(random()));
    for (int i = 0; i < 100000; ++i) runs.push_back(static_cast<uint8_t>(i / 5000));
    for (int i = 0; i < 90000; ++i) far.push_back(noise[i % 32000]);
    return {{}, {42}, text, noise, runs, far};
}

TEST(Inflate, GivesBackWhatZlibPackedAtEveryLevelAndStrategy) {
    const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
    for (const Bytes& sample : Samples()) {
        for (int level : {0, 1, 6, 9}) {
            for (int strategy : strategies) {
                const auto out = Inflate(Deflate(sample, level, strategy), sample.size());
                ASSERT_TRUE(out) << sample.size() << " bytes, level " << level << ", strategy " << strategy;
                EXPECT_EQ(*out, sample) << sample.size() << " bytes, level " << level << ", strategy " << strategy;
            }
        }
    }
}

TEST(Inflate, RefusesDamagedOrTooLongStreams) {
    const Bytes sample = Samples()[2];
    const Bytes good = Deflate(sample, 6, Z_DEFAULT_STRATEGY);
    EXPECT_FALSE(Inflate(good, sample.size() - 1)) << "longer than the limit";
    for (size_t cut : {size_t{0}, size_t{1}, size_t{2}, size_t{5}, good.size() / 2, good.size() - 1})
        EXPECT_FALSE(Inflate(Bytes(good.begin(), good.begin() + static_cast<long>(cut)), sample.size()))
            << "cut at " << cut;
    const std::pair<size_t, uint8_t> flips[] = {{0, 0x01}, {1, 0x20}, {good.size() - 1, 0x01}, {good.size() / 2, 0x10}};
    for (const auto& [at, bits] : flips) {
        Bytes damaged = good;
        damaged[at] ^= bits;
        const auto out = Inflate(damaged, sample.size());
        EXPECT_TRUE(!out || *out == sample) << "byte " << at << " damaged";
    }
    // Any bytes at all after a valid header: refused or decoded, never more.
    std::mt19937 random(3);
    for (int i = 0; i < 2000; ++i) {
        Bytes junk{0x78, 0x9C};
        for (int n = static_cast<int>(random() % 200); n > 0; --n) junk.push_back(static_cast<uint8_t>(random()));
        const auto out = Inflate(junk, 4096);
        EXPECT_TRUE(!out || out->size() <= 4096);
    }
}

void Chunk(Bytes& png, const char* type, const Bytes& body) {
    const auto put32 = [&png](uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<uint8_t>(v >> shift));
    };
    put32(static_cast<uint32_t>(body.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    png.insert(png.end(), typed.begin(), typed.end());
    put32(static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

// A PNG of the pixels (0xAARRGGBB), row y filtered with filters[y % size].
Bytes Encode(const Bitmap& picture, bool alpha, const std::vector<int>& filters) {
    const int channels = alpha ? 4 : 3;
    const size_t rowBytes = static_cast<size_t>(picture.width) * channels;
    Bytes raw, previous(rowBytes, 0);
    for (int y = 0; y < picture.height; ++y) {
        Bytes line;
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t p = picture.At(x, y);
            for (int shift : {16, 8, 0, 24})
                if (shift != 24 || alpha) line.push_back(static_cast<uint8_t>(p >> shift));
        }
        const int filter = filters[static_cast<size_t>(y) % filters.size()];
        raw.push_back(static_cast<uint8_t>(filter));
        for (size_t x = 0; x < rowBytes; ++x) {
            const int a = x >= static_cast<size_t>(channels) ? line[x - channels] : 0;
            const int b = y > 0 ? previous[x] : 0;
            const int c = y > 0 && x >= static_cast<size_t>(channels) ? previous[x - channels] : 0;
            const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            const int paeth = pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
            const int predicted[] = {0, a, b, (a + b) / 2, paeth, 0};  // 5: no filter there is
            raw.push_back(static_cast<uint8_t>(line[x] - predicted[filter]));
        }
        previous = line;
    }
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto w = static_cast<uint32_t>(picture.width), h = static_cast<uint32_t>(picture.height);
    Chunk(png, "IHDR",
          {uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w), uint8_t(h >> 24), uint8_t(h >> 16),
           uint8_t(h >> 8), uint8_t(h), 8, uint8_t(alpha ? 6 : 2), 0, 0, 0});
    Chunk(png, "tEXt", {'a', 0, 'b'});
    const Bytes packed = Deflate(raw, 9, Z_DEFAULT_STRATEGY);
    // Split over two IDAT chunks, as encoders do.
    Chunk(png, "IDAT", Bytes(packed.begin(), packed.begin() + static_cast<long>(packed.size() / 2)));
    Chunk(png, "IDAT", Bytes(packed.begin() + static_cast<long>(packed.size() / 2), packed.end()));
    Chunk(png, "IEND", {});
    return png;
}

Bitmap Gradient(int width, int height, bool alpha) {
    Bitmap picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.At(x, y) = (alpha ? static_cast<uint32_t>(x * 7 + y) & 0xFF : 0xFFu) << 24 |
                               static_cast<uint32_t>(x * 3 % 256) << 16 | static_cast<uint32_t>((y * 5) % 256) << 8 |
                               static_cast<uint32_t>((x ^ y) & 0xFF);
    return picture;
}

TEST(Png, EveryRowFilterInBothColourTypesGivesThePixels) {
    for (bool alpha : {false, true}) {
        for (const std::vector<int>& filters : {std::vector<int>{0}, {1}, {2}, {3}, {4}, {0, 1, 2, 3, 4}}) {
            const Bitmap picture = Gradient(37, 23, alpha);
            const auto decoded = Decode(Encode(picture, alpha, filters));
            ASSERT_TRUE(decoded) << "alpha " << alpha << ", filter " << filters[0];
            EXPECT_EQ(decoded->width, 37);
            EXPECT_EQ(decoded->height, 23);
            EXPECT_EQ(decoded->pixels, picture.pixels) << "alpha " << alpha << ", filter " << filters[0];
        }
    }
}

TEST(Png, RefusesWhatItDoesNotDecodeAndDamagedData) {
    const Bytes good = Encode(Gradient(9, 5, false), false, {4});
    const auto with = [&good](size_t at, uint8_t value) {
        Bytes changed = good;
        changed[at] = value;
        return changed;
    };
    constexpr size_t kIhdr = 8 + 8;  // the header's body
    const std::pair<const char*, Bytes> cases[] = {
        {"no signature", with(1, 'Q')},
        {"16 bits", with(kIhdr + 8, 16)},
        {"a palette picture", with(kIhdr + 9, 3)},
        {"interlaced", with(kIhdr + 12, 1)},
        {"no width", with(kIhdr + 3, 0)},
        {"an unknown critical chunk", with(8 + 25 + 4, 'T')},  // tEXt made TEXt
        {"no end", with(good.size() - 8, 'i')},                // IEND made iEND
        {"an unknown row filter", Encode(Gradient(9, 5, false), false, {1, 5})},
        {"cut short", Bytes(good.begin(), good.end() - 20)},
        {"empty", {}},
    };
    EXPECT_TRUE(Decode(good));
    for (const auto& [what, data] : cases) EXPECT_FALSE(Decode(data)) << what;
}

}  // namespace
}  // namespace quorvel::png
