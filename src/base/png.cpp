#include "base/png.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <new>

namespace quorvel::png {

namespace {

// Bits from the stream, least significant first, as deflate packs them.
class BitReader {
public:
    explicit BitReader(std::span<const uint8_t> data) : data_(data) {}

    // The next n bits (n <= 24) without taking them; past the end they read
    // as zeros and overran() tells.
    uint32_t Peek(int n) {
        while (count_ < n) {
            const uint32_t byte = next_ < data_.size() ? data_[next_] : 0;
            ++next_;
            bits_ |= byte << count_;
            count_ += 8;
        }
        return bits_ & ((1u << n) - 1);
    }
    void Skip(int n) {
        bits_ >>= n;
        count_ -= n;
    }
    uint32_t Take(int n) {
        if (n == 0) return 0;
        const uint32_t value = Peek(n);
        Skip(n);
        return value;
    }
    // To the next whole byte: what a stored block starts at.
    void Align() { Skip(count_ % 8); }
    // The bytes not taken yet, once aligned.
    size_t Position() const { return next_ - static_cast<size_t>(count_ / 8); }
    void Seek(size_t position) {
        next_ = position;
        bits_ = 0;
        count_ = 0;
    }
    bool Overran() const { return Position() > data_.size(); }
    std::span<const uint8_t> Data() const { return data_; }

private:
    std::span<const uint8_t> data_;
    size_t next_ = 0;
    uint32_t bits_ = 0;
    int count_ = 0;
};

constexpr int kMaxBits = 15;

// A canonical Huffman code as one table indexed by the next bits of the
// stream (as many as its longest code has): each entry holds the symbol and
// its code's length (0: no code).
class Huffman {
public:
    // False for lengths that do not make a code (too many codes of some
    // length); an incomplete code is taken, its gaps are errors when met.
    bool Build(const uint8_t* lengths, int symbols) {
        std::array<int, kMaxBits + 1> count{};
        for (int s = 0; s < symbols; ++s) ++count[lengths[s]];
        count[0] = 0;
        int left = 1;
        for (int bits = 1; bits <= kMaxBits; ++bits) {
            left = left * 2 - count[bits];
            if (left < 0) return false;
        }
        std::array<int, kMaxBits + 1> next{};
        for (int bits = 1, code = 0; bits <= kMaxBits; ++bits) {
            code = (code + count[bits - 1]) << 1;
            next[bits] = code;
        }
        // As many bits as the longest code: a table of short codes is quick
        // to fill.
        bits_ = 0;
        for (int bits = 1; bits <= kMaxBits; ++bits)
            if (count[bits]) bits_ = bits;
        table_.assign(size_t{1} << bits_, 0);
        for (int s = 0; s < symbols; ++s) {
            const int length = lengths[s];
            if (length == 0) continue;
            // Codes are sent from their top bit: reverse them for a reader
            // that takes the lowest bit first.
            uint32_t code = static_cast<uint32_t>(next[length]++), reversed = 0;
            for (int i = 0; i < length; ++i, code >>= 1) reversed = (reversed << 1) | (code & 1);
            const auto entry = static_cast<uint16_t>((s << 4) | length);
            for (uint32_t i = reversed; i < table_.size(); i += 1u << length) table_[i] = entry;
        }
        return true;
    }
    // The next symbol, or -1 where the code has none.
    int Decode(BitReader& in) const {
        const uint16_t entry = table_[in.Peek(bits_)];
        const int length = entry & 15;
        if (length == 0) return -1;
        in.Skip(length);
        return entry >> 4;
    }

private:
    std::vector<uint16_t> table_;
    int bits_ = 0;
};

constexpr std::array<uint16_t, 29> kLengthBase{3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                               31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<uint8_t, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                               2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<uint16_t, 30> kDistanceBase{1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                                 33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                                 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<uint8_t, 30> kDistanceExtra{0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// The code lengths of a dynamic block, read through their own code.
bool ReadDynamicCodes(BitReader& in, Huffman& literals, Huffman& distances) {
    const int literalCount = static_cast<int>(in.Take(5)) + 257;
    const int distanceCount = static_cast<int>(in.Take(5)) + 1;
    const int lengthCodeCount = static_cast<int>(in.Take(4)) + 4;
    if (literalCount > 286 || distanceCount > 30) return false;
    static constexpr std::array<uint8_t, 19> kOrder{16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    std::array<uint8_t, 19> lengthLengths{};
    for (int i = 0; i < lengthCodeCount; ++i) lengthLengths[kOrder[i]] = static_cast<uint8_t>(in.Take(3));
    Huffman lengthCode;
    if (!lengthCode.Build(lengthLengths.data(), 19)) return false;
    std::array<uint8_t, 286 + 30> lengths{};
    for (int i = 0; i < literalCount + distanceCount;) {
        const int symbol = lengthCode.Decode(in);
        if (symbol < 0 || in.Overran()) return false;
        if (symbol < 16) {
            lengths[i++] = static_cast<uint8_t>(symbol);
            continue;
        }
        uint8_t value = 0;
        int repeat = 0;
        if (symbol == 16) {
            if (i == 0) return false;
            value = lengths[i - 1];
            repeat = 3 + static_cast<int>(in.Take(2));
        } else if (symbol == 17) {
            repeat = 3 + static_cast<int>(in.Take(3));
        } else {
            repeat = 11 + static_cast<int>(in.Take(7));
        }
        if (i + repeat > literalCount + distanceCount) return false;
        std::fill_n(lengths.begin() + i, repeat, value);
        i += repeat;
    }
    if (lengths[256] == 0) return false;  // no end of block
    return literals.Build(lengths.data(), literalCount) &&
           distances.Build(lengths.data() + literalCount, distanceCount);
}

void FixedCodes(Huffman& literals, Huffman& distances) {
    std::array<uint8_t, 288> lengths{};
    std::fill(lengths.begin(), lengths.begin() + 144, 8);
    std::fill(lengths.begin() + 144, lengths.begin() + 256, 9);
    std::fill(lengths.begin() + 256, lengths.begin() + 280, 7);
    std::fill(lengths.begin() + 280, lengths.end(), 8);
    literals.Build(lengths.data(), 288);
    std::array<uint8_t, 30> distance{};
    distance.fill(5);
    distances.Build(distance.data(), 30);
}

// The inflated bytes so far, in a buffer made as large as they may become.
struct Output {
    uint8_t* data;
    size_t size;
    size_t capacity;
};

bool InflateBlocks(BitReader& in, Output& out) {
    Huffman literals, distances;
    for (bool last = false; !last;) {
        last = in.Take(1) != 0;
        const uint32_t type = in.Take(2);
        if (type == 0) {
            in.Align();
            const size_t at = in.Position();
            const auto data = in.Data();
            if (at + 4 > data.size()) return false;
            const size_t length = data[at] | (data[at + 1] << 8);
            const size_t inverse = data[at + 2] | (data[at + 3] << 8);
            if ((length ^ 0xFFFF) != inverse || at + 4 + length > data.size() || length > out.capacity - out.size)
                return false;
            std::copy_n(data.data() + at + 4, length, out.data + out.size);
            out.size += length;
            in.Seek(at + 4 + length);
            continue;
        }
        if (type == 1) {
            FixedCodes(literals, distances);
        } else if (type != 2 || !ReadDynamicCodes(in, literals, distances)) {
            return false;
        }
        for (;;) {
            const int symbol = literals.Decode(in);
            if (symbol < 0 || in.Overran()) return false;
            if (symbol < 256) {
                if (out.size == out.capacity) return false;
                out.data[out.size++] = static_cast<uint8_t>(symbol);
                continue;
            }
            if (symbol == 256) break;
            const int lengthIndex = symbol - 257;
            if (lengthIndex >= static_cast<int>(kLengthBase.size())) return false;
            const size_t length = kLengthBase[lengthIndex] + in.Take(kLengthExtra[lengthIndex]);
            const int distanceIndex = distances.Decode(in);
            if (distanceIndex < 0 || distanceIndex >= static_cast<int>(kDistanceBase.size())) return false;
            const size_t distance = kDistanceBase[distanceIndex] + in.Take(kDistanceExtra[distanceIndex]);
            if (in.Overran() || distance > out.size || length > out.capacity - out.size) return false;
            uint8_t* to = out.data + out.size;
            const uint8_t* from = to - distance;
            if (distance >= length) {
                std::copy_n(from, length, to);
            } else {
                // Byte by byte: the copy repeats what it makes.
                for (size_t i = 0; i < length; ++i) to[i] = from[i];
            }
            out.size += length;
        }
    }
    return !in.Overran();
}

uint32_t Adler32(std::span<const uint8_t> data) {
    uint32_t a = 1, b = 0;
    for (size_t i = 0; i < data.size();) {
        // 5552 bytes keep b below 2^32 between reductions.
        const size_t end = std::min(data.size(), i + 5552);
        for (; i < end; ++i) {
            a += data[i];
            b += a;
        }
        a %= 65521;
        b %= 65521;
    }
    return (b << 16) | a;
}

uint32_t BigEndian(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

int Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// Undoes each row's filter in place; false for an unknown filter. The first
// pixel of a row has nothing to its left, the first row nothing above.
bool Unfilter(std::vector<uint8_t>& data, size_t rowBytes, int height, size_t pixelBytes) {
    const size_t stride = rowBytes + 1;
    const std::vector<uint8_t> zeros(rowBytes, 0);
    for (int y = 0; y < height; ++y) {
        uint8_t* line = data.data() + static_cast<size_t>(y) * stride + 1;
        const uint8_t* up = y > 0 ? line - stride : zeros.data();
        const size_t first = std::min(pixelBytes, rowBytes);
        switch (line[-1]) {
            case 0: break;
            case 1:
                for (size_t x = first; x < rowBytes; ++x)
                    line[x] = static_cast<uint8_t>(line[x] + line[x - pixelBytes]);
                break;
            case 2:
                for (size_t x = 0; x < rowBytes; ++x) line[x] = static_cast<uint8_t>(line[x] + up[x]);
                break;
            case 3:
                for (size_t x = 0; x < first; ++x) line[x] = static_cast<uint8_t>(line[x] + up[x] / 2);
                for (size_t x = first; x < rowBytes; ++x)
                    line[x] = static_cast<uint8_t>(line[x] + (line[x - pixelBytes] + up[x]) / 2);
                break;
            case 4:
                for (size_t x = 0; x < first; ++x) line[x] = static_cast<uint8_t>(line[x] + up[x]);
                for (size_t x = first; x < rowBytes; ++x)
                    line[x] = static_cast<uint8_t>(line[x] + Paeth(line[x - pixelBytes], up[x], up[x - pixelBytes]));
                break;
            default: return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::vector<uint8_t>> Inflate(std::span<const uint8_t> zlib, size_t limit) {
    if (zlib.size() < 6) return std::nullopt;
    const uint8_t method = zlib[0], flags = zlib[1];
    const bool deflate = (method & 15) == 8 && (method >> 4) <= 7;
    const bool dictionary = (flags & 0x20) != 0;
    if (!deflate || dictionary || ((method << 8) | flags) % 31 != 0) return std::nullopt;
    try {
        // Deflate packs at most 1032 bytes into one: no more can come.
        std::vector<uint8_t> bytes(std::min(limit, zlib.size() * 1032));
        Output out{bytes.data(), 0, bytes.size()};
        BitReader in(zlib.subspan(2));
        if (!InflateBlocks(in, out)) return std::nullopt;
        bytes.resize(out.size);
        in.Align();
        const size_t end = 2 + in.Position();
        if (end + 4 > zlib.size() || BigEndian(zlib.data() + end) != Adler32(bytes)) return std::nullopt;
        return bytes;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<Bitmap> Decode(std::span<const uint8_t> data) {
    static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (data.size() < 8 || !std::equal(kSignature, kSignature + 8, data.begin())) return std::nullopt;
    uint32_t width = 0, height = 0;
    int pixelBytes = 0;
    std::vector<uint8_t> compressed;
    bool ended = false;
    try {
        for (size_t at = 8; !ended;) {
            if (at + 12 > data.size()) return std::nullopt;
            const uint32_t length = BigEndian(data.data() + at);
            const uint8_t* type = data.data() + at + 4;
            if (length > data.size() - at - 12) return std::nullopt;
            const std::span<const uint8_t> body = data.subspan(at + 8, length);
            const auto is = [type](const char* name) { return std::equal(name, name + 4, type); };
            if (is("IHDR")) {
                if (length != 13) return std::nullopt;
                width = BigEndian(body.data());
                height = BigEndian(body.data() + 4);
                const uint8_t depth = body[8], colour = body[9];
                const bool plain = body[10] == 0 && body[11] == 0 && body[12] == 0;  // no interlace
                if (depth != 8 || (colour != 2 && colour != 6) || !plain) return std::nullopt;
                pixelBytes = colour == 2 ? 3 : 4;
            } else if (is("IDAT")) {
                if (pixelBytes == 0) return std::nullopt;
                compressed.insert(compressed.end(), body.begin(), body.end());
            } else if (is("PLTE")) {
                // A suggested palette, of no use to a picture in true colour.
            } else if (is("IEND")) {
                ended = true;
            } else if ((type[0] & 0x20) == 0) {
                return std::nullopt;  // a chunk the picture cannot be shown without
            }
            at += 12 + length;
        }
        // Within what a screen could show (2^25 pixels), so no size below overflows.
        if (width == 0 || height == 0 || width > (1u << 25) / height) return std::nullopt;
        const size_t rowBytes = size_t{width} * static_cast<size_t>(pixelBytes);
        const size_t expected = (rowBytes + 1) * height;
        std::optional<std::vector<uint8_t>> raw = Inflate(compressed, expected);
        if (!raw || raw->size() != expected) return std::nullopt;
        if (!Unfilter(*raw, rowBytes, static_cast<int>(height), static_cast<size_t>(pixelBytes))) return std::nullopt;
        Bitmap bitmap(static_cast<int>(width), static_cast<int>(height));
        for (uint32_t y = 0; y < height; ++y) {
            const uint8_t* p = raw->data() + y * (rowBytes + 1) + 1;
            for (uint32_t x = 0; x < width; ++x, p += pixelBytes) {
                const uint32_t alpha = pixelBytes == 4 ? p[3] : 0xFF;
                bitmap.pixels[size_t{y} * width + x] = (alpha << 24) | (uint32_t{p[0]} << 16) | (p[1] << 8) | p[2];
            }
        }
        return bitmap;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace quorvel::png
