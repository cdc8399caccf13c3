// A top-level window of the program and its controls on GTK: panels, text
// boxes and buttons are child widgets of a GtkLayout; labels and images are
// drawn by their container (the window or a panel) beneath its child widgets
// and hit-tested by it.
#pragma once

#include <gtk/gtk.h>

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

namespace quorvel::gtk {

class GtkToolkit;
class FormWindow;
class DrawnControl;
class ButtonHost;

// The window around a widget that has none of its own, and the widget in it.
inline constexpr char kOuterKey[] = "quorvel-outer";
inline constexpr char kInnerKey[] = "quorvel-inner";

// Pixels from twips at the given twips per pixel, halves to even.
int ToPixels(Twips twips, float twipsPerPixel);

// A control's key among its window's controls: "Label12(0)" for arrays.
std::string KeyOf(std::string_view name, int index);

// What the window asks of each of its controls, whatever its kind.
class NativeControl {
public:
    virtual ~NativeControl() = default;
    // The control's own widget; none for labels and images.
    virtual GtkWidget* Widget() const { return nullptr; }
    virtual ButtonHost* Host() { return nullptr; }
};

// A GtkLayout that paints a colour, its picture and its drawn-only controls,
// and holds child widgets stacked in the designed order: the form's body, or
// a panel.
class Container {
public:
    Container(FormWindow& form, std::string_view picture, Colour backColor);
    virtual ~Container() = default;
    GtkWidget* layout() const { return layout_; }
    FormWindow& form() { return form_; }

    void AddDrawn(DrawnControl* control) { drawn_.push_back(control); }
    void RestackDrawn(DrawnControl* control, bool toFront);
    // A child widget at its place in pixels; the layout's rows come front
    // first, so each new child goes beneath those before it.
    void AddChild(GtkWidget* child, int x, int y);
    void RestackChild(GtkWidget* child, bool toFront);
    void ApplyOrder();
    void MoveChild(GtkWidget* child, int x, int y);
    // The children go into the layout, back first, once all are made.
    void PutChildren();
    // A child of the window that lies wholly outside it (a page parked until
    // it slides in) is not mapped, so its widgets are not realized until then.
    void Park(GtkWidget* child);
    void ParkAll();
    void Invalidate() const;

protected:
    void MakeLayout(GtkWidget* layout);
    gboolean Draw(cairo_t* cr);
    // The container's look over width x height pixels from its corner.
    void Paint(cairo_t* cr, int width, int height);
    DrawnControl* HitTest(double x, double y) const;
    const Picture& Background();

    FormWindow& form_;
    GtkWidget* layout_ = nullptr;
    std::string_view pictureName_;
    std::optional<Picture> picture_;
    Colour backColor_;
    std::deque<DrawnControl*> drawn_;   // front first
    std::vector<GtkWidget*> children_;  // front first
    DrawnControl* pressed_ = nullptr;
    bool putDone_ = false;

    friend class FormWindow;
};

// A label or an image: no widget of its own; its container paints it beneath
// the child widgets and hit-tests it for clicks and the hand cursor.
class DrawnControl {
public:
    DrawnControl(Container& container, const layouts::ControlSpec& row);
    virtual ~DrawnControl() = default;
    virtual void Draw(cairo_t* cr) = 0;
    virtual void Clicked() {}
    virtual bool Paints() const { return true; }
    bool Shown() const { return visible_; }
    GdkRectangle Rect() const;
    const layouts::ControlSpec& row() const { return row_; }

protected:
    Container& container_;
    const layouts::ControlSpec& row_;
    bool visible_;
    bool enabled_;
    Twips left_, top_, width_, height_;
};

class FormTimer;

class FormWindow : public Window, public Container {
public:
    // Made ahead (GtkToolkit::MakeAhead), the window is realized and not yet
    // one of the program's windows until HandOver.
    FormWindow(GtkToolkit& toolkit, const layouts::FormSpec& form, bool ahead = false);
    void HandOver();
    ~FormWindow() override;

    const layouts::FormSpec& Layout() const { return spec_; }
    GtkWidget* window() const { return window_; }

    void Show() override;
    void Hide() override;
    void Unload() override;
    bool Visible() const override;
    WindowState State() const override { return state_; }
    void SetState(WindowState state) override;
    Twips Left() const override { return x_ * Tpp(); }
    Twips Top() const override { return y_ * Tpp(); }
    Twips Width() const override { return width_ * Tpp(); }
    Twips Height() const override { return height_ * Tpp(); }
    Twips ScaleWidth() const override { return width_ * Tpp(); }
    Twips ScaleHeight() const override { return height_ * Tpp(); }
    intptr_t Handle() const override { return reinterpret_cast<intptr_t>(window_); }
    void SetWindowPos(InsertAfter where, const PixelRect& rect) override;
    bool Layered() const override { return layered_; }
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

