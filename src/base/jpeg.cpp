#include "base/jpeg.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace quorvel::jpeg {

namespace {

constexpr uint8_t kZigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
                                 41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
                                 30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// At most this many pixels decoded (an 8K screen, four times over): a
// picture behind the lock needs no more, and a forged header may not ask for
// gigabytes.
constexpr uint64_t kMaxPixels = uint64_t{1} << 25;

// Where the data ends early: as other decoders show what they could not read.
constexpr uint32_t kGrey = 0xFF808080;

// The data, a buffer at a time.
class Input {
public:
    explicit Input(const ReadFn& read) : read_(read) {}

    // The next byte; -1 at the end.
    int Byte() {
        if (at_ == size_) {
            if (ended_) return -1;
            size_ = read_(buffer_.data(), buffer_.size());
            at_ = 0;
            if (size_ == 0 || size_ > buffer_.size()) {
                size_ = 0;
                ended_ = true;
                return -1;
            }
        }
        return buffer_[at_++];
    }
    // A big-endian 16-bit number; -1 at the end.
    int Word() {
        const int high = Byte();
        const int low = Byte();
        return high < 0 || low < 0 ? -1 : high << 8 | low;
    }
    bool Skip(int count) {
        for (int i = 0; i < count; ++i)
            if (Byte() < 0) return false;
        return true;
    }

private:
    const ReadFn& read_;
    std::array<uint8_t, 65536> buffer_;  // filled before it is read
    size_t at_ = 0;
    size_t size_ = 0;
    bool ended_ = false;
};

struct Huffman {
    // Canonical codes by length: the largest code of each length (-1: none)
    // and where its symbols start.
    std::array<int32_t, 18> maxCode{};
    std::array<int32_t, 17> offset{};
    std::array<uint8_t, 256> symbols{};
    // The first 9 bits of the stream: code length (0: longer) and symbol.
    std::array<uint8_t, 512> fastLength{};
    std::array<uint8_t, 512> fastSymbol{};
    bool defined = false;

    bool Build(const std::array<uint8_t, 17>& counts, int total) {
        int code = 0, k = 0;
        fastLength.fill(0);
        for (int length = 1; length <= 16; ++length) {
            offset[length] = k - code;
            for (int i = 0; i < counts[length]; ++i, ++k, ++code) {
                if (code >= (1 << length)) return false;  // more codes than the length holds
                if (length <= 9) {
                    const int shift = 9 - length;
                    for (int fill = 0; fill < (1 << shift); ++fill) {
                        fastLength[(code << shift) | fill] = static_cast<uint8_t>(length);
                        fastSymbol[(code << shift) | fill] = symbols[k];
                    }
                }
            }
            maxCode[length] = counts[length] ? code - 1 : -1;
            code <<= 1;
        }
        maxCode[17] = INT32_MAX;
        defined = k == total;
        return defined;
    }
};

struct Component {
    int id = 0;
    int h = 1, v = 1;
    int quant = 0;
    int dcTable = 0, acTable = 0;
    int predictor = 0;
    // Samples per block across and down: fewer than 8 at a reduction, but
    // more for a component subsampled both ways (a 4:2:0 chroma block at 1/2
    // gives all 8), so that less is stretched.
    int nx = 8, ny = 8;
    std::vector<uint8_t> samples;  // one MCU's blocks
};

// The bits of the entropy-coded data, with stuffed bytes taken out; a marker
// ends them (zeros follow) until the decoder moves past it.
class Bits {
public:
    // restarts: whether the scan has restart intervals, so that an RSTn
    // marker only pauses the data.
    Bits(Input& in, bool restarts) : in_(in), restarts_(restarts) {}

    int Bit() {
        if (count_ == 0) Fill();
        --count_;
        return (bits_ >> count_) & 1;
    }
    int Get(int n) {
        int value = 0;
        for (int i = 0; i < n; ++i) value = (value << 1) | Bit();
        return value;
    }
    // The next 9 bits without taking them.
    int Peek9() {
        while (count_ < 9) Fill();
        return static_cast<int>((bits_ >> (count_ - 9)) & 0x1FF);
    }
    void Take(int n) { count_ -= n; }

