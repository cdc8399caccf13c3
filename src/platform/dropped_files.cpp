#include "platform/dropped_files.h"

#include <algorithm>

namespace quorvel {

namespace {
constexpr size_t kHeaderSize = 20;

uint32_t ReadLe32(std::span<const uint8_t> block, size_t at) {
    return uint32_t{block[at]} | uint32_t{block[at + 1]} << 8 | uint32_t{block[at + 2]} << 16 |
           uint32_t{block[at + 3]} << 24;
}
}  // namespace

std::vector<std::u16string> ReadDroppedFileList(std::span<const uint8_t> block, const NarrowToUtf16& narrow) {
    std::vector<std::u16string> paths;
    if (block.size() < kHeaderSize) return paths;
    const uint32_t offset = ReadLe32(block, 0);
    const bool wide = ReadLe32(block, 16) != 0;
    if (offset < kHeaderSize || offset >= block.size()) return paths;
    const std::span<const uint8_t> list = block.subspan(offset);
    std::u16string text;
    if (wide) {
        text.resize(list.size() / 2);
        for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(list[2 * i] | list[2 * i + 1] << 8);
    } else if (narrow) {
        // Converted whole: the zeros between the paths stay zeros.
        text = narrow(std::string_view(reinterpret_cast<const char*>(list.data()), list.size()));
    }
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find(u'\0', start), text.size());
        if (end == start) break;
        paths.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return paths;
}

}  // namespace quorvel
