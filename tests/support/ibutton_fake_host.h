// A button window in memory for the button tests: it places the pointer,
// resizes (calling the button back as a real window does), runs no real timer
// and records every drawing call and property notification.
#pragma once

#include <string>
#include <vector>

#include "base/text.h"
#include "widgets/ibutton/ibutton.h"

namespace quorvel::testing {

struct DrawCall {
    enum class Kind { Clear, Paint, Print, Focus, Mask, MaskImage, BackStyle };
    Kind kind = Kind::Clear;
    Picture picture{};
    Twips x = 0, y = 0, width = 0, height = 0;
    std::u16string text{};
    ButtonFont font{};
    Colour colour = 0;
    FocusRect focus{};
    int16_t backStyle = 0;
};

class FakeButtonHost : public IButtonHost {
public:
    static constexpr intptr_t kHwnd = 0x4D2;
    static constexpr intptr_t kOtherWindow = 0x10E1;
    static constexpr ScreenPoint kInside{105, 205};
    static constexpr ScreenPoint kOutside{900, 700};

    void Attach(IButton& button) { button_ = &button; }

    // The pointer is over the button's window only where nothing covers it
    // and while the window is visible and enabled, as the platform sees it.
    void PointerOver(bool over) { cursor = over ? kInside : kOutside; }
    ScreenPoint cursor = kOutside;
    bool visible = true;
    mutable int pointerQueries = 0;  // WindowFromPoint calls

    bool enabled = true;
    Twips width = 1500, height = 600;
    std::vector<std::pair<char, Twips>> sizeCalls;  // 'W' or 'H' with the twips asked for
    int resizeCallbacks = 0;

    bool timerRunning = false;
    int timerStarts = 0;
    int timerStops = 0;

    float twipsPerPixel = 15;
    Twips narrowCharWidth = 90, wideCharWidth = 180, textHeight = 180;

    std::vector<DrawCall> calls;
    std::vector<std::string> notified;
    int16_t drawMode = 0;
    int16_t backStyle = 0;
    Picture image = MakePicture(Bitmap(1, 1));

    // ---- IButtonHost ----
    intptr_t Hwnd() const override { return kHwnd; }
    intptr_t Hdc() const override { return 0x7E57; }
    ScreenPoint CursorPos() const override { return cursor; }
    intptr_t WindowFromPoint(ScreenPoint point) const override {
        ++pointerQueries;
        return point == kInside && visible && enabled ? kHwnd : kOtherWindow;
    }
    bool Showing() const override { return visible; }
    bool Enabled() const override { return enabled; }
    void SetEnabled(bool value) override { enabled = value; }
    Twips Width() const override { return width; }
    Twips Height() const override { return height; }
    void SetWidth(Twips value) override { Resize('W', value, width); }
    void SetHeight(Twips value) override { Resize('H', value, height); }
    void StartTimer1() override {
        timerRunning = true;
        ++timerStarts;
    }
    void StopTimer1() override {
        timerRunning = false;
        ++timerStops;
    }
    float TwipsPerPixelX() const override { return twipsPerPixel; }
    float TwipsPerPixelY() const override { return twipsPerPixel; }
    void Clear(Colour background) override { calls.push_back({.kind = DrawCall::Kind::Clear, .colour = background}); }
    void PaintPicture(const Picture& picture, Twips x, Twips y, Twips w, Twips h) override {
        calls.push_back({.kind = DrawCall::Kind::Paint, .picture = picture, .x = x, .y = y, .width = w, .height = h});
    }
    Twips TextWidth(std::u16string_view text, const ButtonFont&) override {
        Twips total = 0;
        for (char16_t c : text) total += c < 0x80 ? narrowCharWidth : wideCharWidth;
        return total;
    }
    Twips TextHeight(std::u16string_view, const ButtonFont&) override { return textHeight; }
    void Print(std::u16string_view text, Twips x, Twips y, const ButtonFont& font, Colour colour) override {
        calls.push_back({.kind = DrawCall::Kind::Print,
                         .x = x,
                         .y = y,
                         .text = std::u16string(text),
                         .font = font,
                         .colour = colour});
    }
    void DrawFocusRect(const FocusRect& rect) override {
        calls.push_back({.kind = DrawCall::Kind::Focus, .focus = rect});
    }
    Picture Image() const override { return image; }
    void SetMaskPicture(const Picture& mask) override {
        calls.push_back({.kind = DrawCall::Kind::Mask, .picture = mask});
    }
    void SetMaskToImage() override { calls.push_back({.kind = DrawCall::Kind::MaskImage}); }
    void SetBackStyle(int16_t value) override {
        backStyle = value;
        calls.push_back({.kind = DrawCall::Kind::BackStyle, .backStyle = value});
    }
    void SetDrawMode(int16_t value) override { drawMode = value; }
    void PropertyChanged(std::string_view key) override { notified.emplace_back(key); }

