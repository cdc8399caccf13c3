// The window of a skinned button: a registered child window class whose
// procedure turns the platform's messages into the button's notifications,
// keeps the button's retained image in a memory bitmap painted on WM_PAINT,
// and shapes a transparent button's window by its mask.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

#include "layouts/layout.h"
#include "platform/win32/scoped.h"
#include "widgets/ibutton/ibutton.h"

namespace quorvel::win32 {

class Win32Toolkit;

class ButtonHost final : public IButtonHost {
public:
    // Creates the window, the button and reads the stored bag of the layout;
    // pictures named in the bag come from the embedded art unless a resolver
    // is given.
    ButtonHost(Win32Toolkit& toolkit,
               HWND parent,
               const layouts::ControlSpec& row,
               const PictureResolver& resolve = {});
    ~ButtonHost() override;
    ButtonHost(const ButtonHost&) = delete;
    ButtonHost& operator=(const ButtonHost&) = delete;

    HWND hwnd() const { return hwnd_; }
    IButton& button() { return *button_; }
    // The window became visible on the screen (its own or its form's show).
    void Shown();

    // IButtonHost
    intptr_t Hwnd() const override { return reinterpret_cast<intptr_t>(hwnd_); }
    intptr_t Hdc() const override { return reinterpret_cast<intptr_t>(memory_.Get()); }
    ScreenPoint CursorPos() const override;
    intptr_t WindowFromPoint(ScreenPoint point) const override;
    bool Showing() const override;
    bool Enabled() const override;
    void SetEnabled(bool enabled) override;
    Twips Width() const override;
    Twips Height() const override;
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
    void SetDrawMode(int16_t drawMode) override;
    void PropertyChanged(std::string_view) override {}

    // For the window procedure (guard.h).
    void Attached(HWND hwnd) { hwnd_ = hwnd; }
    void Detached(HWND) { hwnd_ = nullptr; }
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void RecreateImage();
    void ApplyShape();
    // The retained image changed: the window is to be painted again.
    void Invalidate();
    // Sizes the window in pixels; an absent side keeps its size.
    void Resize(std::optional<int> width, std::optional<int> height);
    HFONT FontOf(const ButtonFont& font);
    int Px(Twips twips) const;
    void Mouse(UINT message, WPARAM wParam, LPARAM lParam);

    Win32Toolkit& toolkit_;
    float tpp_;
    HWND hwnd_ = nullptr;
    std::unique_ptr<IButton> button_;
    ScopedMemoryDc memory_;
    ScopedBitmap image_;
    HGDIOBJ originalBitmap_ = nullptr;
    uint32_t* pixels_ = nullptr;
    SIZE size_{0, 0};
    Picture mask_;
    int16_t backStyle_ = 1;
    bool shaped_ = false;  // a window region is set
    bool timerRunning_ = false;
    bool suppressClick_ = false;  // the release that ends a double click
    int pressedButtons_ = 0;
};

void RegisterButtonClass(HINSTANCE instance);

}  // namespace quorvel::win32
