// The skinned button: its members and properties, the drawing of its frames
// and caption, and its reaction to the pointer, keys, focus and poll timer.
// Portable; the window it lives in is reached through IButtonHost.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/bitmap.h"
#include "base/colour.h"
#include "base/twips.h"
#include "widgets/ibutton/frames.h"
#include "widgets/ibutton/ibutton_host.h"
#include "widgets/ibutton/property_bag.h"

namespace quorvel {

// Actions: the look a button shows, each selecting one frame.
inline constexpr int32_t ActionNormal = 0;
inline constexpr int32_t ActionHover = 1;
inline constexpr int32_t ActionDown = 2;
inline constexpr int32_t ActionDisabled = 3;

// Styles: a push button's strip holds 5 frames, a toggle button's 10.
inline constexpr int32_t StylePush = 0;
inline constexpr int32_t StyleToggle = 1;

// How an operation ended. Anything but Ok means it stopped at the failing
// step; the flags keep what it had set before, and the button still draws.
enum class ButtonStatus {
    Ok,
    Overflow,             // a value outside its integer range
    SubscriptOutOfRange,  // a frame index outside the frame table
    Failed,               // a host call or an allocation threw
};

class IButton {
public:
    // Creation: Timer1 starts, and the initialisation step builds the frames,
    // which with no picture yet draws the empty surface. Create the button
    // once the host's window and retained image exist.
    explicit IButton(IButtonHost& host, SurfaceStyle surface = {});
    // Termination: releases the frames and the picture. Makes no host call.
    ~IButton();
    IButton(const IButton&) = delete;
    IButton& operator=(const IButton&) = delete;

    // ---- events, in their declared order ----
    // Arguments are passed by reference: the button reads Button and KeyCode
    // back after the handler ran. Click is always the last step of its
    // handling, so its handler may hide, disable or even destroy the button.
    std::function<void()> Click;
    std::function<void(int16_t& Button, int16_t& Shift, float& X, float& Y)> MouseDown;
    std::function<void(int16_t& KeyCode, int16_t& Shift)> KeyDown;
    std::function<void(int16_t& KeyCode, int16_t& Shift)> KeyUP;
    std::function<void(int16_t& KeyAscii)> KeyPress;
    std::function<void(int16_t& Button, int16_t& Shift, float& X, float& Y)> MouseUp;
    std::function<void(int16_t& Button, int16_t& Shift, float& X, float& Y)> MouseMove;
    std::function<void()> MouseOut;
    std::function<void()> MouseOver;
    std::function<void()> DBClick;

    // ---- properties ----
    intptr_t Hwnd() const;
    int16_t cDrawMode() const { return drawMode_; }
    ButtonStatus SetcDrawMode(int16_t vNewValue);
    const ButtonFont& cFont() const { return font_; }
    ButtonStatus SetcFont(const ButtonFont& vNewValue);
    Colour cForeColor() const { return foreColor_; }
    ButtonStatus SetcForeColor(Colour vNewValue);
    bool AutoSize() const { return autoSize_; }
    ButtonStatus SetAutoSize(bool vNewValue);
    bool Value() const { return value_; }
    ButtonStatus SetValue(bool vNewValue);
    int32_t Style() const { return style_; }
    ButtonStatus SetStyle(int32_t vNewValue);
    const Picture& BackPicture() const { return backPicture_; }
    ButtonStatus SetBackPicture(Picture vNewValue);
    bool Enabled() const;
    ButtonStatus SetEnabled(bool vNewValue);
    // Widened with its sign from the 16-bit back style.
    int32_t cBackStyle() const { return backStyle_; }
    // Outside -32768..32767 it is an overflow: the back style keeps its value.
    ButtonStatus SetcBackStyle(int32_t tValue);
    const std::u16string& Caption() const { return caption_; }
    ButtonStatus SetCaption(std::u16string vNewValue);
    intptr_t hdc() const;
    Picture Image() const;