    // ---- what the tests read ----
    int Clears() const {
        int count = 0;
        for (const DrawCall& call : calls) count += call.kind == DrawCall::Kind::Clear;
        return count;
    }
    // The calls from the last clear on: what the retained image holds.
    std::vector<DrawCall> LastDrawing() const {
        size_t start = 0;
        for (size_t i = 0; i < calls.size(); ++i)
            if (calls[i].kind == DrawCall::Kind::Clear) start = i;
        return {calls.begin() + static_cast<std::ptrdiff_t>(start), calls.end()};
    }
    const DrawCall* LastOf(DrawCall::Kind kind) const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->kind == kind) return &*it;
        return nullptr;
    }
    // The frame the retained image shows, as the strip x of its first pixel
    // (see MakeStrip); -1 when the last drawing painted no frame.
    int ShownFrameX() const {
        for (const DrawCall& call : LastDrawing())
            if (call.kind == DrawCall::Kind::Paint && !call.picture->Empty())
                return static_cast<int>(call.picture->At(0, 0) & 0xFFFF);
        return -1;
    }
    bool FocusShown() const {
        int focus = 0;
        for (const DrawCall& call : LastDrawing()) focus += call.kind == DrawCall::Kind::Focus;
        return focus % 2 == 1;
    }

private:
    void Resize(char which, Twips value, Twips& size) {
        sizeCalls.emplace_back(which, value);
        if (value == size) return;
        size = value;
        ++resizeCallbacks;
        if (button_) button_->OnResize();
    }

    IButton* button_ = nullptr;
};

// A strip whose pixel (x, y) holds 0xFF000000 | y << 16 | x: every frame cut
// from it tells where it came from.
inline Picture MakeStrip(int width, int height) {
    Bitmap strip(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) strip.At(x, y) = 0xFF000000u | static_cast<uint32_t>(y) << 16 | x;
    return MakePicture(std::move(strip));
}

// The button's events as "Name" or "Name(args)", in the order raised.
inline void RecordEvents(IButton& button, std::vector<std::string>& log) {
    auto mouse = [&log](const char* name) {
        return [&log, name](int16_t& b, int16_t& s, float& x, float& y) {
            log.push_back(std::string(name) + "(" + std::to_string(b) + "," + std::to_string(s) + "," +
                          std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y)) + ")");
        };
    };
    auto key = [&log](const char* name) {
        return [&log, name](int16_t& code, int16_t& s) {
            log.push_back(std::string(name) + "(" + std::to_string(code) + "," + std::to_string(s) + ")");
        };
    };
    auto plain = [&log](const char* name) { return [&log, name] { log.emplace_back(name); }; };
    button.Click = plain("Click");
    button.MouseDown = mouse("MouseDown");
    button.KeyDown = key("KeyDown");
    button.KeyUP = key("KeyUP");
    button.KeyPress = [&log](int16_t& ascii) { log.push_back("KeyPress(" + std::to_string(ascii) + ")"); };
    button.MouseUp = mouse("MouseUp");
    button.MouseMove = mouse("MouseMove");
    button.MouseOut = plain("MouseOut");
    button.MouseOver = plain("MouseOver");
    button.DBClick = plain("DBClick");
}

// A created button with its bag read from text, not shown yet.
struct ButtonFixture {
    explicit ButtonFixture(std::string_view bagText = "", Picture strip = MakeStrip(350, 26)) : strip_(strip) {
        host.Attach(button);
        const auto resolve = [this](std::string_view name) { return name == "strip" ? strip_ : nullptr; };
        button.ReadProperties(PropertyBag::Parse(bagText), resolve, &rejected);
        RecordEvents(button, events);
    }
    // The usual stored form of a button with a caption.
    static std::string Bag(std::string_view caption = "", std::string_view extra = "") {
        const std::string captionLine = caption.empty() ? "" : "caption=" + std::string(caption) + "\n";
        return "_extentx=1852\n_extenty=688\nbackpicture=@strip\n" + captionLine +
               "cfont=宋体,9,400,0,0,0,134\ncdrawmode=13\ncforecolor=0x80000012\n" + std::string(extra);
    }

    Picture strip_;
    FakeButtonHost host;
    IButton button{host};
    std::vector<std::string> events;
    std::vector<std::string> rejected;  // keys of the bag that gave their defaults
};

}  // namespace quorvel::testing
