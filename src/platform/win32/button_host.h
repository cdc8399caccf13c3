// The window of a skinned button: a registered child window class whose
// procedure turns the platform's messages into the button's notifications and
// shows the button's retained image.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "layouts/layout.h"
#include "platform/win32/scoped.h"

namespace quorvel::win32 {

class Win32Toolkit;

class ButtonHost {
public:
    ButtonHost(Win32Toolkit& toolkit, HWND parent, const layouts::ControlSpec& spec, std::function<void()> click);
    ~ButtonHost();
    ButtonHost(const ButtonHost&) = delete;
    ButtonHost& operator=(const ButtonHost&) = delete;

    HWND hwnd() const { return hwnd_; }
    void SetEnabled(bool enabled);
    bool Enabled() const;
    float WidthTwips() const;
    float HeightTwips() const;

    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();

    Win32Toolkit& toolkit_;
    const layouts::ControlSpec& spec_;
    std::function<void()> click_;
    HWND hwnd_ = nullptr;
    bool pressed_ = false;
};

void RegisterButtonClass(HINSTANCE instance);

}  // namespace quorvel::win32
