#include "platform/gtk/button_host.h"

#include <algorithm>
#include <cmath>

#include "platform/gtk/form_window.h"
#include "platform/gtk/gtk_toolkit.h"
#include "platform/gtk/guard.h"
#include "platform/gtk/pictures.h"
#include "widgets/ibutton/property_bag.h"

namespace quorvel::gtk {
namespace {

constexpr guint kTimer1Ms = 50;

int16_t ShiftOf(guint state) {
    int16_t shift = 0;
    if (state & GDK_SHIFT_MASK) shift |= 1;
    if (state & GDK_CONTROL_MASK) shift |= 2;
    if (state & GDK_MOD1_MASK) shift |= 4;
    return shift;
}

int16_t ButtonBit(guint button) { return button == 1 ? 1 : button == 3 ? 2 : 4; }

// The shape of a transparent button: every pixel that is not the mask colour.
cairo_region_t* RegionOf(const Bitmap& mask) {
    cairo_region_t* region = cairo_region_create();
    for (const PixelRun& run : RunsWithout(mask, kButtonMaskColour)) {
        const cairo_rectangle_int_t piece{run.x0, run.y, run.x1 - run.x0, 1};
        cairo_region_union_rectangle(region, &piece);
    }
    return region;
}

}  // namespace

ButtonHost::ButtonHost(GtkToolkit& toolkit, const layouts::ControlSpec& row, const PictureResolver& resolve)
    : toolkit_(toolkit), tpp_(toolkit.TwipsPerPixelX()) {
    widget_ = gtk_drawing_area_new();
    g_object_ref_sink(widget_);
    gtk_widget_set_can_focus(widget_, row.tabIndex >= 0);
    gtk_widget_add_events(widget_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                       GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK | GDK_FOCUS_CHANGE_MASK);
    g_signal_connect(widget_, "draw", G_CALLBACK(&ButtonHost::OnDraw), this);
    g_signal_connect(widget_, "button-press-event", G_CALLBACK(&ButtonHost::OnPress), this);
    g_signal_connect(widget_, "button-release-event", G_CALLBACK(&ButtonHost::OnRelease), this);
    g_signal_connect(widget_, "motion-notify-event", G_CALLBACK(&ButtonHost::OnMotion), this);
    g_signal_connect(widget_, "key-press-event", G_CALLBACK(&ButtonHost::OnKey), this);
    g_signal_connect(widget_, "key-release-event", G_CALLBACK(&ButtonHost::OnKey), this);
    g_signal_connect(widget_, "focus-in-event", G_CALLBACK(&ButtonHost::OnFocus), this);
    g_signal_connect(widget_, "focus-out-event", G_CALLBACK(&ButtonHost::OnFocus), this);
    g_signal_connect(widget_, "grab-broken-event", G_CALLBACK(&ButtonHost::OnGrabBroken), this);
    g_signal_connect(widget_, "map", G_CALLBACK(&ButtonHost::OnMap), this);
    g_signal_connect(widget_, "realize", G_CALLBACK(&ButtonHost::OnRealize), this);
    width_ = std::max(Px(row.width), 1);
    height_ = std::max(Px(row.height), 1);
    gtk_widget_set_size_request(widget_, width_, height_);
    RecreateImage();
    button_ = std::make_unique<IButton>(*this);
    const PictureResolver art = [](std::string_view name) { return LoadArt(name); };
    button_->ReadProperties(PropertyBag::Parse(row.bag), resolve ? resolve : art);
    // The stored size is applied: with AutoSize the button then takes the
    // size of one frame of its strip.
    button_->OnResize();
    if (!row.enabled) button_->SetEnabled(false);
}

ButtonHost::~ButtonHost() {
    if (timer1_) g_source_remove(timer1_);
    g_signal_handlers_disconnect_matched(widget_, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
    button_.reset();
    if (shape_) cairo_region_destroy(shape_);
    if (surface_) cairo_surface_destroy(surface_);
    g_object_unref(widget_);
}

int ButtonHost::Px(Twips twips) const { return ToPixels(twips, tpp_); }

void ButtonHost::RecreateImage() {
    if (surface_ && cairo_image_surface_get_width(surface_) == width_ &&
        cairo_image_surface_get_height(surface_) == height_)
        return;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width_, height_);
    if (surface_) {
        // What was drawn stays where it was, as in a window that grew.
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_surface(cr, surface_, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_destroy(surface_);
    }
    surface_ = surface;
}

void ButtonHost::Changed() { gtk_widget_queue_draw(widget_); }

ScreenPoint ButtonHost::CursorPos() const { return toolkit_.PointerPosition(); }

intptr_t ButtonHost::WindowFromPoint(ScreenPoint point) const {
    // The button is the window there when the point lies in its shape on the
    // screen and the window under the pointer there is the button's own.
    GdkWindow* own = gtk_widget_get_window(widget_);
    if (!own || !gdk_window_is_viewable(own)) return 0;
    int ox = 0, oy = 0;
    gdk_window_get_origin(own, &ox, &oy);
    const int x = point.x - ox, y = point.y - oy;
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    if (shape_ && !cairo_region_contains_point(shape_, x, y)) return 0;
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(gtk_widget_get_display(widget_)));
    const ScreenPoint cursor = CursorPos();
    if (cursor == point) {
        GdkWindow* under = gdk_device_get_window_at_position(pointer, nullptr, nullptr);
        if (under != own) return 0;
    }
    FormWindow* form = FormOf(widget_);
    if (form && !gtk_widget_is_sensitive(widget_)) return 0;
    return Hwnd();
}

bool ButtonHost::Showing() const { return gtk_widget_is_visible(widget_) && gtk_widget_get_mapped(widget_); }

bool ButtonHost::Enabled() const { return gtk_widget_get_sensitive(widget_); }

void ButtonHost::SetEnabled(bool enabled) { gtk_widget_set_sensitive(widget_, enabled); }

void ButtonHost::SetWidth(Twips width) { Resize(std::max(Px(width), 0), height_); }

void ButtonHost::SetHeight(Twips height) { Resize(width_, std::max(Px(height), 0)); }

void ButtonHost::Resize(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    // The same size again is no change, and the button hears nothing of it.
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    gtk_widget_set_size_request(widget_, width_, height_);
    RecreateImage();
    if (button_) button_->OnResize();
}

void ButtonHost::StartTimer1() {
    if (timer1_) return;
    timer1_ = g_timeout_add(kTimer1Ms, &ButtonHost::OnTimer1, this);
}

void ButtonHost::StopTimer1() {
    if (!timer1_) return;
    g_source_remove(timer1_);
    timer1_ = 0;
}

gboolean ButtonHost::OnTimer1(gpointer data) {
    auto* self = static_cast<ButtonHost*>(data);
    Guarded("a button's hover poll", [&] { self->button_->Timer1_Timer(); });
    return G_SOURCE_CONTINUE;
}

void ButtonHost::Clear(Colour background) {
    const Rgba c = ToRgba(background, kSysWindowBackground);
    cairo_t* cr = cairo_create(surface_);
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
    cairo_paint(cr);
    cairo_destroy(cr);
    Changed();
}

void ButtonHost::PaintPicture(const Picture& picture, Twips x, Twips y, Twips width, Twips height) {
    if (!picture || picture->Empty()) return;
    // A plain copy, pixel for pixel from the nearest source pixel: at one
    // frame per button size every pixel lands as drawn.
    const int x0 = Px(x), y0 = Px(y), w = Px(width), h = Px(height);
    if (w <= 0 || h <= 0) return;
    cairo_surface_flush(surface_);
    auto* data = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface_));
    const int stride = cairo_image_surface_get_stride(surface_) / 4;
    for (int dy = std::max(0, -y0); dy < h && y0 + dy < height_; ++dy) {
        const int sy = static_cast<int>(static_cast<int64_t>(dy) * picture->height / h);
        for (int dx = std::max(0, -x0); dx < w && x0 + dx < width_; ++dx) {
            const int sx = static_cast<int>(static_cast<int64_t>(dx) * picture->width / w);
            data[static_cast<size_t>(y0 + dy) * stride + x0 + dx] = picture->At(sx, sy) | 0xFF000000u;
        }
    }
    cairo_surface_mark_dirty(surface_);
    Changed();
}

