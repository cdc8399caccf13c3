// The child-window controls of a window (text boxes, panels, buttons): what
// they share as windows of their container, and how each kind is made.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "layouts/layout.h"
#include "platform/toolkit.h"
#include "platform/win32/controls.h"
#include "platform/win32/form_window.h"
#include "platform/win32/win32_toolkit.h"

namespace quorvel::win32 {

template <typename Base>
class ChildControl : public Base, public NativeControl {
public:
    ChildControl(Container& container, const layouts::ControlSpec& row)
        : container_(container), row_(row), left_(row.left), top_(row.top), width_(row.width), height_(row.height) {}
    bool Visible() const override { return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
    void SetVisible(bool visible) override {
        ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
        InvalidateAround();
    }
    bool Enabled() const override { return IsWindowEnabled(hwnd_) != FALSE; }
    void SetEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
    Twips Left() const override { return left_; }
    Twips Top() const override { return top_; }
    Twips Width() const override { return width_; }
    Twips Height() const override { return height_; }
    void SetLeft(Twips v) override { Move(v, top_, width_, height_); }
    void SetTop(Twips v) override { Move(left_, v, width_, height_); }
    void SetWidth(Twips v) override { Move(left_, top_, v, height_); }
    void SetHeight(Twips v) override { Move(left_, top_, width_, v); }
    void BringToFront() override {
        container_.form().MakeWaitingControls();
        ::SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    void SendToBack() override {
        container_.form().MakeWaitingControls();
        ::SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    HWND hwnd() const { return hwnd_; }
    const layouts::ControlSpec& row() const { return row_; }
    HWND ChildWindow() const override { return hwnd_; }
    void AddToolTip() override { AddTool(); }
    // The container paints an outline around text boxes, a pixel outside.
    RECT OutlineRect() const {
        RECT r = PixelRect();
        InflateRect(&r, 1, 1);
        return r;
    }

protected:
    void Attach(HWND hwnd) {
        hwnd_ = hwnd;
        AddTool();
    }

public:
    // The window is its own tool: the tip follows it wherever it is moved.
    void AddTool() {
        if (row_.toolTip.empty() || !container_.form().tooltip()) return;
        tipText_ = WStr(row_.toolTip);
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND;
        info.hwnd = container_.hwnd();
        info.uId = reinterpret_cast<UINT_PTR>(hwnd_);
        info.lpszText = tipText_.data();
        SendMessageW(container_.form().tooltip(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }

protected:
    RECT PixelRect() const { return PixelRectOf(left_, top_, width_, height_, container_.form().Tpp()); }
    virtual void Move(Twips l, Twips t, Twips w, Twips h) {
        left_ = l;
        top_ = t;
        width_ = w;
        height_ = h;
        InvalidateAround();
        const RECT r = PixelRect();
        MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        InvalidateAround();
    }
    // The container paints an outline around text boxes.
    void InvalidateAround() {
        RECT r = PixelRect();
        InflateRect(&r, 2, 2);
        InvalidateRect(container_.hwnd(), &r, FALSE);
    }
    Container& container_;
    const layouts::ControlSpec& row_;
    HWND hwnd_ = nullptr;
    Twips left_, top_, width_, height_;
    std::wstring tipText_;
};

std::unique_ptr<Control> MakeTextBox(Container& container, const layouts::ControlSpec& row);
std::unique_ptr<Control> MakeButton(Container& container, const layouts::ControlSpec& row);
// A panel, and the container it is for the controls it holds.
std::unique_ptr<Control> MakePanel(Container& container, const layouts::ControlSpec& row, Container** inner);

}  // namespace quorvel::win32
