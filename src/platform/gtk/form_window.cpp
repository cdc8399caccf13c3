#include "platform/gtk/form_window.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <utility>

#include "platform/gtk/button_host.h"
#include "platform/gtk/gtk_toolkit.h"
#include "platform/gtk/guard.h"
#include "platform/gtk/pictures.h"
#include "platform/tab_order.h"

#include <cairo-xlib.h>
#include <gdk/gdkx.h>

namespace quorvel::gtk {

using layouts::ControlKind;
using layouts::ControlSpec;

namespace {
constexpr char kFormKey[] = "quorvel-form";
constexpr char kContainerKey[] = "quorvel-container";

// The outline around a text box, which has no edge of its own.
constexpr Rgba kOutline{0xC4 / 255.0, 0xCB / 255.0, 0xD0 / 255.0};

// The place and size in pixels of a child widget within its container, as
// the program set them.
GdkRectangle ChildRect(GtkWidget* child) {
    GdkRectangle r{GPOINTER_TO_INT(g_object_get_data(G_OBJECT(child), "quorvel-x")),
                   GPOINTER_TO_INT(g_object_get_data(G_OBJECT(child), "quorvel-y")), 0, 0};
    gtk_widget_get_size_request(child, &r.width, &r.height);
    return r;
}

// The setup window's layout. GtkLayout maps every shown child when it maps,
// a page parked outside the window (not child-visible) included, which GTK
// refuses with a critical warning each time; this one maps only the children
// it lets be seen, as every other GTK container does.
struct ParkingLayout {
    GtkLayout parent;
};
struct ParkingLayoutClass {
    GtkLayoutClass parent_class;
};
G_DEFINE_TYPE(ParkingLayout, parking_layout, GTK_TYPE_LAYOUT)

void parking_layout_init(ParkingLayout*) {}

void parking_layout_class_init(ParkingLayoutClass* type) {
    GTK_WIDGET_CLASS(type)->map = [](GtkWidget* widget) {
        gtk_widget_set_mapped(widget, TRUE);
        gtk_container_forall(
            GTK_CONTAINER(widget),
            [](GtkWidget* child, gpointer) {
                if (gtk_widget_get_visible(child) && gtk_widget_get_child_visible(child) &&
                    !gtk_widget_get_mapped(child))
                    gtk_widget_map(child);
            },
            nullptr);
        gdk_window_show(gtk_layout_get_bin_window(GTK_LAYOUT(widget)));
        gdk_window_show(gtk_widget_get_window(widget));
    };
}
}  // namespace

int ToPixels(Twips twips, float twipsPerPixel) {
    return static_cast<int>(std::nearbyint(static_cast<double>(twips) / twipsPerPixel));
}

std::string KeyOf(std::string_view name, int index) {
    return std::string(name) + (index >= 0 ? "(" + std::to_string(index) + ")" : "");
}

FormWindow* FormOf(GtkWidget* widget) {
    if (!widget) return nullptr;
    return static_cast<FormWindow*>(g_object_get_data(G_OBJECT(gtk_widget_get_toplevel(widget)), kFormKey));
}

// ---- containers ----

Container::Container(FormWindow& form, std::string_view picture, Colour backColor)
    : form_(form), pictureName_(picture), backColor_(backColor) {}

void Container::MakeLayout(GtkWidget* layout) {
    layout_ = layout;
    g_object_set_data(G_OBJECT(layout), kContainerKey, this);
    gtk_widget_add_events(layout, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK);
    gtk_widget_set_has_tooltip(layout, TRUE);
    g_signal_connect(layout, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t* cr, Container* self) -> gboolean {
                         return Guarded(
                             "painting a window", [&] { return self->Draw(cr); }, FALSE);
                     }),
                     this);
    g_signal_connect(
        layout, "button-press-event", G_CALLBACK(+[](GtkWidget*, GdkEventButton* event, Container* self) -> gboolean {
            if (event->type != GDK_BUTTON_PRESS) return FALSE;
            Guarded("a press on a window", [&] {
                DrawnControl* hit = self->HitTest(event->x, event->y);
                if (event->button == 1) self->pressed_ = hit;
                if (!hit && self == static_cast<Container*>(&self->form_) && self->form_.BackgroundMouseDown) {
                    const MouseButton button = event->button == 1   ? MouseButton::Left
                                               : event->button == 3 ? MouseButton::Right
                                                                    : MouseButton::Middle;
                    self->form_.BackgroundMouseDown(button);
                }
            });
            return TRUE;
        }),
        this);
    g_signal_connect(layout, "button-release-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEventButton* event, Container* self) -> gboolean {
                         if (event->button != 1) return FALSE;
                         Guarded("a click on a window", [&] {
                             DrawnControl* hit = self->HitTest(event->x, event->y);
                             DrawnControl* pressed = std::exchange(self->pressed_, nullptr);
                             if (hit && hit == pressed) hit->Clicked();
                         });
                         return TRUE;
                     }),
                     this);
    g_signal_connect(layout, "motion-notify-event",
                     G_CALLBACK(+[](GtkWidget* widget, GdkEventMotion* event, Container* self) -> gboolean {
                         DrawnControl* hit = self->HitTest(event->x, event->y);
                         const bool hand = hit && hit->row().handCursor;
                         GdkWindow* window = gtk_layout_get_bin_window(GTK_LAYOUT(widget));
                         GdkCursor* cursor =
                             hand ? gdk_cursor_new_from_name(gtk_widget_get_display(widget), "pointer") : nullptr;
                         gdk_window_set_cursor(window, cursor);
                         if (cursor) g_object_unref(cursor);
                         return FALSE;
                     }),
                     this);
    g_signal_connect(
        layout, "query-tooltip",
        G_CALLBACK(+[](GtkWidget*, gint x, gint y, gboolean, GtkTooltip* tip, Container* self) -> gboolean {
            DrawnControl* hit = self->HitTest(x, y);
            if (!hit || hit->row().toolTip.empty()) return FALSE;
            gtk_tooltip_set_text(tip, U8(hit->row().toolTip).c_str());
            return TRUE;
        }),
        this);
}

