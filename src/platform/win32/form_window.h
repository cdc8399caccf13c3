// A top-level window of the program and its controls: panels, text boxes and
// buttons are child windows; labels and images are drawn by their container
// (the window or a panel) beneath its child windows and hit-tested by it.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "layouts/layout.h"
#include "platform/show_order.h"
#include "platform/toolkit.h"
#include "platform/win32/controls.h"
#include "platform/win32/curtains.h"
#include "platform/win32/restack.h"
#include "platform/win32/scoped.h"
#include "platform/win32/stand_in.h"

namespace quorvel::win32 {

class Win32Toolkit;
class FormWindow;
class DrawnControlBase;
class FormTimer;

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
    // Puts a drawn control directly in front of another one (at the back when
    // there is none): where the layout has a control made after its siblings.
    void PlaceDrawn(DrawnControlBase* control, DrawnControlBase* behind);
    void Restack(DrawnControlBase* control, bool toFront);
    void InvalidateTwips(Twips left, Twips top, Twips width, Twips height);
    Colour BackColor() const { return backColor_; }
    // The picture of the front shown image that stretches its picture, if any.
    const Bitmap* StretchedPicture() const;

    // Shared container message handling; returns true when handled.
    bool HandleContainerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    void Paint();
    DrawnControlBase* HitTest(POINT clientPoint) const;

    // The background art, decoded at the first paint: a page parked outside
    // its window costs nothing until it slides in.
    const Picture& Background();

    FormWindow& form_;
    HWND hwnd_ = nullptr;
    std::string_view pictureName_;
    std::optional<Picture> picture_;
    Colour backColor_;
    std::deque<DrawnControlBase*> drawn_;  // front first
    DrawnControlBase* pressedLabel_ = nullptr;
};

class FormWindow : public Window, public Container, public ControlMaker {
public:
    // Made ahead (Win32Toolkit::MakeAhead), the window is nameless and not
    // yet one of the program's windows until HandOver.
    FormWindow(Win32Toolkit& toolkit, const layouts::FormSpec& form, bool ahead = false);
    ~FormWindow() override;
    const layouts::FormSpec& Layout() const { return form_; }
    void HandOver();

    void Show() override;
    void Hide() override;
    void Unload() override;
    bool Visible() const override;
    WindowState State() const override;
    void SetState(WindowState state) override;
    Twips Left() const override;
    Twips Top() const override;
    Twips Width() const override;
    Twips Height() const override;
    Twips ScaleWidth() const override;
    Twips ScaleHeight() const override;
    intptr_t Handle() const override { return reinterpret_cast<intptr_t>(hwnd_); }
    void SetWindowPos(InsertAfter where, const PixelRect& rect) override;
    bool Layered() const override;
    void SetLayered(bool layered) override;
    void SetOpacity(uint8_t alpha) override;
    void PlaceBelow(const Window& above) override;
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
    // Moves the keyboard focus to the next (or previous) control in tab order
    // that a click could reach.
    void TabFrom(HWND from, bool backwards);
    // Whether a mouse click at the middle of the child window would reach it:
    // shown and enabled with everything it lies in, inside the window, and
    // not covered by a page or another control of its stack.
    bool Reachable(HWND child) const;
    // The curtains over the other monitors (none for other windows).
    std::vector<HWND> ExtraCurtainWindows() const;
    void InvalidateCurtains();
    void RegisterTimer(UINT_PTR id, FormTimer* timer) { timers_[id] = timer; }
    // Starts again the timers whose start failed.
    void RetryTimers();
    UINT_PTR NextTimerId() { return nextTimerId_++; }
    // Called by the toolkit when the program's active form changes to this.
    void RaiseActivate();
    // Makes every control still waiting to be made (see stand_in.h; nothing
    // once all are). Also before any child window is restacked, so that
    // those made later take their designed places among the others.
    void MakeWaitingControls() override;
    bool Holding() const override { return holding_; }

    const layouts::FontSpec& DefaultFont() const { return *form_.font; }
    // For the window procedure (guard.h).
    void Attached(HWND hwnd) { Attach(hwnd); }
    void Detached(HWND hwnd);
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void OnActivated();
    bool AlreadyOnTopAt(const PixelRect& rect, HWND box) const;
    void PlaceAt(InsertAfter where, const PixelRect& rect);
    void OnSized();
    // A request of the window menu's kind (WM_SYSCOMMAND); false refuses it.
    bool FrameRequestGranted(WPARAM command);
    // The whole primary monitor: where the window lies when maximised.
    static RECT MaximizedRect();
    // Looks at the monitors again (a display change, or the periodic look
    // while curtains are up: Wine sends no display change).
    void MonitorsChanged();
    static constexpr UINT_PTR kMonitorTimer = 0x7155;
    static constexpr UINT kMonitorLookMs = 500;
    // Loads the common controls and makes the tool tip window with a tool for
    // every control that has a tip.
    void MakeToolTips();
    // What the window does not need before its first paint: the tool tips
    // and the drop targets.
    void AfterFirstPaint();
    static constexpr UINT_PTR kAfterFirstPaintTimer = 0x7154;  // the layout's timers count from 1
    void BuildControls();
    // A panel of the window itself lying wholly outside it: a page, parked
    // until it slides in.
    bool ParkedOutside(const layouts::ControlSpec& row) const;
    // Makes the waiting controls, in the designed order: all of them, or
    // those the window's show would show.
    void MakeWaiting(bool all);
    // Puts a control made after some of its later siblings where the layout
    // has it among them.
    void PlaceAsDesigned(const layouts::ControlSpec& row, Control& made);
    // Tab order over the controls whose windows are made.
    void RebuildTabOrder();
    Container& ContainerOf(std::string_view name);
    template <typename T>
    T& Find(std::string_view name);

    Win32Toolkit& toolkit_;
    const layouts::FormSpec& form_;
    HWND tooltip_ = nullptr;
    bool inShow_ = false;
    bool activationPending_ = false;
    bool destroyed_ = false;
    bool inOwnDrag_ = false;
    std::unique_ptr<ExtraCurtains> curtains_;
    // The keep-on-top ticks' places: the window on top, and below another.
    KeepInOrder onTop_;
    KeepInOrder below_;
    ShowOrder showOrder_;
    std::map<std::string, std::unique_ptr<Control>, std::less<>> controls_;
    std::map<std::string, std::unique_ptr<FormTimer>, std::less<>> timerControls_;
    std::map<std::string, Container*, std::less<>> panels_;
    std::map<UINT_PTR, FormTimer*> timers_;
    std::vector<std::pair<int, HWND>> tabOrder_;
    // The rows whose controls are still to be made, in the designed order.
    std::vector<const layouts::ControlSpec*> waiting_;
    bool making_ = false;
    bool holding_ = true;
    UINT_PTR nextTimerId_ = 1;
};

// Registers the window classes of the backend once per process.
void RegisterWindowClasses(HINSTANCE instance);
// Shows a mouse message of a form's windows to the form's tool tips; every
// message loop of the program calls it before dispatching. Relaying here,
// rather than letting the tool tips subclass each window, keeps the price of
// every message of those windows down under Wine.
void RelayToToolTips(const MSG& msg);
// Whether a click at the middle of a control's window would reach it in its
// form (true for a window in none of the program's forms: nothing covers it).
bool ReachableInItsForm(HWND child);

}  // namespace quorvel::win32