    int Decode(const Huffman& table) {
        const int peek = Peek9();
        if (const int length = table.fastLength[peek]) {
            Take(length);
            return table.fastSymbol[peek];
        }
        int code = 0;
        for (int length = 1; length <= 16; ++length) {
            code = (code << 1) | Bit();
            if (code <= table.maxCode[length]) {
                const int at = table.offset[length] + code;
                return at >= 0 && at < 256 ? table.symbols[at] : -1;
            }
        }
        return -1;  // no such code: damaged data
    }

    // The value of an s-bit difference (the sign is in its first bit).
    int Extend(int s) {
        if (s == 0) return 0;
        const int value = Get(s);
        return value < (1 << (s - 1)) ? value - (1 << s) + 1 : value;
    }

    // A marker other than a restart has ended the scan's data, or the data
    // itself ended: nothing more to read.
    bool Ended() const { return marker_ >= 0 && !(restarts_ && marker_ >= 0xD0 && marker_ <= 0xD7); }

    // At a restart: drops the bits left and moves past the RSTn marker.
    void Restart() {
        count_ = 0;
        bits_ = 0;
        if (marker_ < 0) {
            // Not met yet: look for it (damaged data may have ended early).
            for (int b = in_.Byte(); b >= 0; b = in_.Byte()) {
                if (b != 0xFF) continue;
                int next = in_.Byte();
                while (next == 0xFF) next = in_.Byte();
                if (next >= 0xD0 && next <= 0xD7) break;
                if (next != 0 && next >= 0) {
                    marker_ = next;
                    return;  // some other marker: the scan is over
                }
            }
            return;
        }
        if (marker_ >= 0xD0 && marker_ <= 0xD7) marker_ = -1;
    }

private:
    void Fill() {
        int byte = 0;
        if (marker_ < 0) {
            const int b = in_.Byte();
            if (b == 0xFF) {
                int next = in_.Byte();
                while (next == 0xFF) next = in_.Byte();
                if (next == 0)
                    byte = 0xFF;
                else
                    marker_ = next < 0 ? 0x100 : next;  // 0x100: the data ended
            } else if (b >= 0) {
                byte = b;
            } else {
                marker_ = 0x100;
            }
        }
        bits_ = (bits_ << 8) | static_cast<uint32_t>(byte);
        count_ += 8;
    }

    Input& in_;
    bool restarts_;
    uint64_t bits_ = 0;
    int count_ = 0;
    int marker_ = -1;
};

class Decoder {
public:
    explicit Decoder(const ReadFn& read) : in_(read) {}

    // Reads the segments up to the first scan's header.
    bool ReadHeader() {
        if (in_.Byte() != 0xFF || in_.Byte() != 0xD8) return false;
        for (;;) {
            int b = in_.Byte();
            if (b != 0xFF) return false;
            while (b == 0xFF) b = in_.Byte();
            if (b < 0) return false;
            const int marker = b;
            const int length = in_.Word();
            if (length < 2) return false;
            const int body = length - 2;
            switch (marker) {
                case 0xC0:
                case 0xC1:
                    if (!ReadFrame(body)) return false;
                    break;
                case 0xC4:
                    if (!ReadHuffman(body)) return false;
                    break;
                case 0xDB:
                    if (!ReadQuantisation(body)) return false;
                    break;
                case 0xDD:
                    if (body != 2) return false;
                    restartInterval_ = in_.Word();
                    if (restartInterval_ < 0) return false;
                    break;
                case 0xEE:
                    if (!ReadAdobe(body)) return false;
                    break;
                case 0xDA: return ReadScan(body);
                default:
                    // Other frame kinds (progressive, lossless, arithmetic
                    // coding, hierarchical) are not decoded here.
                    if ((marker >= 0xC2 && marker <= 0xCF) || marker == 0xD8 || marker == 0xD9) return false;
                    if (!in_.Skip(body)) return false;
            }
        }
    }

    Size PictureSize() const { return {width_, height_}; }

