// When the keep-on-top ticks restack for real.
//
// Wine keeps its own list of the windows' order and raises a window in X only
// when it moves to the top of that list. A window that another program maps in
// X after our last raise stays above ours there, while the list says ours is on
// top, and nothing in Win32 tells; a window of a program outside Wine is never
// in the list at all. So the ticks restack the lock's windows for real, not only
// when the list is out of order: every 50 ms for a second after it was found so
// (the other program's X requests may land after ours), and every two seconds
// anyway. A tick that restacks costs one raise per window; the others, nothing.
#pragma once

#include <cstdint>
#include <optional>

namespace quorvel::win32 {

inline constexpr uint64_t kRestackAlwaysMs = 2000;
inline constexpr uint64_t kSettleMs = 1000;
inline constexpr uint64_t kSettleStepMs = 50;

// What every tick shares: when one last found the order disturbed.
struct StackWatch {
    std::optional<uint64_t> disturbedAt;
};

// One place the ticks keep in order (a window on top, windows below another).
class KeepInOrder {
public:
    explicit KeepInOrder(StackWatch& watch) : watch_(watch) {}
    // Whether a tick at `now` (in ms) places the windows for real, given
    // whether they are in order by Wine's list.
    bool Due(uint64_t now, bool inOrder) {
        if (!inOrder) {
            watch_.disturbedAt = now;
        } else if (doneAt_) {
            const uint64_t since = now - *doneAt_;
            const bool settling = watch_.disturbedAt && now - *watch_.disturbedAt <= kSettleMs;
            if (since < kRestackAlwaysMs && !(settling && since >= kSettleStepMs)) return false;
        }
        doneAt_ = now;
        return true;
    }

private:
    StackWatch& watch_;
    std::optional<uint64_t> doneAt_;
};

}  // namespace quorvel::win32