PangoLayout* ButtonHost::LayoutOf(std::u16string_view text, const ButtonFont& font) {
    PangoLayout* layout = gtk_widget_create_pango_layout(widget_, U8(text).c_str());
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, U8(font.face).c_str());
    pango_font_description_set_size(description,
                                    static_cast<gint>(std::clamp(font.points, 0.01f, 16384.0f) * PANGO_SCALE));
    pango_font_description_set_weight(description, static_cast<PangoWeight>(std::clamp<int>(font.weight, 100, 1000)));
    pango_font_description_set_style(description, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    PangoAttrList* attributes = pango_attr_list_new();
    if (font.underline) pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (font.strikethrough) pango_attr_list_insert(attributes, pango_attr_strikethrough_new(TRUE));
    pango_layout_set_attributes(layout, attributes);
    pango_attr_list_unref(attributes);
    return layout;
}

Twips ButtonHost::TextWidth(std::u16string_view text, const ButtonFont& font) {
    PangoLayout* layout = LayoutOf(text, font);
    int width = 0;
    pango_layout_get_pixel_size(layout, &width, nullptr);
    g_object_unref(layout);
    return width * tpp_;
}

Twips ButtonHost::TextHeight(std::u16string_view text, const ButtonFont& font) {
    // The height of a line, also for an empty text.
    PangoLayout* layout = LayoutOf(text.empty() ? u" " : text, font);
    int height = 0;
    pango_layout_get_pixel_size(layout, nullptr, &height);
    g_object_unref(layout);
    return height * tpp_;
}