    // Stores cAction as CurrentAction and draws it when it differs from the
    // current one or vComplePaint is True. An action whose frame lies outside
    // the frame table is refused, and the button keeps its look.
    ButtonStatus cMouseAction(int32_t cAction, bool vComplePaint);

    // ---- the property bag ----
    // Once, after creation and before the first show: sets the members and
    // surface flags directly, without rebuilding or drawing. Keys whose values
    // were malformed, and so gave their defaults, go to rejected.
    ButtonStatus ReadProperties(const PropertyBag& bag,
                                const PictureResolver& resolve,
                                std::vector<std::string>* rejected = nullptr);
    // Keys it could not write (a picture without a name) go to unwritten.
    ButtonStatus WriteProperties(PropertyBag& bag,
                                 const PictureNamer& name,
                                 std::vector<std::string>* unwritten = nullptr) const;

    // ---- notifications from the host ----
    // The widget base delivers mouse notifications only to an enabled button
    // and key notifications only while it has the focus. X and Y are twips.
    ButtonStatus OnMouseDown(int16_t Button, int16_t Shift, float X, float Y);
    ButtonStatus OnMouseMove(int16_t Button, int16_t Shift, float X, float Y);
    ButtonStatus OnMouseUp(int16_t Button, int16_t Shift, float X, float Y);
    ButtonStatus OnClick();
    ButtonStatus OnDblClick();
    ButtonStatus OnKeyDown(int16_t KeyCode, int16_t Shift);
    ButtonStatus OnKeyUp(int16_t KeyCode, int16_t Shift);
    ButtonStatus OnKeyPress(int16_t KeyAscii);
    ButtonStatus OnFocusGained();
    ButtonStatus OnFocusLost();
    // The press ended without a release over the button (another window
    // took the mouse): the button leaves its pressed look and stops polling.
    ButtonStatus OnPressLost();
    ButtonStatus Timer1_Timer();
    // Every size change of the window, whoever made it (see IButtonHost).
    ButtonStatus OnResize();
    // Every time the window is shown.
    ButtonStatus OnShow();

    // ---- runtime members, read only ----
    const FrameTable& Frames() const { return frames_; }
    bool FramesReady() const { return framesReady_; }
    int32_t CurrentAction() const { return currentAction_; }
    bool Hovering() const { return hovering_; }
    bool Pressed() const { return pressed_; }
    int16_t LastButton() const { return lastButton_; }
    const std::u16string& Tag() const { return tag_; }

private:
    bool IsMouseOver() const;
    int32_t DetectAction() const;
    ButtonStatus DrawButton(int32_t a);
    ButtonStatus PaintFrame();
    ButtonStatus BuildFrames();
    std::optional<int32_t> FrameWidth() const;
    std::optional<int32_t> FrameHeight() const;
    // The frame of an action: Ok with nullptr when there are no frames.
    ButtonStatus FramePicture(int32_t action, Picture& picture) const;
    ButtonStatus DrawFocus();

    ButtonStatus Redraw();
    ButtonStatus Rebuild(const char* key);
    void Toggle();
    ButtonStatus SetSizeInPixels(int32_t widthPixels, int32_t heightPixels);

    IButtonHost& host_;

    Picture backPicture_;
    FrameTable frames_;
    bool framesReady_ = false;
    std::u16string caption_;
    int32_t style_ = StylePush;
    bool value_ = false;
    bool autoSize_ = false;
    int32_t currentAction_ = ActionNormal;
    bool hovering_ = false;
    bool pressed_ = false;
    int16_t lastButton_ = 0;

    // Facilities of the surface the button keeps for itself.
    int16_t backStyle_ = 1;
    Colour foreColor_;
    ButtonFont font_;
    int16_t drawMode_;
    std::u16string tag_;

    int resizeDepth_ = 0;
};

}  // namespace quorvel
