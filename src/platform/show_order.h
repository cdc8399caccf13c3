// The order of a window's events at Show, kept alike by every implementation
// of the toolkit: the window is visible first, then Resize (at the first show,
// or when its size changed since the last Resize), then Activate (at the first
// show, or when the activation moved to it).
#pragma once

#include <functional>

namespace quorvel {

class ShowOrder {
public:
    // Called by Show once the window is visible, with its client size now
    // (in any unit the implementation keeps) and whether the activation moved
    // to it; raises what is due, in order.
    void AfterShown(double width,
                    double height,
                    bool activationMoved,
                    const std::function<void()>& resize,
                    const std::function<void()>& activate) {
        const bool first = !shownOnce_;
        shownOnce_ = true;
        if (first || SizeDiffers(width, height)) {
            Remember(width, height);
            resize();
        }
        if (first || activationMoved) activate();
    }
    // A size change outside Show (the platform's, or the program's own
    // placement): whether it is one Resize must report, remembered if so.
    bool Resized(double width, double height) {
        if (!SizeDiffers(width, height)) return false;
        Remember(width, height);
        return true;
    }
    bool ShownOnce() const { return shownOnce_; }

private:
    bool SizeDiffers(double width, double height) const { return width != width_ || height != height_; }
    void Remember(double width, double height) {
        width_ = width;
        height_ = height;
    }
    bool shownOnce_ = false;
    double width_ = -1, height_ = -1;
};

}  // namespace quorvel
