// What a skinned button asks of the window it lives in: the window handle, the
// pointer, the enabled flag, its size, the hover-poll timer and the drawing
// surface of its retained image. The Win32 button window class implements it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/bitmap.h"
#include "base/colour.h"
#include "base/twips.h"

namespace quorvel {

// The caption font, as the button keeps and persists it.
struct ButtonFont {
    std::u16string face = u"宋体";
    float points = 9.0f;
    int16_t weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    int16_t charset = 134;  // GB2312
    friend bool operator==(const ButtonFont&, const ButtonFont&) = default;
};

// The caption style a button's surface starts with, before its bag is read.
// Nothing but the button changes it afterwards, so the button's own values
// are always what the surface has.
struct SurfaceStyle {
    ButtonFont font{};
    Colour foreColor = kSysButtonText;
    int16_t drawMode = 13;  // copy pen
};

// A point on the screen, in pixels.
struct ScreenPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// A rectangle in pixels of the button; right and bottom are exclusive.
struct FocusRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const FocusRect&, const FocusRect&) = default;
};

// The colour a transparent button's mask leaves out. None of the skins holds
// it, so a transparent button shows its whole frame.
inline constexpr Colour kButtonMaskColour = Rgb(0xFF, 0x00, 0xFF);

class IButtonHost {
public:
    virtual ~IButtonHost() = default;

    // The button's window and the drawing context of its retained image, as
    // opaque handles.
    virtual intptr_t Hwnd() const = 0;
    virtual intptr_t Hdc() const = 0;

    // The pointer position in screen pixels, and the topmost window at a
    // screen point (never a hidden or disabled one; 0 where there is none).
    virtual ScreenPoint CursorPos() const = 0;
    virtual intptr_t WindowFromPoint(ScreenPoint point) const = 0;
    // Whether the window and every window it lies in are shown. A window that
    // is not shown is under no pointer, so nothing need be asked of it.
    virtual bool Showing() const = 0;

    // The window's enabled flag: a disabled window gets no mouse or keyboard
    // input.
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;

    // The button's size in twips. When SetWidth or SetHeight actually changes
    // the window's size, the host calls IButton::OnResize before it returns,
    // as a window's size notification arrives inside the call that resized it.
    // The host makes the same call for every other size change of the window
    // (the stored size of the layout, for one). A call that leaves the size as
    // it was makes no call back.
    virtual Twips Width() const = 0;
    virtual Twips Height() const = 0;
    virtual void SetWidth(Twips width) = 0;
    virtual void SetHeight(Twips height) = 0;

    // Timer1, the 50 ms hover poll; each tick calls IButton::Timer1_Timer.
    // Starting a running timer or stopping a stopped one changes nothing.
    virtual void StartTimer1() = 0;
    virtual void StopTimer1() = 0;

    // The screen's twips per pixel (15 at 96 dots per inch).
    virtual float TwipsPerPixelX() const = 0;
    virtual float TwipsPerPixelY() const = 0;

    // Drawing into the retained image, which the window shows whenever it is
    // exposed. Positions and sizes are twips of the button.
    virtual void Clear(Colour background) = 0;
    // The whole picture stretched over the rectangle, as a plain source copy.
    // A picture without pixels paints nothing.
    virtual void PaintPicture(const Picture& picture, Twips x, Twips y, Twips width, Twips height) = 0;
    virtual Twips TextWidth(std::u16string_view text, const ButtonFont& font) = 0;
    virtual Twips TextHeight(std::u16string_view text, const ButtonFont& font) = 0;
    // Glyphs only, no background, the top-left of the text at (x, y).
    virtual void Print(std::u16string_view text, Twips x, Twips y, const ButtonFont& font, Colour colour) = 0;
    // The platform's inverting dotted focus outline: drawing the same
    // rectangle twice removes it.
    virtual void DrawFocusRect(const FocusRect& rect) = 0;
    virtual Picture Image() const = 0;

    // The shape of a transparent button: pixels of the mask that differ from
    // the mask colour are shown, the window behind shows through elsewhere.
    // The mask is either a frame picture or a snapshot of the retained image
    // as it is at the call.
    virtual void SetMaskPicture(const Picture& mask) = 0;
    virtual void SetMaskToImage() = 0;
    // 0 transparent (shaped by the mask), any other value opaque.
    virtual void SetBackStyle(int16_t backStyle) = 0;
    // The surface's pen mix mode, 1 to 16; the host ignores other values.
    virtual void SetDrawMode(int16_t drawMode) = 0;

    // A persisted property changed: a designing host writes the bag again.
    virtual void PropertyChanged(std::string_view key) = 0;
};

}  // namespace quorvel