void ButtonHost::Print(std::u16string_view text, Twips x, Twips y, const ButtonFont& font, Colour colour) {
    PangoLayout* layout = LayoutOf(text, font);
    const Rgba c = ToRgba(colour, kSysButtonText);
    cairo_t* cr = cairo_create(surface_);
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
    cairo_move_to(cr, Px(x), Px(y));
    pango_cairo_show_layout(cr, layout);
    cairo_destroy(cr);
    g_object_unref(layout);
    Changed();
}

void ButtonHost::DrawFocusRect(const FocusRect& rect) {
    // The dotted outline of the desktop: every other pixel of the edge
    // inverted, so that the same rectangle drawn again removes it.
    cairo_surface_flush(surface_);
    auto* data = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface_));
    const int stride = cairo_image_surface_get_stride(surface_) / 4;
    const auto flip = [&](int x, int y) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_) data[static_cast<size_t>(y) * stride + x] ^= 0x00FFFFFFu;
    };
    const int l = rect.left, t = rect.top, r = rect.right - 1, b = rect.bottom - 1;
    if (r < l || b < t) return;
    // The pixels of the edge in a checkerboard, each once.
    const auto edge = [&](int x, int y) {
        if ((x + y) % 2 == 0) flip(x, y);
    };
    for (int x = l; x <= r; ++x) {
        edge(x, t);
        if (b != t) edge(x, b);
    }
    for (int y = t + 1; y < b; ++y) {
        edge(l, y);
        if (r != l) edge(r, y);
    }
    cairo_surface_mark_dirty(surface_);
    Changed();
}

Picture ButtonHost::Image() const {
    auto image = std::make_shared<Bitmap>(width_, height_);
    cairo_surface_flush(surface_);
    const auto* data = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface_));
    const int stride = cairo_image_surface_get_stride(surface_) / 4;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) image->At(x, y) = data[static_cast<size_t>(y) * stride + x] | 0xFF000000u;
    return image;
}

void ButtonHost::SetMaskPicture(const Picture& mask) {
    mask_ = mask;
    ApplyShape();
}

void ButtonHost::SetMaskToImage() {
    mask_ = Image();
    ApplyShape();
}

void ButtonHost::SetBackStyle(int16_t backStyle) {
    backStyle_ = backStyle;
    ApplyShape();
}

void ButtonHost::ApplyShape() {
    if (shape_) cairo_region_destroy(shape_);
    shape_ = backStyle_ == 0 && mask_ && !mask_->Empty() ? RegionOf(*mask_) : nullptr;
    // Clicks outside the shape go to what lies beneath.
    if (GdkWindow* window = gtk_widget_get_window(widget_)) gdk_window_input_shape_combine_region(window, shape_, 0, 0);
    Changed();
}

gboolean ButtonHost::OnDraw(GtkWidget*, cairo_t* cr, ButtonHost* self) {
    // Shows the retained image; the button never draws on an expose.
    if (self->shape_) {
        gdk_cairo_region(cr, self->shape_);
        cairo_clip(cr);
    }
    cairo_set_source_surface(cr, self->surface_, 0, 0);
    cairo_paint(cr);
    return TRUE;
}

void ButtonHost::OnRealize(GtkWidget* widget, ButtonHost* self) {
    if (self->shape_) gdk_window_input_shape_combine_region(gtk_widget_get_window(widget), self->shape_, 0, 0);
}

