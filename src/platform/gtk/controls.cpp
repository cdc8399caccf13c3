// The controls of a window on GTK: labels and images drawn by their
// container; text boxes (GtkEntry), panels (a GtkLayout of their own) and
// skinned buttons as child widgets.
#include <algorithm>

#include "platform/gtk/button_host.h"
#include "platform/gtk/form_window.h"
#include "platform/gtk/gtk_toolkit.h"
#include "platform/gtk/guard.h"
#include "platform/gtk/pictures.h"

namespace quorvel::gtk {

using layouts::ControlKind;
using layouts::ControlSpec;

namespace {

PangoFontDescription* FontOf(const layouts::FontSpec& font) {
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, U8(font.face).c_str());
    pango_font_description_set_size(description,
                                    static_cast<gint>(std::clamp(font.points, 1.0f, 1000.0f) * PANGO_SCALE));
    pango_font_description_set_weight(description, static_cast<PangoWeight>(std::clamp(font.weight, 100, 1000)));
    return description;
}

// ---- drawn-only controls: labels and images ----

template <typename Base>
class Drawn : public Base, public DrawnControl, public NativeControl {
public:
    Drawn(Container& container, const ControlSpec& row) : DrawnControl(container, row) {}
    bool Visible() const override { return visible_; }
    void SetVisible(bool visible) override {
        if (visible_ == visible) return;
        visible_ = visible;
        container_.Invalidate();
    }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override {
        enabled_ = enabled;
        container_.Invalidate();
    }
    Twips Left() const override { return left_; }
    Twips Top() const override { return top_; }
    Twips Width() const override { return width_; }
    Twips Height() const override { return height_; }
    void SetLeft(Twips v) override { Move(v, top_, width_, height_); }
    void SetTop(Twips v) override { Move(left_, v, width_, height_); }
    void SetWidth(Twips v) override { Move(left_, top_, v, height_); }
    void SetHeight(Twips v) override { Move(left_, top_, width_, v); }
    void BringToFront() override { container_.RestackDrawn(this, true); }
    void SendToBack() override { container_.RestackDrawn(this, false); }

private:
    void Move(Twips l, Twips t, Twips w, Twips h) {
        left_ = l;
        top_ = t;
        width_ = w;
        height_ = h;
        container_.Invalidate();
    }
};

class GtkLabelControl final : public Drawn<Label> {
public:
    using Drawn::Drawn;
    std::u16string Caption() const override { return std::u16string(row_.text); }
    void Draw(cairo_t* cr) override {
        const layouts::FontSpec& font = row_.font ? *row_.font : container_.form().DefaultFont();
        PangoLayout* layout = pango_cairo_create_layout(cr);
        PangoFontDescription* description = FontOf(font);
        pango_layout_set_font_description(layout, description);
        pango_layout_set_text(layout, U8(row_.text).c_str(), -1);
        const Rgba colour = ToRgba(row_.foreColor, kSysButtonText);
        cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
        const GdkRectangle r = Rect();
        cairo_move_to(cr, r.x, r.y);
        pango_cairo_show_layout(cr, layout);
        pango_font_description_free(description);
        g_object_unref(layout);
    }
    void Clicked() override {
        if (Click) Click();
    }
};

class GtkImageControl final : public Drawn<Image> {
public:
    using Drawn::Drawn;
    const Picture& GetPicture() const override { return picture_; }
    void SetPicture(Picture picture) override {
        picture_ = std::move(picture);
        container_.Invalidate();
    }
    bool Paints() const override { return picture_ != nullptr; }
    void Draw(cairo_t* cr) override {
        if (!picture_) return;
        const GdkRectangle r = Rect();
        if (row_.stretch) {
            PaintStretched(cr, picture_, r.x, r.y, r.width, r.height);
            return;
        }
        cairo_rectangle(cr, r.x, r.y, r.width, r.height);
        cairo_clip(cr);
        PaintUnscaled(cr, picture_, r.x, r.y);
    }

private:
    Picture picture_;
};

// ---- child-widget controls ----

template <typename Base>
class Child : public Base, public NativeControl {
public:
    Child(Container& container, const ControlSpec& row)
        : container_(container), row_(row), left_(row.left), top_(row.top), width_(row.width), height_(row.height) {}
    GtkWidget* Widget() const override { return widget_; }
    bool Visible() const override { return gtk_widget_get_visible(outer_); }
    void SetVisible(bool visible) override {
        gtk_widget_set_visible(outer_, visible);
        container_.Invalidate();
    }
    bool Enabled() const override { return gtk_widget_get_sensitive(outer_); }
    void SetEnabled(bool enabled) override { gtk_widget_set_sensitive(outer_, enabled); }
    Twips Left() const override { return left_; }
    Twips Top() const override { return top_; }
    Twips Width() const override { return width_; }
    Twips Height() const override { return height_; }
    void SetLeft(Twips v) override { Move(v, top_, width_, height_); }
    void SetTop(Twips v) override { Move(left_, v, width_, height_); }
    void SetWidth(Twips v) override { Move(left_, top_, v, height_); }
    void SetHeight(Twips v) override { Move(left_, top_, width_, v); }
    void BringToFront() override { container_.RestackChild(outer_, true); }
    void SendToBack() override { container_.RestackChild(outer_, false); }

protected:
    float Tpp() const { return container_.form().Tpp(); }
    // Made, placed and shown as the row says; the container puts it in. A
    // widget that draws into its parent's window (an entry) gets a window of
    // its own around it, so that it stacks with its siblings as designed.
    void Attach(GtkWidget* widget, bool sized = true, bool windowed = false) {
        widget_ = widget;
        outer_ = widget;
        if (windowed) {
            outer_ = gtk_event_box_new();
            gtk_event_box_set_visible_window(GTK_EVENT_BOX(outer_), TRUE);
            gtk_container_add(GTK_CONTAINER(outer_), widget);
            gtk_widget_show(widget);
            g_object_set_data(G_OBJECT(widget), kOuterKey, outer_);
            g_object_set_data(G_OBJECT(outer_), kInnerKey, widget);
        }
        if (sized) Size();
        if (!row_.toolTip.empty()) gtk_widget_set_tooltip_text(widget, U8(row_.toolTip).c_str());
        gtk_widget_set_visible(outer_, row_.visible);
        gtk_widget_set_sensitive(outer_, row_.enabled);
        container_.AddChild(outer_, ToPixels(left_, Tpp()), ToPixels(top_, Tpp()));
    }
    void Size() {
        const int w = std::max(ToPixels(width_, Tpp()), 0), h = std::max(ToPixels(height_, Tpp()), 0);
        gtk_widget_set_size_request(outer_, w, h);
        if (outer_ != widget_) gtk_widget_set_size_request(widget_, w, h);
    }
    virtual void Move(Twips l, Twips t, Twips w, Twips h) {
        left_ = l;
        top_ = t;
        width_ = w;
        height_ = h;
        Size();
        container_.MoveChild(outer_, ToPixels(l, Tpp()), ToPixels(t, Tpp()));
    }

