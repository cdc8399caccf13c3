// The widget of a skinned button on GTK: a drawing area whose signals become
// the button's notifications, showing the button's retained image (a cairo
// image surface) and shaped by the mask of a transparent button.
#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "layouts/layout.h"
#include "widgets/ibutton/ibutton.h"

namespace quorvel::gtk {

class GtkToolkit;

class ButtonHost final : public IButtonHost {
public:
    ButtonHost(GtkToolkit& toolkit, const layouts::ControlSpec& row, const PictureResolver& resolve = {});
    ~ButtonHost() override;
    ButtonHost(const ButtonHost&) = delete;
    ButtonHost& operator=(const ButtonHost&) = delete;

    GtkWidget* widget() const { return widget_; }
    IButton& button() { return *button_; }
    int PixelWidth() const { return width_; }
    int PixelHeight() const { return height_; }

    // IButtonHost
    intptr_t Hwnd() const override { return reinterpret_cast<intptr_t>(widget_); }
    intptr_t Hdc() const override { return reinterpret_cast<intptr_t>(surface_); }
    ScreenPoint CursorPos() const override;
    intptr_t WindowFromPoint(ScreenPoint point) const override;
    bool Showing() const override;
    bool Enabled() const override;
    void SetEnabled(bool enabled) override;
    Twips Width() const override { return width_ * tpp_; }
    Twips Height() const override { return height_ * tpp_; }
    void SetWidth(Twips width) override;
    void SetHeight(Twips height) override;
    void StartTimer1() override;
    void StopTimer1() override;
    float TwipsPerPixelX() const override { return tpp_; }
    float TwipsPerPixelY() const override { return tpp_; }
    void Clear(Colour background) override;
    void PaintPicture(const Picture& picture, Twips x, Twips y, Twips width, Twips height) override;
    Twips TextWidth(std::u16string_view text, const ButtonFont& font) override;
    Twips TextHeight(std::u16string_view text, const ButtonFont& font) override;
    void Print(std::u16string_view text, Twips x, Twips y, const ButtonFont& font, Colour colour) override;
    void DrawFocusRect(const FocusRect& rect) override;
    Picture Image() const override;
    void SetMaskPicture(const Picture& mask) override;
    void SetMaskToImage() override;
    void SetBackStyle(int16_t backStyle) override;
    void SetDrawMode(int16_t) override {}
    void PropertyChanged(std::string_view) override {}

private:
    void Resize(int width, int height);
    void RecreateImage();
    void ApplyShape();
    int Px(Twips twips) const;
    void Changed();
    PangoLayout* LayoutOf(std::u16string_view text, const ButtonFont& font);

    static gboolean OnDraw(GtkWidget*, cairo_t* cr, ButtonHost* self);
    static gboolean OnPress(GtkWidget*, GdkEventButton* event, ButtonHost* self);
    static gboolean OnRelease(GtkWidget*, GdkEventButton* event, ButtonHost* self);
    static gboolean OnMotion(GtkWidget*, GdkEventMotion* event, ButtonHost* self);
    static gboolean OnKey(GtkWidget*, GdkEventKey* event, ButtonHost* self);
    static gboolean OnFocus(GtkWidget*, GdkEventFocus* event, ButtonHost* self);
    static gboolean OnGrabBroken(GtkWidget*, GdkEvent*, ButtonHost* self);
    static void OnMap(GtkWidget*, ButtonHost* self);
    static void OnRealize(GtkWidget*, ButtonHost* self);
    static gboolean OnTimer1(gpointer self);

    GtkToolkit& toolkit_;
    float tpp_;
    GtkWidget* widget_ = nullptr;
    std::unique_ptr<IButton> button_;
    cairo_surface_t* surface_ = nullptr;
    int width_ = 1, height_ = 1;
    Picture mask_;
    cairo_region_t* shape_ = nullptr;
    int16_t backStyle_ = 1;
    guint timer1_ = 0;
    bool suppressClick_ = false;
    int pressedButtons_ = 0;
};

}  // namespace quorvel::gtk
