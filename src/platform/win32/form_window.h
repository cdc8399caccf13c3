// A top-level window of the program and its controls: panels, text boxes and
// buttons are child windows; labels and images are drawn by their container
// (the window or a panel) beneath its child windows and hit-tested by it.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "layouts/layout.h"
#include "platform/toolkit.h"
#include "platform/win32/scoped.h"

namespace quorvel::win32 {

class Win32Toolkit;
class FormWindow;
class DrawnControlBase;

// A window that paints a picture or colour and its drawn-only controls, and
// hosts child windows: the form itself, or a panel.
class Container {
public:
    Container(FormWindow& form, std::string_view picture, Colour backColor);
    virtual ~Container() = default;
    HWND hwnd() const { return hwnd_; }
    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    FormWindow& form() { return form_; }
    void AddDrawn(DrawnControlBase* control) { drawn_.push_back(control); }
    void Restack(DrawnControlBase* control, bool toFront);
    void InvalidateTwips(Twips left, Twips top, Twips width, Twips height);

    // Shared container message handling; returns true when handled.
    bool HandleContainerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    void Paint();
    DrawnControlBase* HitTest(POINT clientPoint) const;

    FormWindow& form_;
    HWND hwnd_ = nullptr;
    Picture picture_;
    Colour backColor_;
    std::deque<DrawnControlBase*> drawn_;  // front first
    DrawnControlBase* pressedLabel_ = nullptr;
};

class FormWindow : public Window, public Container {
public:
    FormWindow(Win32Toolkit& toolkit, const layouts::FormSpec& form);
    ~FormWindow() override;

    void Show() override;
    void Hide() override;
    void Unload() override;
    void Minimize() override;
    bool Visible() const override;
    Twips Left() const override;
    Twips Top() const override;
    Twips Width() const override;
    Twips Height() const override;
    Twips ScaleWidth() const override;
    Twips ScaleHeight() const override;
    intptr_t Handle() const override { return reinterpret_cast<intptr_t>(hwnd_); }
    void SetWindowPos(InsertAfter where, const PixelRect& rect) override;
    int32_t GetExStyle() const override;
    void SetExStyle(int32_t style) override;
    void SetLayeredAlpha(uint8_t alpha) override;
    void BeginCaptionDrag() override;

    TextBox& TextBoxNamed(std::string_view name) override;
    Label& LabelNamed(std::string_view name, int index = -1) override;
    Image& ImageNamed(std::string_view name) override;
    Panel& PanelNamed(std::string_view name) override;
    Button& ButtonNamed(std::string_view name) override;
    Timer& TimerNamed(std::string_view name) override;

    Win32Toolkit& toolkit() { return toolkit_; }
    float Tpp() const;
    // The window's tool tips; none until the window has first been shown.
    HWND tooltip() const { return tooltip_; }
    // Moves the keyboard focus to the next (or previous) control in tab order.
    void TabFrom(HWND from, bool backwards);
    void RegisterTimer(UINT_PTR id, Timer* timer) { timers_[id] = timer; }
    UINT_PTR NextTimerId() { return nextTimerId_++; }
    // Called by the toolkit when the program's active form changes to this.
    void RaiseActivate();

    const layouts::FontSpec& DefaultFont() const { return *form_.font; }
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnActivated();
    bool AlreadyOnTopAt(const PixelRect& rect, HWND box) const;
    void OnSized();
    // Loads the common controls and makes the tool tip window with a tool for
    // every control that has a tip.
    void MakeToolTips();
    // What the window does not need before its first paint: the tool tips
    // and the drop targets.
    void AfterFirstPaint();
    static constexpr UINT_PTR kAfterFirstPaintTimer = 0x7154;  // the layout's timers count from 1
    void BuildControls();
    Container& ContainerOf(std::string_view name);
    template <typename T>
    T& Find(std::string_view name);

    Win32Toolkit& toolkit_;
    const layouts::FormSpec& form_;
    HWND tooltip_ = nullptr;
    bool shownOnce_ = false;
    bool inShow_ = false;
    bool activationPending_ = false;
    bool destroyed_ = false;
    SIZE sizeAtLastResize_{-1, -1};
    std::map<std::string, std::unique_ptr<Control>, std::less<>> controls_;
    std::map<std::string, std::unique_ptr<Timer>, std::less<>> timerControls_;
    std::map<std::string, Container*, std::less<>> panels_;
    std::map<UINT_PTR, Timer*> timers_;
    std::vector<std::pair<int, HWND>> tabOrder_;
    UINT_PTR nextTimerId_ = 1;
};

// Registers the window classes of the backend once per process.
void RegisterWindowClasses(HINSTANCE instance);
// Shows a mouse message of a form's windows to the form's tool tips; every
// message loop of the program calls it before dispatching. Relaying here,
// rather than letting the tool tips subclass each window, keeps the price of
// every message of those windows down under Wine.
void RelayToToolTips(const MSG& msg);

}  // namespace quorvel::win32

namespace quorvel::win32 {
// The native window of a child-window control (text box, panel, button);
// nullptr for drawn-only controls.
HWND ChildWindowOf(Control& control);
}  // namespace quorvel::win32