const Picture& Container::Background() {
    if (!picture_) picture_ = LoadArt(pictureName_);
    return *picture_;
}

gboolean Container::Draw(cairo_t* cr) {
    if (!gtk_cairo_should_draw_window(cr, gtk_layout_get_bin_window(GTK_LAYOUT(layout_)))) return FALSE;
    // A page parked outside its window shows nothing: its picture is not
    // even decoded until it slides in.
    const int width = gtk_widget_get_allocated_width(layout_), height = gtk_widget_get_allocated_height(layout_);
    if (int x = 0, y = 0; this != static_cast<Container*>(&form_) &&
                          gtk_widget_translate_coordinates(layout_, form_.window(), 0, 0, &x, &y) &&
                          (x >= gtk_widget_get_allocated_width(form_.window()) ||
                           y >= gtk_widget_get_allocated_height(form_.window()) || x + width <= 0 || y + height <= 0))
        return FALSE;
    // Only the container's own area.
    Paint(cr, width, height);
    return FALSE;
}

void Container::Paint(cairo_t* cr, int width, int height) {
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_clip(cr);
    // With no compositing manager, a translucent window is the screen that
    // was beneath it with the window's own pixels laid over at its opacity.
    const bool blend = this == static_cast<Container*>(&form_) && form_.Translucent();
    if (blend) {
        cairo_set_source_surface(cr, form_.toolkit().ScreenBeneath(), -form_.PixelLeft(), -form_.PixelTop());
        cairo_paint(cr);
        cairo_push_group(cr);
    }
    const Rgba back = ToRgba(backColor_, kSysWindowBackground);
    cairo_set_source_rgb(cr, back.r, back.g, back.b);
    cairo_paint(cr);
    if (const Picture& picture = Background()) PaintUnscaled(cr, picture, 0, 0);
    for (auto it = drawn_.rbegin(); it != drawn_.rend(); ++it) {
        if (!(*it)->Shown()) continue;
        cairo_save(cr);
        (*it)->Draw(cr);
        cairo_restore(cr);
    }
    // A thin flat outline, a pixel outside each shown text box, shows where
    // to type on the plain body colour.
    cairo_set_source_rgb(cr, kOutline.r, kOutline.g, kOutline.b);
    cairo_set_line_width(cr, 1);
    for (GtkWidget* child : children_) {
        if (!GTK_IS_ENTRY(g_object_get_data(G_OBJECT(child), kInnerKey)) || !gtk_widget_get_visible(child)) continue;
        int x = 0, y = 0, w = 0, h = 0;
        gtk_container_child_get(GTK_CONTAINER(layout_), child, "x", &x, "y", &y, nullptr);
        gtk_widget_get_size_request(child, &w, &h);
        cairo_rectangle(cr, x - 0.5, y - 0.5, w + 1, h + 1);
        cairo_stroke(cr);
    }
    if (blend) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, form_.Opacity() / 255.0);
    }
}

bool FormWindow::Translucent() const { return layered_ && opacity_ < 255 && toolkit_.ScreenBeneath() && !Composited(); }

DrawnControl* Container::HitTest(double x, double y) const {
    for (DrawnControl* control : drawn_) {
        if (!control->Shown() || !control->Paints()) continue;
        const GdkRectangle r = control->Rect();
        if (x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height) return control;
    }
    return nullptr;
}

void Container::RestackDrawn(DrawnControl* control, bool toFront) {
    const auto it = std::find(drawn_.begin(), drawn_.end(), control);
    if (it == drawn_.end()) return;
    drawn_.erase(it);
    if (toFront)
        drawn_.push_front(control);
    else
        drawn_.push_back(control);
    Invalidate();
}

void Container::AddChild(GtkWidget* child, int x, int y) {
    children_.push_back(child);
    g_signal_connect_after(child, "map", G_CALLBACK(+[](GtkWidget*, Container* self) { self->ApplyOrder(); }), this);
    g_object_set_data(G_OBJECT(child), "quorvel-x", GINT_TO_POINTER(x));
    g_object_set_data(G_OBJECT(child), "quorvel-y", GINT_TO_POINTER(y));
    Park(child);
    if (putDone_) gtk_layout_put(GTK_LAYOUT(layout_), child, x, y);
}

void Container::PutChildren() {
    // GtkLayout stacks a child put later above those before it.
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        gtk_layout_put(GTK_LAYOUT(layout_), *it, GPOINTER_TO_INT(g_object_get_data(G_OBJECT(*it), "quorvel-x")),
                       GPOINTER_TO_INT(g_object_get_data(G_OBJECT(*it), "quorvel-y")));
    }
    putDone_ = true;
}

