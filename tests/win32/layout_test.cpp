// Both windows as designed, built by the Win32 backend from their tables:
// every child window at its place within one pixel, the states after Load,
// and the overlapping groups in their designed order.
#include <windows.h>

#include <ole2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/form1.h"
#include "app/program.h"
#include "layouts/forms.h"
#include "lock/form2.h"
#include "platform/win32/form_window.h"
#include "platform/win32/win32_toolkit.h"
#include "pump.h"

namespace quorvel::win32 {
namespace {

using layouts::ControlKind;
using layouts::ControlSpec;

class Layout : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }
    void SetUp() override {
        toolkit.storeRoot = L"Software\\QuorvelLayoutTest";
        program.Start();
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuorvelLayoutTest"); }

    Window& Form1() { return program.SetupWindow().window(); }
    Control& Named(Window& w, const ControlSpec& row) {
        switch (row.kind) {
            case ControlKind::TextBox: return w.TextBoxNamed(row.name);
            case ControlKind::Button: return w.ButtonNamed(row.name);
            case ControlKind::Panel: return w.PanelNamed(row.name);
            case ControlKind::Label: return w.LabelNamed(row.name, row.index);
            default: return w.ImageNamed(row.name);
        }
    }
    HWND Hwnd(Window& w, std::string_view name, ControlKind kind) {
        ControlSpec row{.name = name, .kind = kind};
        return ChildWindowOf(Named(w, row));
    }
    // Front first, among the children of one parent.
    static bool Above(HWND upper, HWND lower) {
        for (HWND h = GetWindow(upper, GW_HWNDNEXT); h; h = GetWindow(h, GW_HWNDNEXT))
            if (h == lower) return true;
        return false;
    }

    Win32Toolkit toolkit{GetModuleHandleW(nullptr)};
    Program program{toolkit};
};

TEST_F(Layout, EveryChildWindowOfTheSetupWindowSitsAtItsDesignedPlaceWithinOnePixel) {
    const auto& form = layouts::kForm1;
    RECT client;
    GetClientRect(reinterpret_cast<HWND>(Form1().Handle()), &client);
    EXPECT_EQ(client.right, 380);
    EXPECT_EQ(client.bottom, 290);
    int checked = 0;
    for (const ControlSpec& row : form.controls) {
        if (row.kind != ControlKind::TextBox && row.kind != ControlKind::Button && row.kind != ControlKind::Panel)
            continue;
        HWND h = ChildWindowOf(Named(Form1(), row));
        ASSERT_NE(h, nullptr) << row.name;
        RECT r;
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
        const double x = row.left / 15.0, y = row.top / 15.0, w = row.width / 15.0, ht = row.height / 15.0;
        EXPECT_LE(std::abs(r.left - x), 1.0) << row.name;
        EXPECT_LE(std::abs(r.top - y), 1.0) << row.name;
        EXPECT_LE(std::abs((r.right - r.left) - w), 1.0) << row.name;
        EXPECT_LE(std::abs((r.bottom - r.top) - ht), 1.0) << row.name;
        ++checked;
    }
    EXPECT_EQ(checked, 26);  // 15 buttons, 7 text boxes, 4 panels
}

TEST_F(Layout, TheStartStateAfterLoad) {
    Window& w = Form1();
    for (auto name : {"Text6", "Text7"}) EXPECT_FALSE(w.TextBoxNamed(name).Visible()) << name;
    for (auto name : {"Text1", "Text2", "Text3", "Text4", "Text5"}) EXPECT_TRUE(w.TextBoxNamed(name).Visible()) << name;
    for (auto name : {"iButton10", "iButton11"}) EXPECT_FALSE(w.ButtonNamed(name).Visible()) << name;
    EXPECT_FALSE(w.LabelNamed("Label13").Visible());
    EXPECT_FALSE(w.ButtonNamed("iButton12").Enabled());
    EXPECT_FALSE(IsWindowEnabled(ChildWindowOf(w.ButtonNamed("iButton12"))));
    for (auto name : {"iButton1", "iButton2", "iButton3", "iButton4", "iButton5", "i1", "i2", "i3", "i4"}) {
        EXPECT_TRUE(w.ButtonNamed(name).Visible()) << name;
        EXPECT_TRUE(w.ButtonNamed(name).Enabled()) << name;
    }
    for (auto name : {"Picture1", "Picture2", "Picture3"}) EXPECT_EQ(w.PanelNamed(name).Left(), 6400) << name;
    EXPECT_EQ(w.TextBoxNamed("Text3").Text(), u"255");
    for (int i = 1; i <= 8; ++i) EXPECT_FALSE(w.TimerNamed("Timer" + std::to_string(i)).Enabled()) << i;
}

TEST_F(Layout, TheOverlappingGroupsStartInTheirDesignedOrder) {
    Window& w = Form1();
    auto button = [&](std::string_view n) { return Hwnd(w, n, ControlKind::Button); };
    EXPECT_TRUE(Above(button("i3"), button("i2")));
    EXPECT_TRUE(Above(button("i2"), button("i1")));
    EXPECT_TRUE(Above(button("i1"), button("i4")));
    EXPECT_TRUE(Above(button("iButton4"), button("iButton12")));
    EXPECT_TRUE(Above(button("iButton10"), button("iButton11")));
    EXPECT_TRUE(Above(Hwnd(w, "Text7", ControlKind::TextBox), Hwnd(w, "Text6", ControlKind::TextBox)));
    auto panel = [&](std::string_view n) { return Hwnd(w, n, ControlKind::Panel); };
    EXPECT_TRUE(Above(panel("Picture3"), panel("Picture2")));
    EXPECT_TRUE(Above(panel("Picture2"), panel("Picture1")));
    // A page slid in covers the password rows.
    EXPECT_TRUE(Above(panel("Picture1"), Hwnd(w, "Text1", ControlKind::TextBox)));
    EXPECT_TRUE(Above(panel("Picture1"), button("iButton3")));
}

// What the setup window's first paint does not show (the pages parked outside
// it, the hidden unlock row, the buttons wholly beneath the one in front of
// them) is made once that paint is done, every window in its designed place,
// and the controls made then raise their events to the handlers.
TEST_F(Layout, WhatTheFirstPaintDoesNotShowIsMadeAfterIt) {
    const HWND form1 = reinterpret_cast<HWND>(Form1().Handle());
    auto children = [form1] {
        std::vector<HWND> found;
        for (HWND h = GetWindow(form1, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) found.push_back(h);
        return found;
    };
    // Of 20: not the three pages, the four of the unlock row, the three behind
    // "关于" nor the hide button behind the gear.
    EXPECT_EQ(children().size(), 9u);
    Pump(300);
    std::vector<HWND> designed;
    for (const ControlSpec& row : layouts::kForm1.controls) {
        if (row.container.empty() && row.kind != ControlKind::Label && row.kind != ControlKind::Image &&
            row.kind != ControlKind::Timer)
            designed.push_back(ChildWindowOf(Named(Form1(), row)));
    }
    EXPECT_EQ(children(), designed);
    Window& w = Form1();
    EXPECT_FALSE(IsWindowVisible(Hwnd(w, "Text7", ControlKind::TextBox)));
    EXPECT_FALSE(IsWindowVisible(Hwnd(w, "iButton11", ControlKind::Button)));
    // The link made hidden lies over the logo box once shown, as designed.
    int clicks = 0;
    Label& link = w.LabelNamed("Label13");
    link.Click = [&clicks] { ++clicks; };
    link.SetVisible(true);
    const LPARAM onLink = MAKELPARAM(480 / 15 + 4, 1320 / 15 + 4);
    SendMessageW(Hwnd(w, "Picture4", ControlKind::Panel), WM_LBUTTONDOWN, MK_LBUTTON, onLink);
    SendMessageW(Hwnd(w, "Picture4", ControlKind::Panel), WM_LBUTTONUP, 0, onLink);
    EXPECT_EQ(clicks, 1);
    int changes = 0;
    w.TextBoxNamed("Text4").Change = [&changes] { ++changes; };
    SetWindowTextW(Hwnd(w, "Text4", ControlKind::TextBox), L"2580");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(w.TextBoxNamed("Text4").Text(), u"2580");
}

TEST_F(Layout, EveryButtonTakesTheSizeOfOneFrameOfItsStrip) {
    Window& w = Form1();
    const std::pair<const char*, SIZE> sizes[] = {
        {"iButton1", {28, 28}},  {"iButton2", {28, 28}},  {"iButton3", {213, 36}}, {"iButton4", {26, 26}},
        {"iButton5", {26, 26}},  {"iButton6", {84, 84}},  {"iButton7", {84, 84}},  {"iButton8", {84, 84}},
        {"iButton10", {70, 26}}, {"iButton11", {70, 26}}, {"iButton12", {26, 26}}, {"i1", {70, 26}},
        {"i2", {70, 26}},        {"i3", {70, 26}},        {"i4", {70, 26}}};
    for (const auto& [name, size] : sizes) {
        RECT r;
        GetClientRect(Hwnd(w, name, ControlKind::Button), &r);
        EXPECT_EQ(r.right, size.cx) << name;
        EXPECT_EQ(r.bottom, size.cy) << name;
        EXPECT_EQ(w.ButtonNamed(name).Width(), size.cx * 15.0f) << name;
    }
    // Only the close button is shaped (transparent back style).
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(Hwnd(w, "iButton1", ControlKind::Button), region), ERROR);
    EXPECT_EQ(GetWindowRgn(Hwnd(w, "iButton2", ControlKind::Button), region), ERROR);
    DeleteObject(region);
}

TEST_F(Layout, TheWindowsAreFramelessAndCaptioned) {
    const HWND form1 = reinterpret_cast<HWND>(Form1().Handle());
    EXPECT_FALSE(GetWindowLongW(form1, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME));
    EXPECT_TRUE(GetWindowLongW(form1, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    wchar_t caption[64] = {};
    GetWindowTextW(form1, caption, 64);
    EXPECT_STREQ(caption, L"Quorvel锁屏软件");
    EXPECT_NE(SendMessageW(form1, WM_GETICON, ICON_BIG, 0), 0);
}

}  // namespace
}  // namespace quorvel::win32

namespace quorvel::win32 {
namespace {

std::wstring VersionString(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    std::vector<char> data(size);
    if (!size || !GetFileVersionInfoW(path, 0, size, data.data())) return {};
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
    if (!VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&value), &length)) return {};
    return std::wstring(value, length ? length - 1 : 0);
}

// The title label, the version resource and the release archive's name
// (built from the same project version) tell the same version.
TEST(Version, TheTitleAndTheVersionResourceAgree) {
    const std::wstring product = VersionString(L"ProductVersion");
    EXPECT_EQ(product, L"1.0 Beta");
    EXPECT_EQ(VersionString(L"FileVersion"), L"1.0.0");
    const layouts::ControlSpec* title = nullptr;
    for (const auto& row : layouts::kForm1.controls)
        if (row.name == "Label1") title = &row;
    ASSERT_NE(title, nullptr);
    const std::u16string caption(title->text);
    EXPECT_EQ(caption, u"Quorvel锁屏工具 " + U16(product));
}

}  // namespace
}  // namespace quorvel::win32
