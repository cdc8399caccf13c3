// The skinned button in a real window: sized to one frame, showing the frame
// of each look, clicked by real mouse messages, shaped when transparent.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/button_host.h"
#include "platform/win32/form_window.h"
#include "platform/win32/win32_toolkit.h"
#include "pump.h"

namespace quorvel::win32 {
namespace {

using layouts::ControlKind;
using layouts::ControlSpec;

// A strip of five 70 x 26 frames, each a plain colour of its own, with a
// magenta corner in every frame (the mask colour of a transparent button).
Picture TestStrip() {
    const uint32_t colours[5] = {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0, 0xFFD0E0F0};
    auto strip = std::make_shared<Bitmap>(350, 26);
    for (int x = 0; x < 350; ++x)
        for (int y = 0; y < 26; ++y) strip->At(x, y) = (x % 70 < 5 && y < 5) ? 0xFFFF00FF : colours[x / 70];
    return strip;
}

constexpr ControlSpec kParent{.name = "Host", .kind = ControlKind::Panel};
constexpr ControlSpec kOpaque{.name = "B",
                              .kind = ControlKind::Button,
                              .left = 300,
                              .top = 300,
                              .width = 3000,
                              .height = 3000,
                              .tabIndex = 0,
                              .bag = "backpicture=@strip\ncaption=\n"};
constexpr ControlSpec kTransparent{.name = "T",
                                   .kind = ControlKind::Button,
                                   .left = 300,
                                   .top = 300,
                                   .width = 1050,
                                   .height = 390,
                                   .bag = "backpicture=@strip\ncbackstyle=0\n"};

class ButtonWindow : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterWindowClasses(GetModuleHandleW(nullptr));
        parent_ = CreateWindowExW(0, L"STATIC", L"button test", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
        SetCursorPos(5, 5);  // far from the button
    }
    void TearDown() override { DestroyWindow(parent_); }

    std::unique_ptr<ButtonHost> Make(const ControlSpec& row) {
        auto host = std::make_unique<ButtonHost>(
            toolkit_, parent_, row, [this](std::string_view name) { return name == "strip" ? strip_ : nullptr; });
        host->Shown();
        return host;
    }
    // The colour of the retained image's centre, as the window shows it.
    uint32_t Centre(ButtonHost& host) {
        Pump(30);
        return host.Image()->At(35, 13) & 0xFFFFFF;
    }
    uint32_t Frame(int i) const { return strip_->At(i * 70 + 35, 13) & 0xFFFFFF; }