void Container::MoveChild(GtkWidget* child, int x, int y) {
    g_object_set_data(G_OBJECT(child), "quorvel-x", GINT_TO_POINTER(x));
    g_object_set_data(G_OBJECT(child), "quorvel-y", GINT_TO_POINTER(y));
    Park(child);
    if (putDone_) gtk_layout_move(GTK_LAYOUT(layout_), child, x, y);
    Invalidate();
}

void Container::Park(GtkWidget* child) {
    if (this != static_cast<Container*>(&form_)) return;
    const GdkRectangle r = ChildRect(child);
    const bool inside =
        r.x < form_.PixelWidth() && r.y < form_.PixelHeight() && r.x + r.width > 0 && r.y + r.height > 0;
    if (gtk_widget_get_child_visible(child) != inside) gtk_widget_set_child_visible(child, inside);
}

void Container::ParkAll() {
    for (GtkWidget* child : children_) Park(child);
}

void Container::RestackChild(GtkWidget* child, bool toFront) {
    const auto it = std::find(children_.begin(), children_.end(), child);
    if (it == children_.end()) return;
    if ((toFront && it == children_.begin()) || (!toFront && it + 1 == children_.end())) return;
    children_.erase(it);
    if (toFront)
        children_.insert(children_.begin(), child);
    else
        children_.push_back(child);
    ApplyOrder();
}

void Container::ApplyOrder() {
    // Every child has a window of its own; the windows' order is what the
    // pointer reaches and what is painted over what. A child shown gets its
    // window raised to the top, so the order is applied again then.
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        if (gtk_widget_get_realized(*it) && gtk_widget_get_has_window(*it))
            gdk_window_raise(gtk_widget_get_window(*it));
    }
    Invalidate();
}

void Container::Invalidate() const {
    if (layout_) gtk_widget_queue_draw(layout_);
}

// ---- drawn-only controls ----

DrawnControl::DrawnControl(Container& container, const ControlSpec& row)
    : container_(container),
      row_(row),
      visible_(row.visible),
      enabled_(row.enabled),
      left_(row.left),
      top_(row.top),
      width_(row.width),
      height_(row.height) {
    container.AddDrawn(this);
}

GdkRectangle DrawnControl::Rect() const {
    const float tpp = container_.form().Tpp();
    return {ToPixels(left_, tpp), ToPixels(top_, tpp), ToPixels(width_, tpp), ToPixels(height_, tpp)};
}

// ---- the form ----

FormWindow::FormWindow(GtkToolkit& toolkit, const layouts::FormSpec& form, bool ahead)
    : Container(*this, form.picture, form.backColor), toolkit_(toolkit), spec_(form) {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    g_object_set_data(G_OBJECT(window_), kFormKey, this);
    gtk_window_set_title(GTK_WINDOW(window_), U8(form.caption).c_str());
    gtk_window_set_decorated(GTK_WINDOW(window_), FALSE);
    gtk_window_set_skip_taskbar_hint(GTK_WINDOW(window_), !form.showInTaskbar);
    const float tpp = Tpp();
    width_ = ToPixels(form.clientWidth, tpp);
    height_ = ToPixels(form.clientHeight, tpp);
    GdkRectangle screen{0, 0, 0, 0};
    gdk_monitor_get_geometry(gdk_display_get_primary_monitor(gdk_display_get_default())
                                 ? gdk_display_get_primary_monitor(gdk_display_get_default())
                                 : gdk_display_get_monitor(gdk_display_get_default(), 0),
                             &screen);
    x_ = form.centred ? screen.x + (screen.width - width_) / 2 : screen.x;
    y_ = form.centred ? screen.y + (screen.height - height_) / 2 : screen.y;
    gtk_window_set_default_size(GTK_WINDOW(window_), width_, height_);
    gtk_window_move(GTK_WINDOW(window_), x_, y_);

    MakeLayout(GTK_WIDGET(g_object_new(parking_layout_get_type(), nullptr)));
    gtk_container_add(GTK_CONTAINER(window_), layout_);
    gtk_widget_show(layout_);
    // The keys go to the window itself until the user or the program picks a
    // control: GTK would otherwise give the focus to the first one it finds.
    gtk_widget_set_can_focus(layout_, TRUE);
    gtk_window_set_focus(GTK_WINDOW(window_), layout_);

    g_signal_connect(
        window_, "configure-event", G_CALLBACK(+[](GtkWidget*, GdkEventConfigure* event, FormWindow* self) -> gboolean {
            Guarded("a window placed", [&] { self->OnConfigured(event->x, event->y, event->width, event->height); });
            return FALSE;
        }),
        this);
    g_signal_connect(window_, "focus-in-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, FormWindow* self) -> gboolean {
                         Guarded("a window activated", [&] { self->OnFocusIn(); });
                         return FALSE;
                     }),
                     this);
    g_signal_connect(window_, "window-state-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEventWindowState* event, FormWindow* self) -> gboolean {
                         Guarded("a window's state", [&] { self->OnStateChanged(event->new_window_state); });
                         return FALSE;
                     }),
                     this);
    g_signal_connect_after(window_, "draw", G_CALLBACK(&FormWindow::AfterDraw), this);
    if (form.coversEveryMonitor) {
        // Only ever shown during a lock: unmanaged from the start.
        MakeUnmanaged();
        monitorsHandler_ = g_signal_connect(gdk_screen_get_default(), "monitors-changed",
                                            G_CALLBACK(+[](GdkScreen*, FormWindow* self) {
                                                Guarded("the monitors changed", [&] { self->MonitorsChanged(); });
                                            }),
                                            this);
    }
    g_signal_connect(window_, "delete-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, FormWindow* self) -> gboolean {
                         return Guarded(
                             "a close request", [&] { return self->OnDelete(); }, TRUE);
                     }),
                     this);
    const auto key = +[](GtkWidget*, GdkEventKey* event, FormWindow* self) -> gboolean {
        return Guarded(
            "a key", [&] { return self->KeyPressed(event); }, TRUE);
    };
    g_signal_connect(window_, "key-press-event", G_CALLBACK(key), this);
    g_signal_connect(window_, "key-release-event", G_CALLBACK(key), this);

    BuildControls();
    if (ahead) {
        gtk_widget_realize(window_);
        MakeCurtains();
        return;
    }
    toolkit.FormCreated(this);
}