    GtkToolkit& toolkit() { return toolkit_; }
    float Tpp() const;
    const layouts::FontSpec& DefaultFont() const { return *spec_.font; }
    // Moves the keyboard focus to the next (or previous) control in tab order
    // that a click could reach.
    void TabFrom(GtkWidget* from, bool backwards);
    // Whether a click at the middle of the child widget would reach it: shown
    // and sensitive with everything it lies in, inside the window, and not
    // covered by a page or another control of its stack.
    bool Reachable(GtkWidget* child) const;
    // Drawn over the screen beneath at its opacity, where no compositing
    // manager blends it; where on the screen, and how opaque.
    bool Translucent() const;
    int PixelLeft() const { return x_; }
    int PixelTop() const { return y_; }
    int PixelWidth() const { return width_; }
    int PixelHeight() const { return height_; }
    uint8_t Opacity() const { return opacity_; }
    // Called by the toolkit when the program's active form changes to this.
    void RaiseActivate();
    // A key of the window, before any widget sees it: Tab, and the keyboard
    // filter. True when it is used up.
    bool KeyPressed(GdkEventKey* event);

    // ---- during a lock ----
    // Out of the window manager's reach from now on (override-redirect): no
    // manager can move, minimise, close it or take it to another desktop.
    void MakeUnmanaged();
    bool WindowManagerRuns() const;
    // In the topmost band on top, or kept right below another window.
    bool topmost() const { return topmost_; }
    const FormWindow* below() const { return below_; }
    // The curtains over the monitors beside the window's own (none for
    // windows that do not cover every monitor).
    const std::vector<GtkWidget*>& Curtains() const { return curtains_; }
    // The monitors changed: the window and its curtains cover them again.
    void MonitorsChanged();

private:
    void BuildControls();
    Container& ContainerOf(std::string_view name);
    template <typename T>
    T& Find(std::string_view name);
    void OnConfigured(int x, int y, int width, int height);
    void OnFocusIn();
    void OnStateChanged(GdkWindowState state);
    bool OnDelete();
    void Place(int x, int y, int width, int height);
    void PaintNow();
    void WaitUntilWithdrawn();
    void ShowCurtains();
    void MakeCurtains();
    void HideCurtains();
    void DestroyCurtains();
    bool Composited() const;
    // The front image's picture that the window stretches over itself, if
    // any: what its curtains show too.
    Picture StretchedPicture() const;
    static gboolean DrawCurtain(GtkWidget* curtain, cairo_t* cr, FormWindow* self);
    static gboolean AfterDraw(GtkWidget*, cairo_t* cr, FormWindow* self);

    GtkToolkit& toolkit_;
    const layouts::FormSpec& spec_;
    GtkWidget* window_ = nullptr;
    int x_ = 0, y_ = 0, width_ = 0, height_ = 0;
    // A place asked of the X server and not yet confirmed by it.
    bool placing_ = false;
    bool placedOnce_ = false;
    bool firstPainted_ = false;
    gint64 placedAt_ = 0;
    static constexpr gint64 kPlacingUs = 500'000;
    WindowState state_ = WindowState::Normal;
    bool layered_ = false;
    uint8_t opacity_ = 255;
    bool topmost_ = false;
    const FormWindow* below_ = nullptr;
    bool unmanaged_ = false;
    std::vector<GtkWidget*> curtains_;
    gulong monitorsHandler_ = 0;
    bool destroyed_ = false;
    bool inShow_ = false;
    bool activationPending_ = false;
    ShowOrder showOrder_;
    std::map<std::string, std::unique_ptr<Control>, std::less<>> controls_;
    std::map<std::string, std::unique_ptr<FormTimer>, std::less<>> timers_;
    std::map<std::string, Container*, std::less<>> panels_;
    std::vector<std::pair<int, GtkWidget*>> tabOrder_;
};

inline constexpr int kShortestTickMs = 16;
// A timer whose ticks have changed nothing for this many ticks in a row...
inline constexpr int kIdleTicksBeforeSlowing = 60;
// ...ticks this often until anything happens.
inline constexpr int kIdleTickMs = 250;

// A GLib timeout of a form. A tick that changes nothing (no request to the X
// server, no frame drawn, no event from the server since the tick before)
// is idle; after a second of idle ticks the timer ticks 4 times a second, so
// that a lock's keep-on-top tick wakes the program as seldom as an
// event-driven locker. Any event from the X server, any timer enabled, or a
// tick that changes something brings every timer back to its pace at once.
class FormTimer : public Timer {
public:
    explicit FormTimer(const layouts::ControlSpec& row);
    ~FormTimer() override;
    int Interval() const override { return interval_; }
    bool Enabled() const override { return source_ != 0; }
    void SetEnabled(bool enabled) override;
    bool Slowed() const { return slowed_; }
    // Every slowed timer back to its pace.
    static void Wake();
    // Something was drawn: the ticks around it are not idle.
    static void NoteActivity();

private:
    static gboolean Ticked(gpointer self);
    void Start(bool slowed);
    int interval_;
    guint source_ = 0;
    bool slowed_ = false;
    int idleTicks_ = 0;
    unsigned long lastRequest_ = 0;
    guint64 lastActivity_ = 0;
};

// A control of any kind but a timer; a panel also gives its inner container.
std::unique_ptr<Control> MakeControl(Container& container, const layouts::ControlSpec& row, Container** inner);
GtkWidget* WidgetOf(Control& control);
ButtonHost* ButtonHostOf(Control& control);

// The form a widget lies in, if it is one of the program's.
FormWindow* FormOf(GtkWidget* widget);

}  // namespace quorvel::gtk