    // The rows of the picture at 1/reduction, in bands of one MCU's height,
    // top to bottom, each handed to the sink while the next is decoded.
    // Data that ends or breaks inside the scan leaves the rest grey.
    using BandFn = std::function<void(const uint32_t* rows, int top, int count)>;
    bool DecodeScan(int reduction, const BandFn& sink) {
        const int n = 8 / reduction;
        const Size out = OutSize(reduction);
        if (uint64_t{static_cast<uint32_t>(out.width)} * static_cast<uint32_t>(out.height) > kMaxPixels) return false;

        // One MCU is hMax x vMax blocks of the largest component (a single
        // component alone is one block).
        const bool single = components_.size() == 1;
        int hMax = 1, vMax = 1;
        for (const Component& c : components_) {
            hMax = std::max(hMax, c.h);
            vMax = std::max(vMax, c.v);
        }
        if (single) hMax = vMax = 1;
        const int mcuPixelsX = 8 * hMax, mcuPixelsY = 8 * vMax;
        const int mcusX = (width_ + mcuPixelsX - 1) / mcuPixelsX;
        const int mcusY = (height_ + mcuPixelsY - 1) / mcuPixelsY;
        for (Component& c : components_) {
            const int h = single ? 1 : c.h, v = single ? 1 : c.v;
            // Doubled while the component is subsampled by twice as much
            // both across and down (libjpeg's choice: square blocks).
            int size = n;
            while (size < 8 && hMax % (h * (size / n) * 2) == 0 && vMax % (v * (size / n) * 2) == 0) size *= 2;
            c.nx = c.ny = size;
            c.samples.assign(static_cast<size_t>(h * c.nx) * (v * c.ny), 128);
        }

        const int bandRows = vMax * n;
        std::vector<uint32_t> band(static_cast<size_t>(out.width) * bandRows);
        Bits bits(in_, restartInterval_ > 0);
        std::array<int32_t, 64> coefficients{};
        int untilRestart = restartInterval_;
        bool stopped = false;
        for (int my = 0; my < mcusY; ++my) {
            std::fill(band.begin(), band.end(), kGrey);
            for (int mx = 0; mx < mcusX && !stopped; ++mx) {
                if (restartInterval_ > 0) {
                    if (untilRestart == 0) {
                        bits.Restart();
                        for (Component& c : components_) c.predictor = 0;
                        untilRestart = restartInterval_;
                    }
                    --untilRestart;
                }
                for (Component& c : components_) {
                    const int h = single ? 1 : c.h, v = single ? 1 : c.v;
                    for (int by = 0; by < v && !stopped; ++by) {
                        for (int bx = 0; bx < h && !stopped; ++bx) {
                            stopped = !DecodeBlock(bits, c, coefficients);  // damaged: what was read
                            if (!stopped)
                                Transform(coefficients, c.nx, c.ny,
                                          &c.samples[static_cast<size_t>(by * c.ny) * (h * c.nx) + bx * c.nx],
                                          h * c.nx);
                        }
                    }
                }
                if (stopped) break;
                Emit(band.data(), out, mx, my, n, hMax, vMax, single);
                stopped = bits.Ended();  // the rest stays grey
            }
            const int top = my * bandRows;
            sink(band.data(), top, std::min(bandRows, out.height - top));
        }
        return true;
    }

    Size OutSize(int reduction) const {
        return {(width_ + reduction - 1) / reduction, (height_ + reduction - 1) / reduction};
    }

private:
    bool ReadFrame(int body) {
        if (width_ != 0 || body < 6) return false;
        if (in_.Byte() != 8) return false;  // 8-bit samples only
        height_ = in_.Word();
        width_ = in_.Word();
        const int count = in_.Byte();
        if (height_ <= 0 || width_ <= 0 || (count != 1 && count != 3) || body != 6 + 3 * count) return false;
        for (int i = 0; i < count; ++i) {
            Component c;
            c.id = in_.Byte();
            const int factors = in_.Byte();
            c.h = factors >> 4;
            c.v = factors & 15;
            c.quant = in_.Byte();
            if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4 || c.quant < 0 || c.quant > 3) return false;
            components_.push_back(c);
        }
        return true;
    }