void FormWindow::HandOver() { toolkit_.FormCreated(this); }

FormWindow::~FormWindow() {
    // The controls go first: none of them touches its widget once the window
    // is gone.
    timers_.clear();
    controls_.clear();
    if (monitorsHandler_) g_signal_handler_disconnect(gdk_screen_get_default(), monitorsHandler_);
    DestroyCurtains();
    g_object_set_data(G_OBJECT(window_), kFormKey, nullptr);
    gtk_widget_destroy(window_);
    toolkit_.FormDestroyed(this);
}

float FormWindow::Tpp() const { return toolkit_.TwipsPerPixelX(); }

Container& FormWindow::ContainerOf(std::string_view name) {
    if (name.empty()) return *this;
    auto it = panels_.find(name);
    if (it == panels_.end())
        throw std::logic_error("layout names a container before it, or none: " + std::string(name));
    return *it->second;
}

void FormWindow::BuildControls() {
    std::vector<Container*> containers{this};
    for (const ControlSpec& row : spec_.controls) {
        const std::string key = KeyOf(row.name, row.index);
        if (row.kind == ControlKind::Timer) {
            timers_[key] = std::make_unique<FormTimer>(row);
            continue;
        }
        Container* inner = nullptr;
        controls_[key] = MakeControl(ContainerOf(row.container), row, &inner);
        if (inner) {
            panels_[std::string(row.name)] = inner;
            containers.push_back(inner);
        }
        if (GtkWidget* widget = WidgetOf(*controls_[key]); widget && row.tabIndex >= 0 && !inner)
            tabOrder_.emplace_back(row.tabIndex, widget);
    }
    std::sort(tabOrder_.begin(), tabOrder_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (Container* container : containers) container->PutChildren();
}

template <typename T>
T& FormWindow::Find(std::string_view name) {
    auto it = controls_.find(name);
    T* control = it == controls_.end() ? nullptr : dynamic_cast<T*>(it->second.get());
    if (!control) throw std::logic_error("no control of that kind and name: " + std::string(name));
    return *control;
}

TextBox& FormWindow::TextBoxNamed(std::string_view name) { return Find<TextBox>(name); }
Label& FormWindow::LabelNamed(std::string_view name, int index) { return Find<Label>(KeyOf(name, index)); }
Image& FormWindow::ImageNamed(std::string_view name) { return Find<Image>(name); }
Panel& FormWindow::PanelNamed(std::string_view name) { return Find<Panel>(name); }
Button& FormWindow::ButtonNamed(std::string_view name) { return Find<Button>(name); }
Timer& FormWindow::TimerNamed(std::string_view name) {
    auto it = timers_.find(name);
    if (it == timers_.end()) throw std::logic_error("no timer named " + std::string(name));
    return *it->second;
}

namespace {

bool Contains(const GdkRectangle& r, int x, int y) {
    return x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height;
}

}  // namespace

bool FormWindow::Reachable(GtkWidget* widget) const {
    if (!widget || !gtk_widget_is_visible(widget) || !gtk_widget_is_sensitive(widget)) return false;
    // What its container holds: the widget, or the window around it.
    auto* child = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(widget), kOuterKey));
    if (!child) child = widget;
    if (!gtk_widget_get_visible(window_)) return false;
    // The middle of the child in the window, up through its panels.
    const GdkRectangle own = ChildRect(child);
    int x = own.x + own.width / 2, y = own.y + own.height / 2;
    for (GtkWidget* at = gtk_widget_get_parent(child); at && at != layout_; at = gtk_widget_get_parent(at)) {
        if (!g_object_get_data(G_OBJECT(at), kContainerKey)) continue;
        const GdkRectangle panel = ChildRect(at);
        x += panel.x;
        y += panel.y;
    }
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;  // a page parked outside, say
    // Down from the window through whatever lies in front at that point.
    const Container* container = this;
    int px = x, py = y;
    for (;;) {
        GtkWidget* front = nullptr;
        for (GtkWidget* w : container->children_) {
            if (gtk_widget_get_visible(w) && Contains(ChildRect(w), px, py)) {
                front = w;
                break;
            }
        }
        if (!front) return false;
        if (front == child) return true;
        const auto* inner = static_cast<const Container*>(g_object_get_data(G_OBJECT(front), kContainerKey));
        if (!inner) return false;
        const GdkRectangle r = ChildRect(front);
        px -= r.x;
        py -= r.y;
        container = inner;
    }
}

