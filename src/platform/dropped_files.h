// A dropped file list as the system hands it over (CF_HDROP): a 20-byte
// header (the offset of the list, the drop point, two flags, the last one
// saying the paths are UTF-16), then the paths, each ending in a zero, and
// one more zero. Read by the program itself; every read stays within the
// block, whatever another program put in it.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// Turns the narrow (ANSI code page) list into UTF-16, zeros kept.
using NarrowToUtf16 = std::function<std::u16string(std::string_view)>;

// The paths of the list in order; none when the block is too small or its
// offset points outside it. A list that runs to the block's end without its
// final zeros gives the paths it holds.
std::vector<std::u16string> ReadDroppedFileList(std::span<const uint8_t> block, const NarrowToUtf16& narrow);

}  // namespace quorvel