    bool ReadHuffman(int body) {
        while (body > 0) {
            const int kind = in_.Byte();
            if (kind < 0 || (kind >> 4) > 1 || (kind & 15) > 3 || body < 17) return false;
            std::array<uint8_t, 17> counts{};
            int total = 0;
            for (int length = 1; length <= 16; ++length) {
                const int count = in_.Byte();
                if (count < 0) return false;
                counts[length] = static_cast<uint8_t>(count);
                total += count;
            }
            body -= 17;
            if (total > 256 || body < total) return false;
            Huffman& table = (kind >> 4) ? ac_[kind & 15] : dc_[kind & 15];
            for (int i = 0; i < total; ++i) {
                const int symbol = in_.Byte();
                if (symbol < 0) return false;
                table.symbols[i] = static_cast<uint8_t>(symbol);
            }
            body -= total;
            if (!table.Build(counts, total)) return false;
        }
        return body == 0;
    }

    bool ReadQuantisation(int body) {
        while (body > 0) {
            const int kind = in_.Byte();
            if (kind < 0 || (kind & 15) > 3 || (kind >> 4) > 1) return false;
            const bool wide = (kind >> 4) == 1;
            const int size = 1 + 64 * (wide ? 2 : 1);
            if (body < size) return false;
            for (int i = 0; i < 64; ++i) {
                const int value = wide ? in_.Word() : in_.Byte();
                if (value < 0) return false;
                quant_[kind & 15][i] = static_cast<uint16_t>(value);  // in zigzag order
            }
            quantDefined_[kind & 15] = true;
            body -= size;
        }
        return body == 0;
    }

    bool ReadAdobe(int body) {
        std::array<int, 12> bytes{};
        for (int i = 0; i < body; ++i) {
            const int b = in_.Byte();
            if (b < 0) return false;
            if (i < 12) bytes[i] = b;
        }
        // "Adobe", version, flags, then the colour transform: 0 for RGB.
        if (body >= 12 && bytes[0] == 'A' && bytes[1] == 'd' && bytes[2] == 'o' && bytes[3] == 'b' && bytes[4] == 'e')
            adobeTransform_ = bytes[11];
        return true;
    }

    bool ReadScan(int body) {
        if (width_ == 0) return false;
        const int count = in_.Byte();
        // All components in the first scan: separate scans per component
        // would need every coefficient kept until the last.
        if (count != static_cast<int>(components_.size()) || body != 4 + 2 * count) return false;
        for (int i = 0; i < count; ++i) {
            const int id = in_.Byte();
            const int tables = in_.Byte();
            Component& c = components_[i];
            if (c.id != id || (tables >> 4) > 3 || (tables & 15) > 3) return false;
            c.dcTable = tables >> 4;
            c.acTable = tables & 15;
            if (!dc_[c.dcTable].defined || !ac_[c.acTable].defined || !quantDefined_[c.quant]) return false;
        }
        const int start = in_.Byte(), end = in_.Byte(), approximation = in_.Byte();
        return start == 0 && end == 63 && approximation == 0;
    }

    bool DecodeBlock(Bits& bits, Component& c, std::array<int32_t, 64>& out) {
        out.fill(0);
        const uint16_t* q = quant_[c.quant].data();
        const int s = bits.Decode(dc_[c.dcTable]);
        if (s < 0 || s > 15) return false;
        // Bounded so that no damaged data can overflow it; real ones stay
        // far within.
        c.predictor = std::clamp(c.predictor + bits.Extend(s), -32767, 32767);
        out[0] = c.predictor * q[0];
        for (int k = 1; k < 64;) {
            const int rs = bits.Decode(ac_[c.acTable]);
            if (rs < 0) return false;
            const int run = rs >> 4, size = rs & 15;
            if (size == 0) {
                if (run != 15) break;  // end of block
                k += 16;
                continue;
            }
            k += run;
            if (k > 63) return false;
            const int value = bits.Extend(size);
            out[kZigzag[k]] = value * q[k];
            ++k;
        }
        return true;
    }

    // The weights that give m samples from the 8 frequencies of a block:
    // C(u)/2 cos((2x+1)uπ/16) at the centre x of each group of 8/m pixels,
    // times the mean of that frequency over the group, so that a reduced
    // block is the full one averaged in groups.
    static const std::array<float, 64>& Weights(int m) {
        static const auto tables = [] {
            std::array<std::array<float, 64>, 9> t{};
            for (int size : {1, 2, 4, 8}) {
                const int group = 8 / size;
                for (int i = 0; i < size; ++i) {
                    for (int u = 0; u < 8; ++u) {
                        const double mean = u == 0 ? 1.0
                                                   : std::sin(group * u * std::numbers::pi / 16) /
                                                         (group * std::sin(u * std::numbers::pi / 16));
                        t[size][i * 8 + u] =
                            static_cast<float>((u == 0 ? std::numbers::sqrt2 / 2 : 1.0) *
                                               std::cos((2 * i + 1) * group * u * std::numbers::pi / 16) / 2 * mean);
                    }
                }
            }
            return t;
        }();
        return tables[m];
    }