    Container& container_;
    const ControlSpec& row_;
    GtkWidget* widget_ = nullptr;
    GtkWidget* outer_ = nullptr;
    Twips left_, top_, width_, height_;
};

// A CSS rule for one widget: colours and font of a text box.
void StyleEntry(GtkWidget* entry, const layouts::FontSpec& font, Colour fore, Colour back) {
    const Rgba f = ToRgba(fore, kSysWindowText);
    const Rgba b = ToRgba(back, kSysWindowBackground);
    const auto css_colour = [](const Rgba& c) {
        return "rgb(" + std::to_string(static_cast<int>(c.r * 255 + 0.5)) + "," +
               std::to_string(static_cast<int>(c.g * 255 + 0.5)) + "," +
               std::to_string(static_cast<int>(c.b * 255 + 0.5)) + ")";
    };
    // A CSS string: only its quote and backslash need escaping.
    std::string family;
    for (const char c : U8(font.face)) {
        if (c == '"' || c == '\\') family += '\\';
        family += c;
    }
    // The colours hold also while the window is not the active one: the
    // desktop's theme would grey the text then.
    const std::string css =
        "entry, entry:backdrop { min-height: 0; min-width: 0; padding: 0 2px; margin: 0; border: none; "
        "border-radius: 0; box-shadow: none; outline: none; background: " +
        css_colour(b) + "; color: " + css_colour(f) + "; font-family: \"" + family +
        "\"; font-size: " + std::to_string(font.points) +
        "pt; font-weight: " + std::to_string(std::clamp(font.weight, 100, 900)) + "; }";
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    GtkStyleContext* context = gtk_widget_get_style_context(entry);
    // The entry's own provider; a second one replaces the first.
    if (auto* old = static_cast<GtkStyleProvider*>(g_object_get_data(G_OBJECT(entry), "quorvel-css")))
        gtk_style_context_remove_provider(context, old);
    gtk_style_context_add_provider(context, GTK_STYLE_PROVIDER(provider), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_set_data_full(G_OBJECT(entry), "quorvel-css", provider, g_object_unref);
}

class GtkTextBox final : public Child<TextBox> {
public:
    GtkTextBox(Container& container, const ControlSpec& row) : Child(container, row) {
        GtkWidget* entry = gtk_entry_new();
        gtk_entry_set_width_chars(GTK_ENTRY(entry), 0);
        gtk_entry_set_has_frame(GTK_ENTRY(entry), FALSE);
        gtk_entry_set_text(GTK_ENTRY(entry), U8(row.text).c_str());
        lastText_ = row.text;
        foreColor_ = row.foreColor;
        if (row.passwordChar) {
            gtk_entry_set_visibility(GTK_ENTRY(entry), FALSE);
            gtk_entry_set_invisible_char(GTK_ENTRY(entry), row.passwordChar);
        }
        if (row.maxLength > 0) gtk_entry_set_max_length(GTK_ENTRY(entry), row.maxLength);
        if (row.imeOff) {
            // Typed as it is: no input method composes in this field.
            gtk_entry_set_input_purpose(GTK_ENTRY(entry), GTK_INPUT_PURPOSE_PASSWORD);
            g_object_set(entry, "im-module", "gtk-im-context-simple", nullptr);
        }
        gtk_widget_set_can_focus(entry, row.tabIndex >= 0);
        Restyle(entry);
        g_signal_connect(entry, "changed", G_CALLBACK(+[](GtkEditable*, GtkTextBox* self) {
                             Guarded("a text box's change", [&] { self->Changed(); });
                         }),
                         this);
        g_signal_connect(entry, "button-press-event",
                         G_CALLBACK(+[](GtkWidget* widget, GdkEventButton* event, GtkTextBox* self) -> gboolean {
                             if (event->type != GDK_BUTTON_PRESS) return FALSE;
                             FormWindow* form = FormOf(widget);
                             if (form && !form->Reachable(widget)) return TRUE;
                             Guarded("a press on a text box", [&] {
                                 if (!self->MouseDown) return;
                                 self->MouseDown(event->button == 1   ? MouseButton::Left
                                                 : event->button == 3 ? MouseButton::Right
                                                                      : MouseButton::Middle);
                             });
                             // No menu of the field's own during a lock: a
                             // menu takes the keyboard and pointer for itself.
                             if (event->button == 3 && form && form->toolkit().locked()) return TRUE;
                             return FALSE;  // the field still handles the press
                         }),
                         this);
        g_signal_connect(entry, "popup-menu", G_CALLBACK(+[](GtkWidget* widget, gpointer) -> gboolean {
                             FormWindow* form = FormOf(widget);
                             return form && form->toolkit().locked();
                         }),
                         nullptr);
        if (row.dropTarget) AcceptDrops(entry);
        Attach(entry, true, true);
    }
    std::u16string Text() const override { return U16(gtk_entry_get_text(GTK_ENTRY(widget_))); }
    void SetText(std::u16string_view text) override {
        if (text == Text()) return;  // the identical text is no change
        gtk_entry_set_text(GTK_ENTRY(widget_), U8(text).c_str());
    }
    Colour ForeColor() const override { return foreColor_; }
    void SetForeColor(Colour colour) override {
        foreColor_ = colour;
        Restyle(widget_);
    }

private:
    void Restyle(GtkWidget* entry) {
        StyleEntry(entry, row_.font ? *row_.font : container_.form().DefaultFont(), foreColor_, row_.backColor);
    }
    // Only a real change reaches the handler.
    void Changed() {
        std::u16string now = Text();
        if (now == lastText_) return;
        lastText_ = std::move(now);
        if (Change) Change();
    }
    // A drop of files hands over their paths in order; any other drop (plain
    // text, say) arrives as a drop with no list, and the field keeps its text.
    void AcceptDrops(GtkWidget* entry) {
        static const GtkTargetEntry targets[] = {{const_cast<gchar*>("text/uri-list"), 0, 0},
                                                 {const_cast<gchar*>("UTF8_STRING"), 0, 1},
                                                 {const_cast<gchar*>("text/plain"), 0, 1}};
        gtk_drag_dest_set(entry, GTK_DEST_DEFAULT_ALL, targets, G_N_ELEMENTS(targets), GDK_ACTION_COPY);
        g_signal_connect(entry, "drag-data-received",
                         G_CALLBACK(+[](GtkWidget* widget, GdkDragContext*, gint, gint, GtkSelectionData* data,
                                        guint info, guint, GtkTextBox* self) {
                             g_signal_stop_emission_by_name(widget, "drag-data-received");
                             DroppedFiles files;
                             if (info == 0) {
                                 files.emplace();
                                 if (gchar** uris = gtk_selection_data_get_uris(data)) {
                                     for (gchar** uri = uris; *uri; ++uri) {
                                         if (gchar* path = g_filename_from_uri(*uri, nullptr, nullptr)) {
                                             files->push_back(U16(path));
                                             g_free(path);
                                         }
                                     }
                                     g_strfreev(uris);
                                 }
                             }
                             Guarded("a drop on a text box", [&] {
                                 if (self->FileDrop) self->FileDrop(files);
                             });
                         }),
                         this);
    }

    Colour foreColor_;
    std::u16string lastText_;
};

class GtkPanel final : public Child<Panel>, public Container {
public:
    GtkPanel(Container& container, const ControlSpec& row)
        : Child(container, row), Container(container.form(), row.picture, row.backColor) {
        MakeLayout(gtk_layout_new(nullptr, nullptr));
        Attach(layout_);
    }
};

class GtkButtonControl final : public Child<Button> {
public:
    GtkButtonControl(Container& container, const ControlSpec& row) : Child(container, row) {
        host_ = std::make_unique<ButtonHost>(container.form().toolkit(), row);
        host_->button().Click = [this] {
            if (Click) Click();
        };
        Attach(host_->widget(), false);
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
        container_.MoveChild(outer_, ToPixels(l, Tpp()), ToPixels(t, Tpp()));
        if (w != Width()) host_->SetWidth(w);
        if (h != Height()) host_->SetHeight(h);
    }

private:
    std::unique_ptr<ButtonHost> host_;
};

NativeControl* NativeOf(Control& control) { return dynamic_cast<NativeControl*>(&control); }

}  // namespace

std::unique_ptr<Control> MakeControl(Container& container, const ControlSpec& row, Container** inner) {
    switch (row.kind) {
        case ControlKind::TextBox: return std::make_unique<GtkTextBox>(container, row);
        case ControlKind::Button: return std::make_unique<GtkButtonControl>(container, row);
        case ControlKind::Label: return std::make_unique<GtkLabelControl>(container, row);
        case ControlKind::Image: return std::make_unique<GtkImageControl>(container, row);
        case ControlKind::Panel: {
            auto panel = std::make_unique<GtkPanel>(container, row);
            *inner = panel.get();
            return panel;
        }
        case ControlKind::Timer: break;
    }
    return nullptr;
}

GtkWidget* WidgetOf(Control& control) {
    NativeControl* native = NativeOf(control);
    return native ? native->Widget() : nullptr;
}

ButtonHost* ButtonHostOf(Control& control) {
    NativeControl* native = NativeOf(control);
    return native ? native->Host() : nullptr;
}

}  // namespace quorvel::gtk
