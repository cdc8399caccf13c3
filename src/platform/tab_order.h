// The keyboard's way through a window's controls: Tab and Shift+Tab go from
// stop to stop in the designed tab order, and a stop counts only while a
// mouse click at its middle would reach it. Shared by every implementation of
// the toolkit, so that the keyboard never reaches what the user cannot see.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>

namespace quorvel {

// The stop (an index into the tab order of count stops) that the focus moves
// to from the stop `from` (none: the focus is on no stop, and the way starts
// at either end), forwards or backwards, wrapping around. None when no stop
// is reachable.
inline std::optional<size_t> NextTabStop(size_t count,
                                         std::optional<size_t> from,
                                         bool backwards,
                                         const std::function<bool(size_t)>& reachable) {
    if (count == 0) return std::nullopt;
    // From no stop, the first step lands on the first stop (or the last).
    size_t at = from && *from < count ? *from : (backwards ? 0 : count - 1);
    for (size_t step = 0; step < count; ++step) {
        at = backwards ? (at + count - 1) % count : (at + 1) % count;
        if (reachable(at)) return at;
    }
    return std::nullopt;
}

}  // namespace quorvel
