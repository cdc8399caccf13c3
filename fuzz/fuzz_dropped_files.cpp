// The dropped file list, read from raw bytes as another program may hand it
// over: the reader stays within the block; every path is non-empty and holds
// no zero; the paths, each followed by a zero, are the start of the list's
// text (a wide list read as little-endian UTF-16, a narrow one through the
// converter, here byte for byte); a block too small or an offset outside it
// gives no path.
#include <cstdint>
#include <span>

#include "fuzz_support.h"
#include "platform/dropped_files.h"

namespace {

using namespace quorvel;
using namespace quorvel::fuzz;

std::u16string Latin1(std::string_view bytes) {
    std::u16string out;
    for (char c : bytes) out += static_cast<char16_t>(static_cast<uint8_t>(c));
    return out;
}

uint32_t Le32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact copy, so that the sanitizer sees any read past the block.
    std::vector<uint8_t> block(data, data + size);
    const auto paths = ReadDroppedFileList(std::span<const uint8_t>(block), Latin1);
    if (size < 20 || Le32(data) < 20 || Le32(data) >= size) {
        QUORVEL_REQUIRE(paths.empty(), "a block without a list gave paths");
        return 0;
    }
    const size_t offset = Le32(data);
    const bool wide = Le32(data + 16) != 0;
    std::u16string text;
    if (wide) {
        for (size_t i = offset; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    } else {
        text = Latin1(std::string_view(reinterpret_cast<const char*>(data + offset), size - offset));
    }
    std::u16string joined;
    for (const std::u16string& path : paths) {
        QUORVEL_REQUIRE(!path.empty(), "an empty path");
        QUORVEL_REQUIRE(path.find(u'\0') == std::u16string::npos, "a path holding a zero");
        joined += path;
        joined += u'\0';
    }
    // The last path may end at the block's end, without its zero.
    const size_t compared = std::min(joined.size(), text.size());
    QUORVEL_REQUIRE(joined.size() <= text.size() + 1, "more text than the list holds");
    QUORVEL_REQUIRE(joined.compare(0, compared, text, 0, compared) == 0, "paths that are not the list's text");
    // The reading stops at the first empty path: what follows the paths is a
    // zero, or the end.
    QUORVEL_REQUIRE(joined.size() >= text.size() || text[joined.size()] == u'\0', "a path was left out");
    return 0;
}