    Win32Toolkit toolkit_{GetModuleHandleW(nullptr)};
    Picture strip_ = TestStrip();
    HWND parent_ = nullptr;
};

TEST_F(ButtonWindow, TakesTheSizeOfOneFrameAndShowsEachLooksFrame) {
    auto host = Make(kOpaque);
    RECT r;
    GetClientRect(host->hwnd(), &r);
    EXPECT_EQ(r.right, 70);
    EXPECT_EQ(r.bottom, 26);
    EXPECT_EQ(Centre(*host), Frame(0));

    // Hover: the pointer over the button and a movement reported to it.
    POINT p{35, 13};
    ClientToScreen(host->hwnd(), &p);
    SetCursorPos(p.x, p.y);
    SendMessageW(host->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(35, 13));
    EXPECT_EQ(Centre(*host), Frame(1));
    EXPECT_TRUE(host->button().Hovering());

    SendMessageW(host->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(35, 13));
    EXPECT_EQ(Centre(*host), Frame(2));
    SendMessageW(host->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(35, 13));
    EXPECT_EQ(Centre(*host), Frame(1));

    // Disabled while the pointer rests elsewhere (the hover poll has stopped).
    SetCursorPos(5, 5);
    Pump(200);
    host->button().SetEnabled(false);
    EXPECT_EQ(Centre(*host), Frame(3));
    EXPECT_FALSE(IsWindowEnabled(host->hwnd()));
    // The pixels on the screen are those of the retained image.
    HDC dc = GetDC(host->hwnd());
    const COLORREF shown = GetPixel(dc, 35, 13);
    ReleaseDC(host->hwnd(), dc);
    EXPECT_EQ(shown, RGB((Frame(3) >> 16) & 0xFF, (Frame(3) >> 8) & 0xFF, Frame(3) & 0xFF));
}

TEST_F(ButtonWindow, ARealLeftPressAndReleaseRaiseClickAndARightOneDoesNot) {
    auto host = Make(kOpaque);
    int clicks = 0;
    host->button().Click = [&] { ++clicks; };
    SendMessageW(host->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(host->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(clicks, 1);
    SendMessageW(host->hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    SendMessageW(host->hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(clicks, 1);
    // Released off the button: no click.
    SendMessageW(host->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(host->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(200, 10));
    EXPECT_EQ(clicks, 1);
    // Enter with the focus clicks on every key-down.
    SetFocus(host->hwnd());
    SendMessageW(host->hwnd(), WM_KEYDOWN, VK_RETURN, 0);
    SendMessageW(host->hwnd(), WM_KEYDOWN, VK_RETURN, 0x40000000);
    EXPECT_EQ(clicks, 3);
}

TEST_F(ButtonWindow, ADoubleClickRaisesOneClickAndOneDoubleClick) {
    auto host = Make(kOpaque);
    int clicks = 0, doubles = 0;
    host->button().Click = [&] { ++clicks; };
    host->button().DBClick = [&] { ++doubles; };
    SendMessageW(host->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(host->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    SendMessageW(host->hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(host->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(doubles, 1);
}

TEST_F(ButtonWindow, OnlyAReleaseThatEndsAPressBegunOnItCountsAndALostCaptureEndsThePress) {
    auto host = Make(kOpaque);
    HWND h = host->hwnd();
    int clicks = 0, ups = 0;
    host->button().Click = [&] { ++clicks; };
    host->button().MouseUp = [&](int16_t&, int16_t&, float&, float&) { ++ups; };
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    // Lone releases, as another program may post them, or a drag from
    // elsewhere released here.
    for (UINT release : {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP}) SendMessageW(h, release, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(ups, 1);

    // Another window takes the mouse in the middle of a press.
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_EQ(Centre(*host), Frame(2));
    SetCapture(parent_);
    EXPECT_FALSE(host->button().Pressed());
    EXPECT_FALSE(host->button().Hovering());
    EXPECT_EQ(Centre(*host), Frame(0));
    ReleaseCapture();
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(clicks, 1);

    // A right or middle press takes no focus and changes nothing of the look.
    SetFocus(parent_);
    const uint32_t before = Centre(*host);
    for (UINT press : {WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
        SendMessageW(h, press, 0, MAKELPARAM(10, 10));
        EXPECT_NE(GetFocus(), h);
        EXPECT_EQ(Centre(*host), before);
    }
}

TEST_F(ButtonWindow, ATransparentButtonIsShapedByItsFrameLeavingTheMaskColourOut) {
    auto host = Make(kTransparent);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(host->hwnd(), region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 2, 2));   // the magenta corner
    EXPECT_TRUE(PtInRegion(region, 35, 13));  // the frame's face
    EXPECT_TRUE(PtInRegion(region, 69, 25));
    EXPECT_FALSE(PtInRegion(region, 70, 13));  // outside the frame
    DeleteObject(region);
    // An opaque button has no shape of its own.
    auto opaque = Make(kOpaque);
    HRGN none = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(opaque->hwnd(), none), ERROR);
    DeleteObject(none);
}

TEST_F(ButtonWindow, TheHoverPollRaisesMouseOutWhenThePointerHasLeft) {
    auto host = Make(kOpaque);
    int outs = 0;
    host->button().MouseOut = [&] { ++outs; };
    POINT p{35, 13};
    ClientToScreen(host->hwnd(), &p);
    SetCursorPos(p.x, p.y);
    SendMessageW(host->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(35, 13));
    EXPECT_EQ(Centre(*host), Frame(1));
    SetCursorPos(5, 5);
    Pump(200);  // a few 50 ms ticks
    EXPECT_EQ(outs, 1);
    EXPECT_EQ(Centre(*host), Frame(0));
}

}  // namespace
}  // namespace quorvel::win32