void ButtonHost::OnMap(GtkWidget*, ButtonHost* self) {
    // The button on the screen now cuts its frames (once, at its first show).
    Guarded("a button shown", [&] { self->button_->OnShow(); });
}

gboolean ButtonHost::OnPress(GtkWidget* widget, GdkEventButton* event, ButtonHost* self) {
    if (event->type == GDK_3BUTTON_PRESS) return TRUE;
    FormWindow* form = FormOf(widget);
    if (form && !form->Reachable(widget)) return TRUE;
    const int16_t b = ButtonBit(event->button);
    const float x = static_cast<float>(event->x) * self->tpp_, y = static_cast<float>(event->y) * self->tpp_;
    Guarded("a press on a button", [&] {
        if (event->type == GDK_2BUTTON_PRESS) {
            // The second press of a double click: no MouseDown, and its
            // release raises no second Click.
            self->pressedButtons_ |= b;
            self->suppressClick_ = true;
            self->button_->OnDblClick();
            return;
        }
        // Only the left button takes the focus (whose outline would change
        // the look).
        if (b == 1 && gtk_widget_get_can_focus(widget) && !gtk_widget_has_focus(widget)) gtk_widget_grab_focus(widget);
        self->pressedButtons_ |= b;
        self->suppressClick_ = false;
        self->button_->OnMouseDown(b, ShiftOf(event->state), x, y);
    });
    return TRUE;
}

gboolean ButtonHost::OnRelease(GtkWidget*, GdkEventButton* event, ButtonHost* self) {
    const int16_t b = ButtonBit(event->button);
    // A release ends a press only where the press began.
    if (!(self->pressedButtons_ & b)) return TRUE;
    self->pressedButtons_ &= ~b;
    const float x = static_cast<float>(event->x) * self->tpp_, y = static_cast<float>(event->y) * self->tpp_;
    const bool inside = event->x >= 0 && event->y >= 0 && event->x < self->width_ && event->y < self->height_;
    const bool click = !self->suppressClick_ && inside;
    self->suppressClick_ = false;
    Guarded("a release on a button", [&] { self->button_->OnMouseUp(b, ShiftOf(event->state), x, y); });
    // The click comes last: its handler may close the window.
    if (click) Guarded("a click on a button", [&] { self->button_->OnClick(); });
    return TRUE;
}

gboolean ButtonHost::OnMotion(GtkWidget*, GdkEventMotion* event, ButtonHost* self) {
    int16_t held = 0;
    if (event->state & GDK_BUTTON1_MASK) held |= 1;
    if (event->state & GDK_BUTTON3_MASK) held |= 2;
    if (event->state & GDK_BUTTON2_MASK) held |= 4;
    const float x = static_cast<float>(event->x) * self->tpp_, y = static_cast<float>(event->y) * self->tpp_;
    Guarded("the pointer over a button", [&] { self->button_->OnMouseMove(held, ShiftOf(event->state), x, y); });
    return TRUE;
}

gboolean ButtonHost::OnKey(GtkWidget* widget, GdkEventKey* event, ButtonHost* self) {
    FormWindow* form = FormOf(widget);
    if (form && !form->Reachable(widget)) return TRUE;
    const int16_t code = static_cast<int16_t>(VirtualKeyOf(event->keyval));
    const int16_t shift = ShiftOf(event->state);
    Guarded("a key on a button", [&] {
        if (event->type == GDK_KEY_RELEASE) {
            if (code) self->button_->OnKeyUp(code, shift);
            return;
        }
        if (code) self->button_->OnKeyDown(code, shift);
        const gunichar c = gdk_keyval_to_unicode(event->keyval);
        if (c && c < 0x10000 && c != '\t') self->button_->OnKeyPress(static_cast<int16_t>(c));
    });
    return TRUE;
}

gboolean ButtonHost::OnFocus(GtkWidget*, GdkEventFocus* event, ButtonHost* self) {
    Guarded("a button's focus", [&] {
        if (event->in)
            self->button_->OnFocusGained();
        else
            self->button_->OnFocusLost();
    });
    return FALSE;
}

gboolean ButtonHost::OnGrabBroken(GtkWidget*, GdkEvent*, ButtonHost* self) {
    // Another window took the pointer in the middle of a press.
    if (self->pressedButtons_) {
        self->pressedButtons_ = 0;
        self->suppressClick_ = false;
        Guarded("a press lost", [&] { self->button_->OnPressLost(); });
    }
    return FALSE;
}

}  // namespace quorvel::gtk
