// A skinned button as its window sees it: a child control whose window is
// the button's host (button_host.cpp).
#include "platform/win32/button_host.h"
#include "platform/win32/child_control.h"

namespace quorvel::win32 {

using layouts::ControlSpec;

namespace {

class Win32Button : public ChildControl<Button> {
public:
    Win32Button(Container& container, const ControlSpec& row) : ChildControl(container, row) {
        host_ = std::make_unique<ButtonHost>(container.form().toolkit(), container.hwnd(), row);
        Attach(host_->hwnd());
        host_->button().Click = [this] {
            if (Click) Click();
        };
    }
    // Enabled goes through the button, which redraws its look.
    void SetEnabled(bool enabled) override { host_->button().SetEnabled(enabled); }
    bool Enabled() const override { return host_->button().Enabled(); }
    // The button sizes itself (to one frame of its strip).
    Twips Width() const override { return host_->Width(); }
    Twips Height() const override { return host_->Height(); }
    ButtonHost* Host() override { return host_.get(); }

protected:
    void Move(Twips l, Twips t, Twips w, Twips h) override {
        left_ = l;
        top_ = t;
        const RECT r = PixelRect();
        ::SetWindowPos(hwnd_, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (w != Width()) host_->SetWidth(w);
        if (h != Height()) host_->SetHeight(h);
    }

private:
    std::unique_ptr<ButtonHost> host_;
};

}  // namespace

std::unique_ptr<Control> MakeButton(Container& container, const ControlSpec& row) {
    return std::make_unique<Win32Button>(container, row);
}

}  // namespace quorvel::win32