void FormWindow::TabFrom(GtkWidget* from, bool backwards) {
    std::optional<size_t> at;
    for (size_t i = 0; i < tabOrder_.size(); ++i)
        if (tabOrder_[i].second == from) at = i;
    const auto next =
        NextTabStop(tabOrder_.size(), at, backwards, [this](size_t i) { return Reachable(tabOrder_[i].second); });
    if (!next) return;
    GtkWidget* target = tabOrder_[*next].second;
    gtk_widget_grab_focus(target);  // an entry selects its whole text
}

bool FormWindow::KeyPressed(GdkEventKey* event) {
    const bool down = event->type == GDK_KEY_PRESS;
    if (const KeyFilterFn filter = toolkit_.keyFilter()) {
        const KeyEvent key{VirtualKeyOf(event->keyval), down, event->send_event != 0};
        if (filter(key)) {
            toolkit_.Discarded(event->keyval, down);
            return true;
        }
        // A discarded modifier is not held for the keys that follow either,
        // as when the system never saw it go down.
        event->state &= ~toolkit_.DiscardedModifiers();
    }
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window_));
    if (event->keyval == GDK_KEY_Tab || event->keyval == GDK_KEY_ISO_Left_Tab || event->keyval == GDK_KEY_KP_Tab) {
        if (down) TabFrom(focus, (event->state & GDK_SHIFT_MASK) != 0);
        return true;
    }
    // Keys act only on a control the user sees and could click: one that kept
    // the focus while a page slid over it takes nothing.
    if (focus && !Reachable(focus)) return true;
    return false;
}

void FormWindow::RaiseActivate() {
    toolkit_.activeForm = this;
    if (Activate) Activate();
}

void FormWindow::OnFocusIn() {
    if (destroyed_) return;
    if (inShow_ || !gtk_widget_get_visible(window_)) {
        activationPending_ = true;
        return;
    }
    if (toolkit_.activeForm == this) return;  // back from another program
    RaiseActivate();
}

void FormWindow::OnConfigured(int x, int y, int width, int height) {
    // Until the server has the place the program asked for, what it reports
    // is the place before: no change of the window's.
    if (placing_) {
        if (x != x_ || y != y_ || width != width_ || height != height_) {
            if (g_get_monotonic_time() < placedAt_ + kPlacingUs) return;
        }
        placing_ = false;
    }
    x_ = x;
    y_ = y;
    const bool sized = width != width_ || height != height_;
    width_ = width;
    height_ = height;
    if (sized) ParkAll();
    if (sized && !inShow_ && gtk_widget_get_visible(window_) && state_ != WindowState::Minimized &&
        showOrder_.Resized(width_, height_) && Resize)
        Resize();
}

void FormWindow::OnStateChanged(GdkWindowState state) {
    if (state & GDK_WINDOW_STATE_ICONIFIED)
        state_ = WindowState::Minimized;
    else if (state_ == WindowState::Minimized)
        state_ = WindowState::Normal;
}

bool FormWindow::OnDelete() {
    if (!CloseRequest || CloseRequest()) Unload();
    return true;  // the window is the program's to destroy
}

void FormWindow::Place(int x, int y, int width, int height) {
    // Asked again where it already is (the keep-on-top ticks ask every few
    // milliseconds): nothing to tell the X server.
    if (x == x_ && y == y_ && width == width_ && height == height_ && placedOnce_) return;
    placedOnce_ = true;
    const bool sized = width != width_ || height != height_;
    x_ = x;
    y_ = y;
    width_ = width;
    height_ = height;
    if (sized) ParkAll();
    placing_ = true;
    placedAt_ = g_get_monotonic_time();
    gtk_window_move(GTK_WINDOW(window_), x, y);
    gtk_window_resize(GTK_WINDOW(window_), std::max(width, 1), std::max(height, 1));
    if (sized && !inShow_ && gtk_widget_get_visible(window_) && showOrder_.Resized(width_, height_) && Resize) Resize();
}

void FormWindow::Show() {
    if (destroyed_) return;
    inShow_ = true;
    const bool first = !showOrder_.ShownOnce();
    if (first && spec_.maximized) {
        GdkRectangle screen{};
        GdkDisplay* display = gdk_display_get_default();
        GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
        gdk_monitor_get_geometry(monitor ? monitor : gdk_display_get_monitor(display, 0), &screen);
        Place(screen.x, screen.y, screen.width, screen.height);
        state_ = WindowState::Maximized;
    }
    if (state_ == WindowState::Minimized) gtk_window_deiconify(GTK_WINDOW(window_));
    const bool moved = toolkit_.activeForm != this;
    if (toolkit_.locked()) MakeUnmanaged();
    if (unmanaged_) {
        gtk_widget_show(window_);
        ShowCurtains();
        toolkit_.Restack();
        PaintNow();
        if (spec_.coversEveryMonitor) toolkit_.HideCover();
    } else {
        gtk_widget_show(window_);
        gtk_window_present(GTK_WINDOW(window_));
    }
    inShow_ = false;
    showOrder_.AfterShown(
        width_, height_, activationPending_ || moved,
        [this] {
            if (Resize) Resize();
        },
        [this] {
            if (!destroyed_ && toolkit_.activeForm != this) RaiseActivate();
        });
    activationPending_ = false;
    // Its first showing has just made it translucent, given it its picture or
    // placed it: the final look is on the screen at once too.
    if (unmanaged_) PaintNow();
}