    // The block's nx x ny samples.
    static void Transform(const std::array<int32_t, 64>& in, int nx, int ny, uint8_t* out, int stride) {
        const std::array<float, 64>& across = Weights(nx);
        const std::array<float, 64>& down = Weights(ny);
        std::array<float, 64> rows{};  // [v][i]: the horizontal pass
        for (int v = 0; v < 8; ++v)
            for (int i = 0; i < nx; ++i) {
                float sum = 0;
                for (int u = 0; u < 8; ++u) sum += across[i * 8 + u] * static_cast<float>(in[v * 8 + u]);
                rows[v * 8 + i] = sum;
            }
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i) {
                float sum = 128.0f;
                for (int v = 0; v < 8; ++v) sum += down[j * 8 + v] * rows[v * 8 + i];
                out[j * stride + i] = static_cast<uint8_t>(std::lround(std::clamp(sum, 0.0f, 255.0f)));
            }
    }

    // The MCU's pixels into its band of the picture, each component's sample nearest to
    // the pixel (chroma of fewer samples spreads over its pixels).
    void Emit(uint32_t* band, Size out, int mx, int my, int n, int hMax, int vMax, bool single) {
        const int left = mx * hMax * n, top = my * vMax * n;
        const int w = std::min(hMax * n, out.width - left), h = std::min(vMax * n, out.height - top);
        const bool rgb = adobeTransform_ == 0;
        for (int y = 0; y < h; ++y) {
            uint32_t* row = &band[static_cast<size_t>(y) * out.width + left];
            for (int x = 0; x < w; ++x) {
                int value[3] = {0, 0, 0};
                for (size_t k = 0; k < components_.size(); ++k) {
                    const Component& c = components_[k];
                    const int across = (single ? 1 : c.h) * c.nx, down = (single ? 1 : c.v) * c.ny;
                    const int sx = x * across / (hMax * n), sy = y * down / (vMax * n);
                    value[k] = c.samples[static_cast<size_t>(sy) * across + sx];
                }
                int r, g, b;
                if (components_.size() == 1) {
                    r = g = b = value[0];
                } else if (rgb) {
                    r = value[0], g = value[1], b = value[2];
                } else {
                    const float yy = static_cast<float>(value[0]);
                    const float cb = static_cast<float>(value[1] - 128), cr = static_cast<float>(value[2] - 128);
                    r = static_cast<int>(std::lround(yy + 1.402f * cr));
                    g = static_cast<int>(std::lround(yy - 0.344136f * cb - 0.714136f * cr));
                    b = static_cast<int>(std::lround(yy + 1.772f * cb));
                }
                const auto byte = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
                row[x] = 0xFF000000u | byte(r) << 16 | byte(g) << 8 | byte(b);
            }
        }
    }

    Input in_;
    int width_ = 0, height_ = 0;
    int restartInterval_ = 0;
    int adobeTransform_ = -1;
    std::vector<Component> components_;
    std::array<Huffman, 4> dc_{}, ac_{};
    std::array<std::array<uint16_t, 64>, 4> quant_{};
    std::array<bool, 4> quantDefined_{};
};

}  // namespace

std::optional<Size> ReadSize(const ReadFn& read) {
    auto decoder = std::make_unique<Decoder>(read);
    if (!decoder->ReadHeader()) return std::nullopt;
    return decoder->PictureSize();
}

namespace {

// Bilinear scaling fed with the source's rows in order, a band at a time:
// each output row is made as soon as the two source rows it lies between
// have come.
class RowScaler {
public:
    RowScaler(int fromWidth, int fromHeight, int width, int height)
        : from_{fromWidth, fromHeight}, out_(std::max(width, 1), std::max(height, 1)), xs_(out_.width) {
        for (int x = 0; x < out_.width; ++x) xs_[x] = Position(x, from_.width, out_.width);
    }

