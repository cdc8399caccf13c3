// The contract suite's world on the in-memory double: a virtual clock, and a
// user acting through the double's own user actions.
#include "support/fake_toolkit.h"
#include "world.h"

namespace quorvel::contract {
namespace {

using testing::FakeToolkit;
using testing::FakeWindow;

class FakeWorld final : public World {
public:
    Toolkit& toolkit() override { return toolkit_; }
    void Pass(int ms) override { toolkit_.Advance(ms); }
    void Click(Window& window, Control& control) override { static_cast<FakeWindow&>(window).UserClickAt(control); }
    void Tab(Window& window, bool backwards) override { static_cast<FakeWindow&>(window).UserTab(backwards); }
    void Focus(Window& window, Control& control) override { static_cast<FakeWindow&>(window).focused = &control; }
    bool HasFocus(Window& window, Control& control) override {
        return static_cast<FakeWindow&>(window).focused == &control;
    }
    void RequestClose(Window& window) override { static_cast<FakeWindow&>(window).UserClose(); }
    bool Active(Window& window) override { return toolkit_.activeWindow == &window; }
    void MessageBoxFor(int ms) override {
        toolkit_.messageBoxReadMs = ms;
        toolkit_.MsgBox(u"契约", MsgBoxStyle::Critical, u"契约");
    }

    void BreakStore() override { toolkit_.failLoads = toolkit_.failSaves = true; }

private:
    FakeToolkit toolkit_;
};

}  // namespace

std::unique_ptr<World> MakeWorld() { return std::make_unique<FakeWorld>(); }

}  // namespace quorvel::contract
