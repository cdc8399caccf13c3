// The skinned button's model, drawing and input handling.
#include "widgets/ibutton/ibutton.h"

#include <limits>
#include <utility>

#include "base/numbers.h"

namespace quorvel {
namespace {

constexpr int16_t kLeftButton = 1;
constexpr int16_t kKeyEnter = 13;
constexpr int16_t kKeySpace = 32;
// The button sizes itself in twips of a 96 dpi screen, whatever the screen.
constexpr int64_t kTwipsPerFramePixel = 15;
// Each resize that changes the size runs the resize handling again inside it;
// the second run finds the size right. A host whose sizes never settle must
// not be able to recurse without end.
constexpr int kMaxNestedResizes = 4;

// The button's errors end the running operation and reach its caller as a
// status. Nothing thrown below (an allocation, a host call, a host's event
// handler) leaves the button: its callers are window procedures.
template <typename Operation>
ButtonStatus Guarded(Operation&& operation) noexcept {
    try {
        return operation();
    } catch (...) {
        return ButtonStatus::Failed;
    }
}

// A handler may replace the event or, for Click, destroy the button: the
// handler runs from a copy.
template <typename... Args>
void Raise(const std::function<void(Args&...)>& event, Args&... args) {
    const auto handler = event;
    if (handler) handler(args...);
}

std::optional<Twips> FramePixelsToTwips(int32_t pixels) {
    const int64_t twips = static_cast<int64_t>(pixels) * kTwipsPerFramePixel;
    if (twips < std::numeric_limits<int32_t>::min() || twips > std::numeric_limits<int32_t>::max()) return std::nullopt;
    return static_cast<Twips>(twips);
}

}  // namespace

IButton::IButton(IButtonHost& host, SurfaceStyle surface)
    : host_(host), foreColor_(surface.foreColor), font_(std::move(surface.font)), drawMode_(surface.drawMode) {
    Guarded([this] {
        host_.SetBackStyle(backStyle_);
        host_.SetDrawMode(drawMode_);
        host_.StartTimer1();
        return BuildFrames();
    });
}

IButton::~IButton() {
    frames_.Clear();
    backPicture_.reset();
}

// ---- properties ----

intptr_t IButton::Hwnd() const { return host_.Hwnd(); }
intptr_t IButton::hdc() const { return host_.Hdc(); }
Picture IButton::Image() const { return host_.Image(); }
bool IButton::Enabled() const { return host_.Enabled(); }

ButtonStatus IButton::SetcDrawMode(int16_t vNewValue) {
    return Guarded([&] {
        drawMode_ = vNewValue;
        host_.SetDrawMode(vNewValue);
        if (const ButtonStatus status = Redraw(); status != ButtonStatus::Ok) return status;
        host_.PropertyChanged("cDrawMode");
        return ButtonStatus::Ok;
    });
}

ButtonStatus IButton::SetcFont(const ButtonFont& vNewValue) {
    return Guarded([&] {
        font_ = vNewValue;
        if (const ButtonStatus status = Redraw(); status != ButtonStatus::Ok) return status;
        host_.PropertyChanged("cFont");
        return ButtonStatus::Ok;
    });
}

ButtonStatus IButton::SetcForeColor(Colour vNewValue) {
    return Guarded([&] {
        foreColor_ = vNewValue;
        if (const ButtonStatus status = Redraw(); status != ButtonStatus::Ok) return status;
        host_.PropertyChanged("cForeColor");
        return ButtonStatus::Ok;
    });
}

ButtonStatus IButton::SetAutoSize(bool vNewValue) {
    return Guarded([&] {
        autoSize_ = vNewValue;
        if (vNewValue) return Rebuild("AutoSize");
        host_.PropertyChanged("AutoSize");
        return ButtonStatus::Ok;
    });
}

ButtonStatus IButton::SetValue(bool vNewValue) {
    return Guarded([&] {
        // Only a toggle button can be on; a push button stays off, unchanged.
        if (style_ != StyleToggle) {
            value_ = false;
            return ButtonStatus::Ok;
        }
        value_ = vNewValue;
        return cMouseAction(DetectAction(), true);
    });
}

ButtonStatus IButton::SetStyle(int32_t vNewValue) {
    return Guarded([&] {
        style_ = vNewValue;
        return Rebuild("Style");
    });
}

ButtonStatus IButton::SetBackPicture(Picture vNewValue) {
    return Guarded([&] {
        backPicture_ = std::move(vNewValue);
        return Rebuild("BackPicture");
    });
}

ButtonStatus IButton::SetEnabled(bool vNewValue) {
    return Guarded([&] {
        host_.SetEnabled(vNewValue);
        if (const ButtonStatus status = cMouseAction(DetectAction(), true); status != ButtonStatus::Ok) return status;
        host_.PropertyChanged("Enabled");
        return ButtonStatus::Ok;
    });
}

ButtonStatus IButton::SetcBackStyle(int32_t tValue) {
    return Guarded([&] {
        if (tValue < std::numeric_limits<int16_t>::min() || tValue > std::numeric_limits<int16_t>::max())
            return ButtonStatus::Overflow;
        backStyle_ = static_cast<int16_t>(tValue);
        host_.SetBackStyle(backStyle_);
        if (const ButtonStatus status = Redraw(); status != ButtonStatus::Ok) return status;
        host_.PropertyChanged("cBackStyle");
        return ButtonStatus::Ok;
    });
}

ButtonStatus IButton::SetCaption(std::u16string vNewValue) {
    return Guarded([&] {
        caption_ = std::move(vNewValue);
        if (const ButtonStatus status = Redraw(); status != ButtonStatus::Ok) return status;
        host_.PropertyChanged("Caption");
        return ButtonStatus::Ok;
    });
}

ButtonStatus IButton::cMouseAction(int32_t cAction, bool vComplePaint) {
    return Guarded([&] {
        if (cAction == currentAction_ && !vComplePaint) return ButtonStatus::Ok;
        // Refused before it is stored, so that every later redraw still finds
        // a frame for the current action.
        Picture frame;
        if (const ButtonStatus status = FramePicture(cAction, frame); status != ButtonStatus::Ok) return status;
        currentAction_ = cAction;
        return DrawButton(cAction);
    });
}

// ---- the property bag ----

ButtonStatus IButton::ReadProperties(const PropertyBag& bag,
                                     const PictureResolver& resolve,
                                     std::vector<std::string>* rejected) {
    return Guarded([&] {
        std::vector<std::string> malformed;
        ButtonProperties stored = ReadButtonProperties(bag, {font_, foreColor_, drawMode_}, resolve, malformed);
        backPicture_ = std::move(stored.BackPicture);
        host_.SetEnabled(stored.Enabled);
        backStyle_ = stored.cBackStyle;
        host_.SetBackStyle(backStyle_);
        caption_ = std::move(stored.Caption);
        style_ = stored.Style;
        autoSize_ = stored.AutoSize;
        foreColor_ = stored.cForeColor;
        font_ = std::move(stored.cFont);
        drawMode_ = stored.cDrawMode;
        host_.SetDrawMode(drawMode_);
        if (rejected) *rejected = std::move(malformed);
        return ButtonStatus::Ok;
    });
}

ButtonStatus IButton::WriteProperties(PropertyBag& bag,
                                      const PictureNamer& name,
                                      std::vector<std::string>* unwritten) const {
    return Guarded([&] {
        const ButtonProperties values{backPicture_, host_.Enabled(), backStyle_, caption_, style_,
                                      autoSize_,    foreColor_,      font_,      drawMode_};
        std::vector<std::string> missing = WriteButtonProperties(bag, values, name);
        if (unwritten) *unwritten = std::move(missing);
        return ButtonStatus::Ok;
    });
}

// ---- drawing ----

ButtonStatus IButton::Redraw() { return DrawButton(DetectAction()); }

ButtonStatus IButton::Rebuild(const char* key) {
    if (const ButtonStatus status = BuildFrames(); status != ButtonStatus::Ok) return status;
    host_.PropertyChanged(key);
    return ButtonStatus::Ok;
}

std::optional<int32_t> IButton::FrameWidth() const {
    const int framesInStrip = style_ == StylePush ? 5 : 10;
    return FrameWidthFromExtent(HimetricExtent(backPicture_->width), framesInStrip);
}

std::optional<int32_t> IButton::FrameHeight() const {
    return FrameHeightFromExtent(HimetricExtent(backPicture_->height));
}

ButtonStatus IButton::BuildFrames() {
    // Not ready until the new table is complete: a rebuild that fails leaves
    // a button that draws its caption only.
    frames_.Clear();
    framesReady_ = false;
    if (backPicture_) {
        const std::optional<int32_t> h = FrameHeight();
        const std::optional<int32_t> w = FrameWidth();
        if (!h || !w) return ButtonStatus::Overflow;
        // Indices 0 to Style * 4 + 3: a negative style has no table.
        if (style_ < 0) return ButtonStatus::SubscriptOutOfRange;
        const int64_t count = static_cast<int64_t>(style_) * 4 + 4;
        if (count - 1 > std::numeric_limits<int32_t>::max()) return ButtonStatus::Overflow;
        frames_.Cut(*backPicture_, count, *w, *h);
        if (autoSize_ && *w > 0 && *h > 0) {
            const std::optional<Twips> width = FramePixelsToTwips(*w);
            if (width) host_.SetWidth(*width);
            const std::optional<Twips> height = FramePixelsToTwips(*h);
            if (!width || !height) {
                frames_.Clear();
                return ButtonStatus::Overflow;
            }
            host_.SetHeight(*height);
        }
        framesReady_ = true;
    }
    return cMouseAction(DetectAction(), true);
}

ButtonStatus IButton::FramePicture(int32_t action, Picture& picture) const {
    picture = nullptr;
    if (!framesReady_) return ButtonStatus::Ok;
    const int64_t index = static_cast<int64_t>(action) + 4 * (value_ ? 1 : 0) * static_cast<int64_t>(style_);
    if (index < 0 || index >= frames_.Count()) return ButtonStatus::SubscriptOutOfRange;
    picture = frames_.At(index);
    return ButtonStatus::Ok;
}

ButtonStatus IButton::PaintFrame() {
    Picture frame;
    if (const ButtonStatus status = FramePicture(currentAction_, frame); status != ButtonStatus::Ok) return status;
    if (!frame) return ButtonStatus::Ok;
    const Twips width = host_.Width();
    const Twips height = host_.Height();
    if (backStyle_ != 0) {
        host_.PaintPicture(frame, 0, 0, width, height);
    } else if (autoSize_) {
        host_.SetMaskPicture(frame);
        host_.PaintPicture(frame, 0, 0, width, height);
    } else {
        // A stretched frame only has the button's shape once it is painted:
        // the painted image becomes the mask.
        host_.SetBackStyle(1);
        host_.PaintPicture(frame, 0, 0, width, height);
        host_.SetMaskToImage();
        host_.SetBackStyle(0);
    }
    return ButtonStatus::Ok;
}

ButtonStatus IButton::DrawButton(int32_t a) {
    host_.Clear(kSysWindowBackground);
    // The frame is the one of CurrentAction; a setter's redraw passes the
    // detected action, which moves only the caption.
    if (const ButtonStatus status = PaintFrame(); status != ButtonStatus::Ok) return status;
    if (caption_.empty()) return ButtonStatus::Ok;
    const double textWidth = host_.TextWidth(caption_, font_);
    const double textHeight = host_.TextHeight(caption_, font_);
    const std::optional<int32_t> x = RoundToInt32(host_.Width() / 2.0 - textWidth / 2.0);
    const std::optional<int32_t> y = RoundToInt32(host_.Height() / 2.0 - textHeight / 2.0);
    if (!x || !y) return ButtonStatus::Overflow;
    int64_t left = *x;
    int64_t top = *y;
    if (a == ActionDown) {
        // Pressed: one pixel right and down.
        left += kTwipsPerFramePixel;
        top += kTwipsPerFramePixel;
        if (left > std::numeric_limits<int32_t>::max() || top > std::numeric_limits<int32_t>::max())
            return ButtonStatus::Overflow;
    }
    host_.Print(caption_, static_cast<Twips>(left), static_cast<Twips>(top), font_, foreColor_);
    return ButtonStatus::Ok;
}

ButtonStatus IButton::DrawFocus() {
    const double tx = host_.TwipsPerPixelX();
    const double ty = host_.TwipsPerPixelY();
    // A screen without a pixel size has no focus rectangle to place.
    if (!(tx > 0) || !(ty > 0)) return ButtonStatus::Overflow;
    const std::optional<int32_t> right = RoundToInt32(host_.Width() / tx - 3);
    const std::optional<int32_t> bottom = RoundToInt32(host_.Height() / ty - 3);
    if (!right || !bottom) return ButtonStatus::Overflow;
    host_.DrawFocusRect({3, 3, *right, *bottom});
    return ButtonStatus::Ok;
}

ButtonStatus IButton::OnResize() {
    return Guarded([this] {
        struct Depth {
            int& depth;
            explicit Depth(int& d) : depth(d) { ++depth; }
            ~Depth() { --depth; }
        } nested(resizeDepth_);
        if (autoSize_ && backPicture_ && resizeDepth_ <= kMaxNestedResizes) {
            const std::optional<int32_t> w = FrameWidth();
            const std::optional<Twips> width = w ? FramePixelsToTwips(*w) : std::nullopt;
            if (!width) return ButtonStatus::Overflow;
            host_.SetWidth(*width);
            const std::optional<int32_t> h = FrameHeight();
            const std::optional<Twips> height = h ? FramePixelsToTwips(*h) : std::nullopt;
            if (!height) return ButtonStatus::Overflow;
            host_.SetHeight(*height);
        }
        return cMouseAction(DetectAction(), true);
    });
}

ButtonStatus IButton::OnShow() {
    return Guarded([this] {
        if (!tag_.empty()) return ButtonStatus::Ok;
        if (const ButtonStatus status = BuildFrames(); status != ButtonStatus::Ok) return status;
        tag_.assign(1, u'1');  // the first-show marker
        return ButtonStatus::Ok;
    });
}

// ---- pointer and input ----

bool IButton::IsMouseOver() const {
    return host_.Showing() && host_.WindowFromPoint(host_.CursorPos()) == host_.Hwnd();
}

int32_t IButton::DetectAction() const {
    if (!host_.Enabled()) return ActionDisabled;
    if (pressed_) return IsMouseOver() ? ActionDown : ActionNormal;
    return IsMouseOver() ? ActionHover : ActionNormal;
}

void IButton::Toggle() {
    if (style_ == StyleToggle) value_ = !value_;
}

ButtonStatus IButton::OnMouseDown(int16_t Button, int16_t Shift, float X, float Y) {
    return Guarded([&] {
        Raise(MouseDown, Button, Shift, X, Y);
        lastButton_ = Button;
        if (Button != kLeftButton) return ButtonStatus::Ok;
        if (const ButtonStatus status = cMouseAction(ActionDown, false); status != ButtonStatus::Ok) return status;
        pressed_ = true;
        return ButtonStatus::Ok;
    });
}

ButtonStatus IButton::OnMouseMove(int16_t Button, int16_t Shift, float X, float Y) {
    return Guarded([&] {
        Raise(MouseMove, Button, Shift, X, Y);
        // Only the arrival counts here; the poll tick sees the departure.
        if (!IsMouseOver() || hovering_) return ButtonStatus::Ok;
        if (const ButtonStatus status = cMouseAction(ActionHover, false); status != ButtonStatus::Ok) return status;
        hovering_ = true;
        host_.StartTimer1();
        Raise(MouseOver);
        return ButtonStatus::Ok;
    });
}

ButtonStatus IButton::OnMouseUp(int16_t Button, int16_t Shift, float X, float Y) {
    return Guarded([&] {
        Raise(MouseUp, Button, Shift, X, Y);
        if (Button != kLeftButton) return ButtonStatus::Ok;
        ButtonStatus status;
        if (IsMouseOver()) {
            Toggle();
            status = cMouseAction(ActionHover, true);
        } else {
            status = cMouseAction(ActionNormal, true);
        }
        if (status != ButtonStatus::Ok) return status;
        pressed_ = false;
        return ButtonStatus::Ok;
    });
}

ButtonStatus IButton::OnPressLost() {
    return Guarded([this] {
        if (!pressed_ && !hovering_) return ButtonStatus::Ok;
        pressed_ = false;
        hovering_ = false;
        host_.StopTimer1();
        return cMouseAction(ActionNormal, true);
    });
}

ButtonStatus IButton::OnClick() {
    return Guarded([this] {
        // A right or middle click is no activation.
        if (lastButton_ != kLeftButton) return ButtonStatus::Ok;
        if (const ButtonStatus status = cMouseAction(DetectAction(), true); status != ButtonStatus::Ok) return status;
        Raise(Click);
        return ButtonStatus::Ok;
    });
}

ButtonStatus IButton::OnDblClick() {
    return Guarded([this] {
        if (lastButton_ == kLeftButton) {
            if (const ButtonStatus status = cMouseAction(ActionDown, false); status != ButtonStatus::Ok) return status;
        }
        Raise(DBClick);
        return ButtonStatus::Ok;
    });
}

ButtonStatus IButton::OnKeyDown(int16_t KeyCode, int16_t Shift) {
    return Guarded([&] {
        Raise(KeyDown, KeyCode, Shift);
        if (KeyCode == kKeyEnter) {
            // Enter activates on every key-down, repeats included.
            Toggle();
            if (const ButtonStatus status = cMouseAction(DetectAction(), true); status != ButtonStatus::Ok)
                return status;
            if (!hovering_) {
                if (const ButtonStatus status = DrawFocus(); status != ButtonStatus::Ok) return status;
            }
            Raise(Click);
        } else if (KeyCode == kKeySpace) {
            // Space only shows the pressed look; it activates at the key-up.
            if (const ButtonStatus status = cMouseAction(ActionDown, true); status != ButtonStatus::Ok) return status;
            if (!hovering_) return DrawFocus();
        }
        return ButtonStatus::Ok;
    });
}

ButtonStatus IButton::OnKeyUp(int16_t KeyCode, int16_t Shift) {
    return Guarded([&] {
        Raise(KeyUP, KeyCode, Shift);
        if (KeyCode != kKeySpace) return ButtonStatus::Ok;
        Toggle();
        if (const ButtonStatus status = cMouseAction(DetectAction(), true); status != ButtonStatus::Ok) return status;
        if (!hovering_) {
            if (const ButtonStatus status = DrawFocus(); status != ButtonStatus::Ok) return status;
        }
        Raise(Click);
        return ButtonStatus::Ok;
    });
}

ButtonStatus IButton::OnKeyPress(int16_t KeyAscii) {
    return Guarded([&] {
        Raise(KeyPress, KeyAscii);
        return ButtonStatus::Ok;
    });
}

ButtonStatus IButton::OnFocusGained() {
    return Guarded([this] {
        if (const ButtonStatus status = cMouseAction(DetectAction(), true); status != ButtonStatus::Ok) return status;
        if (!pressed_) return DrawFocus();
        return ButtonStatus::Ok;
    });
}

ButtonStatus IButton::OnFocusLost() {
    // The complete redraw takes the focus rectangle away.
    return Guarded([this] { return cMouseAction(DetectAction(), true); });
}

ButtonStatus IButton::Timer1_Timer() {
    return Guarded([this] {
        if (IsMouseOver()) return pressed_ ? cMouseAction(ActionDown, false) : ButtonStatus::Ok;
        // A press dragged off the button: normal look, keep polling.
        if (pressed_) return cMouseAction(ActionNormal, false);
        host_.StopTimer1();
        hovering_ = false;
        Raise(MouseOut);
        return cMouseAction(ActionNormal, false);
    });
}

}  // namespace quorvel