    void Take(const uint32_t* rows, int top, int count) {
        for (; next_ < out_.height; ++next_) {
            const int64_t py = Position(next_, from_.height, out_.height);
            const int y0 = static_cast<int>(py >> 8), y1 = std::min(y0 + 1, from_.height - 1);
            if (y1 >= top + count) break;
            const auto row = [&](int y) {
                return y >= top ? rows + static_cast<size_t>(y - top) * from_.width : previous_.data();
            };
            Row(row(y0), row(y1), static_cast<uint32_t>(py & 255), &out_.At(0, next_));
        }
        previous_.assign(rows + static_cast<size_t>(count - 1) * from_.width,
                         rows + static_cast<size_t>(count) * from_.width);
    }

    Bitmap Result() && { return std::move(out_); }

private:
    // Source positions of the pixel centres, in 1/256 of a pixel.
    static int64_t Position(int i, int from, int to) {
        const int64_t p = ((2 * int64_t{i} + 1) * from * 256) / (2 * int64_t{to}) - 128;
        return std::clamp<int64_t>(p, 0, int64_t{from - 1} * 256);
    }

    void Row(const uint32_t* above, const uint32_t* below, uint32_t fy, uint32_t* out) const {
        for (int x = 0; x < out_.width; ++x) {
            const int x0 = static_cast<int>(xs_[x] >> 8), x1 = std::min(x0 + 1, from_.width - 1);
            const uint32_t fx = static_cast<uint32_t>(xs_[x] & 255);
            const uint32_t a = above[x0], b = above[x1], c = below[x0], d = below[x1];
            uint32_t pixel = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                const uint32_t top = ((a >> shift) & 255) * (256 - fx) + ((b >> shift) & 255) * fx;
                const uint32_t bottom = ((c >> shift) & 255) * (256 - fx) + ((d >> shift) & 255) * fx;
                pixel |= ((top * (256 - fy) + bottom * fy + (1u << 15)) >> 16) << shift;
            }
            out[x] = pixel;
        }
    }

    Size from_;
    Bitmap out_;
    std::vector<int64_t> xs_;
    std::vector<uint32_t> previous_;
    int next_ = 0;
};

// The decoder past its headers, or nothing.
std::unique_ptr<Decoder> Open(const ReadFn& read, int reduction) {
    if (reduction != 1 && reduction != 2 && reduction != 4 && reduction != 8) return nullptr;
    auto decoder = std::make_unique<Decoder>(read);
    if (!decoder->ReadHeader()) return nullptr;
    return decoder;
}

}  // namespace

std::optional<Bitmap> Decode(const ReadFn& read, int reduction) {
    const auto decoder = Open(read, reduction);
    if (!decoder) return std::nullopt;
    try {
        const Size size = decoder->OutSize(reduction);
        Bitmap out;
        const bool decoded = decoder->DecodeScan(reduction, [&](const uint32_t* rows, int top, int count) {
            if (out.Empty()) out = Bitmap(size.width, size.height);
            std::copy_n(rows, static_cast<size_t>(count) * size.width, &out.At(0, top));
        });
        if (!decoded) return std::nullopt;
        return out;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<Bitmap> DecodeScaled(const ReadFn& read, int reduction, int width, int height) {
    const auto decoder = Open(read, reduction);
    if (!decoder) return std::nullopt;
    try {
        const Size size = decoder->OutSize(reduction);
        RowScaler scaler(size.width, size.height, width, height);
        if (!decoder->DecodeScan(
                reduction, [&scaler](const uint32_t* rows, int top, int count) { scaler.Take(rows, top, count); }))
            return std::nullopt;
        return std::move(scaler).Result();
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

int ReductionFor(Size picture, int width, int height) {
    for (int reduction : {8, 4, 2}) {
        if ((picture.width + reduction - 1) / reduction >= width &&
            (picture.height + reduction - 1) / reduction >= height)
            return reduction;
    }
    return 1;
}

Bitmap ScaleBilinear(const Bitmap& source, int width, int height) {
    RowScaler scaler(source.width, source.height, width, height);
    if (!source.Empty()) scaler.Take(source.pixels.data(), 0, source.height);
    return std::move(scaler).Result();
}

}  // namespace quorvel::jpeg