void FormWindow::Hide() {
    if (destroyed_) return;
    toolkit_.MoveGrabFrom(this);
    gtk_widget_hide(window_);
    HideCurtains();
    if (toolkit_.locked()) toolkit_.Restack();
    if (toolkit_.activeForm != this) return;
    // The activation goes on to the program's window shown last.
    const auto& forms = toolkit_.forms();
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
        if (*it != this && (*it)->Visible()) {
            if (!toolkit_.locked()) gtk_window_present(GTK_WINDOW((*it)->window()));
            (*it)->RaiseActivate();
            return;
        }
    }
    toolkit_.activeForm = nullptr;
}

void FormWindow::Unload() {
    if (destroyed_) return;
    if (Unloaded) Unloaded();
    for (auto& [name, timer] : timers_) timer->SetEnabled(false);
    destroyed_ = true;
    gtk_widget_hide(window_);
    HideCurtains();
    if (toolkit_.activeForm == this) toolkit_.activeForm = nullptr;
    toolkit_.FormDestroyed(this);
}

bool FormWindow::Visible() const { return !destroyed_ && gtk_widget_get_visible(window_); }

void FormWindow::SetState(WindowState state) {
    switch (state) {
        case WindowState::Minimized: gtk_window_iconify(GTK_WINDOW(window_)); break;
        case WindowState::Normal:
            gtk_window_deiconify(GTK_WINDOW(window_));
            if (state_ == WindowState::Maximized) {
                state_ = WindowState::Normal;
                const float tpp = Tpp();
                Place(x_, y_, ToPixels(spec_.clientWidth, tpp), ToPixels(spec_.clientHeight, tpp));
            }
            break;
        case WindowState::Maximized: {
            GdkRectangle screen{};
            GdkDisplay* display = gdk_display_get_default();
            GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
            gdk_monitor_get_geometry(monitor ? monitor : gdk_display_get_monitor(display, 0), &screen);
            gtk_window_deiconify(GTK_WINDOW(window_));
            Place(screen.x, screen.y, screen.width, screen.height);
            state_ = WindowState::Maximized;
            break;
        }
    }
}

void FormWindow::SetWindowPos(InsertAfter where, const PixelRect& rect) {
    const bool top = where == InsertAfter::Topmost;
    const bool changed = top != topmost_ || below_ != nullptr;
    topmost_ = top;
    below_ = nullptr;
    if (!toolkit_.locked()) {
        // Before a lock the window manager keeps the band.
        gtk_window_set_keep_above(GTK_WINDOW(window_), top);
        Place(rect.x, rect.y, rect.width, rect.height);
        if (gtk_widget_get_visible(window_)) gtk_window_present(GTK_WINDOW(window_));
        return;
    }
    // During a lock the band is kept by restacking when anything else comes
    // above it; asking again where the window already is costs nothing.
    MakeUnmanaged();
    Place(rect.x, rect.y, rect.width, rect.height);
    if (changed && gtk_widget_get_visible(window_)) toolkit_.Restack();
    toolkit_.KeepGrab();
}

bool FormWindow::Composited() const { return gdk_screen_is_composited(gtk_widget_get_screen(window_)); }

void FormWindow::SetLayered(bool layered) {
    if (layered == layered_) return;
    layered_ = layered;
    const double opacity = layered_ && Composited() ? opacity_ / 255.0 : 1.0;
    gtk_widget_set_opacity(window_, opacity);
    for (GtkWidget* curtain : curtains_) gtk_widget_set_opacity(curtain, opacity);
    Invalidate();
}

void FormWindow::SetOpacity(uint8_t alpha) {
    if (alpha == opacity_) return;
    opacity_ = alpha;
    if (!layered_) return;
    if (Composited()) {
        gtk_widget_set_opacity(window_, alpha / 255.0);
        for (GtkWidget* curtain : curtains_) gtk_widget_set_opacity(curtain, alpha / 255.0);
    }
    gtk_widget_queue_draw(window_);
    for (GtkWidget* curtain : curtains_) gtk_widget_queue_draw(curtain);
}

void FormWindow::PlaceBelow(const Window& above) {
    const auto* other = dynamic_cast<const FormWindow*>(&above);
    if (!other || other == this || (below_ == other && !topmost_)) return;
    below_ = other;
    topmost_ = false;
    if (toolkit_.locked()) {
        toolkit_.Restack();
    } else {
        GdkWindow* mine = gtk_widget_get_window(window_);
        GdkWindow* theirs = gtk_widget_get_window(other->window_);
        if (mine && theirs) gdk_window_restack(mine, theirs, FALSE);
    }
}

void FormWindow::MakeUnmanaged() {
    if (unmanaged_) return;
    unmanaged_ = true;
    // X takes the attribute at the next map: a shown window is mapped again,
    // unless no window manager runs. Then nothing has taken the window, and
    // one that starts later passes over a window with the attribute.
    const bool remap = gtk_widget_get_visible(window_) && WindowManagerRuns();
    if (remap) {
        gtk_widget_hide(window_);
        WaitUntilWithdrawn();
    }
    gtk_widget_realize(window_);
    gdk_window_set_override_redirect(gtk_widget_get_window(window_), TRUE);
    if (remap) {
        gtk_widget_show(window_);
        gdk_window_move_resize(gtk_widget_get_window(window_), x_, y_, std::max(width_, 1), std::max(height_, 1));
    }
}

bool FormWindow::WindowManagerRuns() const {
    // Only one client may redirect the root window's children: the manager.
    GdkWindow* root = gdk_screen_get_root_window(gtk_widget_get_screen(window_));
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(GDK_WINDOW_XDISPLAY(root), gdk_x11_window_get_xid(root), &attributes)) return true;
    return (attributes.all_event_masks & SubstructureRedirectMask) != 0;
}

void FormWindow::PaintNow() {
    // A curtain's look straight onto its X window, the moment it is mapped:
    // the screen is covered without waiting for GTK's next frame, which then
    // draws the same. Sent to the X server now, not when the rest of the
    // event that showed it has run (saving the settings, say).
    if (!spec_.coversEveryMonitor || !gtk_widget_get_visible(window_)) return;
    const auto onto = [](GtkWidget* window, const std::function<void(cairo_t*, int, int)>& paint) {
        GdkWindow* gdk = gtk_widget_get_window(window);
        if (!gdk || !GDK_IS_X11_WINDOW(gdk)) return;
        const int width = gdk_window_get_width(gdk), height = gdk_window_get_height(gdk);
        cairo_surface_t* surface =
            cairo_xlib_surface_create(GDK_WINDOW_XDISPLAY(gdk), gdk_x11_window_get_xid(gdk),
                                      GDK_VISUAL_XVISUAL(gdk_window_get_visual(gdk)), width, height);
        cairo_t* cr = cairo_create(surface);
        paint(cr, width, height);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
        cairo_surface_destroy(surface);
    };
    onto(window_, [this](cairo_t* cr, int width, int height) { Paint(cr, width, height); });
    for (GtkWidget* curtain : curtains_)
        onto(curtain, [this, curtain](cairo_t* cr, int, int) { DrawCurtain(curtain, cr, this); });
    gdk_display_flush(gtk_widget_get_display(window_));
}

void FormWindow::WaitUntilWithdrawn() {
    // A window manager gives a window it managed back to the root window when
    // the window is withdrawn; mapped again before that, it would come back
    // inside the manager's frame. A second is more than any manager takes.
    GdkWindow* window = gtk_widget_get_window(window_);
    if (!window) return;
    Display* display = GDK_WINDOW_XDISPLAY(window);
    const ::Window xid = gdk_x11_window_get_xid(window);
    const gint64 end = g_get_monotonic_time() + 1'000'000;
    while (g_get_monotonic_time() < end) {
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        gdk_x11_display_error_trap_push(gdk_window_get_display(window));
        const Status ok = XQueryTree(display, xid, &root, &parent, &children, &count);
        gdk_x11_display_error_trap_pop_ignored(gdk_window_get_display(window));
        if (children) XFree(children);
        if (!ok || parent == root) return;
        while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
        g_usleep(2'000);
    }
}

namespace {

GdkRectangle PrimaryMonitor(GdkDisplay* display) {
    GdkRectangle r{};
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    if (monitor) gdk_monitor_get_geometry(monitor, &r);
    return r;
}

bool SameRect(const GdkRectangle& a, const GdkRectangle& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

}  // namespace

Picture FormWindow::StretchedPicture() const {
    for (const DrawnControl* control : drawn_) {
        if (!control->Shown() || !control->row().stretch) continue;
        if (const auto* image = dynamic_cast<const Image*>(control); image && image->GetPicture())
            return image->GetPicture();
    }
    return nullptr;
}

gboolean FormWindow::AfterDraw(GtkWidget*, cairo_t*, FormWindow* self) {
    FormTimer::NoteActivity();
    if (!self->firstPainted_) {
        // The first frame is on its way to the screen: what is made ahead is
        // made once it is there and the program idles.
        self->firstPainted_ = true;
        g_idle_add_full(
            G_PRIORITY_LOW,
            +[](gpointer toolkit) -> gboolean {
                static_cast<GtkToolkit*>(toolkit)->FirstPaintDone();
                return G_SOURCE_REMOVE;
            },
            &self->toolkit_, nullptr);
    }
    return FALSE;
}

gboolean FormWindow::DrawCurtain(GtkWidget* curtain, cairo_t* cr, FormWindow* self) {
    const int w = gtk_widget_get_allocated_width(curtain), h = gtk_widget_get_allocated_height(curtain);
    const bool blend = self->Translucent();
    if (blend) {
        int x = 0, y = 0;
        gtk_window_get_position(GTK_WINDOW(curtain), &x, &y);
        cairo_set_source_surface(cr, self->toolkit_.ScreenBeneath(), -x, -y);
        cairo_paint(cr);
        cairo_push_group(cr);
    }
    const Rgba back = ToRgba(self->backColor_, kSysWindowBackground);
    cairo_set_source_rgb(cr, back.r, back.g, back.b);
    cairo_paint(cr);
    if (const Picture picture = self->StretchedPicture()) PaintStretched(cr, picture, 0, 0, w, h);
    if (blend) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, self->opacity_ / 255.0);
    }
    return TRUE;
}

void FormWindow::ShowCurtains() {
    MakeCurtains();
    for (GtkWidget* curtain : curtains_) gtk_widget_show(curtain);
}

void FormWindow::MakeCurtains() {
    if (!spec_.coversEveryMonitor) return;
    if (curtains_.empty()) {
        GdkDisplay* display = gdk_display_get_default();
        const GdkRectangle own = PrimaryMonitor(display);
        for (int i = 0; i < gdk_display_get_n_monitors(display); ++i) {
            GdkRectangle r{};
            gdk_monitor_get_geometry(gdk_display_get_monitor(display, i), &r);
            if (SameRect(r, own)) continue;
            // The window's colour, opacity and stretched picture; no
            // controls, never active.
            GtkWidget* curtain = gtk_window_new(GTK_WINDOW_POPUP);
            gtk_widget_set_app_paintable(curtain, TRUE);
            gtk_window_set_accept_focus(GTK_WINDOW(curtain), FALSE);
            gtk_window_move(GTK_WINDOW(curtain), r.x, r.y);
            gtk_window_set_default_size(GTK_WINDOW(curtain), r.width, r.height);
            gtk_widget_set_size_request(curtain, r.width, r.height);
            g_signal_connect(curtain, "draw", G_CALLBACK(&FormWindow::DrawCurtain), this);
            if (layered_ && Composited()) gtk_widget_set_opacity(curtain, opacity_ / 255.0);
            gtk_widget_realize(curtain);
            curtains_.push_back(curtain);
        }
    }
}

void FormWindow::HideCurtains() {
    for (GtkWidget* curtain : curtains_) gtk_widget_hide(curtain);
}

void FormWindow::DestroyCurtains() {
    for (GtkWidget* curtain : curtains_) gtk_widget_destroy(curtain);
    curtains_.clear();
}

void FormWindow::MonitorsChanged() {
    // The window over the primary monitor as it is now, and a curtain over
    // each of the others.
    const bool shown = Visible();
    DestroyCurtains();
    if (state_ == WindowState::Maximized) {
        const GdkRectangle own = PrimaryMonitor(gdk_display_get_default());
        Place(own.x, own.y, own.width, own.height);
    }
    if (!shown) return;
    ShowCurtains();
    toolkit_.Restack();
}

void FormWindow::BeginCaptionDrag() {
    GdkDisplay* display = gdk_display_get_default();
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
    int x = 0, y = 0;
    gdk_device_get_position(pointer, nullptr, &x, &y);
    gtk_window_begin_move_drag(GTK_WINDOW(window_), 1, x, y, gtk_get_current_event_time());
}

// ---- timers ----

namespace {

// The program's timers, and what has happened since: frames drawn and
// events from the X server.
std::vector<FormTimer*> g_timers;
guint64 g_activity = 0;

GdkFilterReturn NoteEvent(GdkXEvent*, GdkEvent*, gpointer) {
    ++g_activity;
    FormTimer::Wake();
    return GDK_FILTER_CONTINUE;
}

Display* XDisplayOrNull() {
    GdkDisplay* display = gdk_display_get_default();
    return display && GDK_IS_X11_DISPLAY(display) ? GDK_DISPLAY_XDISPLAY(display) : nullptr;
}

}  // namespace

void FormTimer::NoteActivity() { ++g_activity; }

FormTimer::FormTimer(const layouts::ControlSpec& row) : interval_(row.interval) {
    static const bool watching = [] {
        if (XDisplayOrNull()) gdk_window_add_filter(nullptr, &NoteEvent, nullptr);
        return true;
    }();
    (void)watching;
    g_timers.push_back(this);
}

FormTimer::~FormTimer() {
    SetEnabled(false);
    std::erase(g_timers, this);
}

void FormTimer::Wake() {
    for (FormTimer* timer : g_timers)
        if (timer->slowed_) timer->Start(false);
}

void FormTimer::Start(bool slowed) {
    if (source_) g_source_remove(source_);
    slowed_ = slowed;
    idleTicks_ = 0;
    lastActivity_ = g_activity;
    // As on the Windows desktop the program was designed for, whose timers
    // tick with the system clock (64 times a second), a timer ticks at most
    // every 16 ms: the pages slide at the designed pace.
    const int ms = slowed ? kIdleTickMs : std::max(interval_, kShortestTickMs);
    source_ = g_timeout_add(static_cast<guint>(ms), &FormTimer::Ticked, this);
}

void FormTimer::SetEnabled(bool enabled) {
    if (enabled == (source_ != 0)) return;  // enabling a running timer changes nothing
    if (enabled) {
        Wake();
        Start(false);
    } else {
        g_source_remove(source_);
        source_ = 0;
        slowed_ = false;
    }
}

gboolean FormTimer::Ticked(gpointer data) {
    auto* self = static_cast<FormTimer*>(data);
    const guint source = self->source_;
    Display* x = XDisplayOrNull();
    const unsigned long request = x ? XNextRequest(x) : 0;
    Guarded("a timer's tick", [&] {
        if (self->Tick) self->Tick();
    });
    // The tick may have stopped or started this timer again, or ended its
    // window (and the timer with it): then nothing more of it is touched.
    if (std::find(g_timers.begin(), g_timers.end(), self) == g_timers.end() || self->source_ != source || !x)
        return G_SOURCE_CONTINUE;
    const bool idle = XNextRequest(x) == request && g_activity == self->lastActivity_;
    self->lastActivity_ = g_activity;
    if (!idle) {
        self->idleTicks_ = 0;
        if (self->slowed_) {
            Wake();
            return G_SOURCE_REMOVE;  // started again at its pace
        }
        return G_SOURCE_CONTINUE;
    }
    if (self->slowed_ || ++self->idleTicks_ < kIdleTicksBeforeSlowing) return G_SOURCE_CONTINUE;
    self->source_ = 0;  // this source ends with this tick
    self->Start(true);
    return G_SOURCE_REMOVE;
}

}  // namespace quorvel::gtk
