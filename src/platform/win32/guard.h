// One guard for every call the system makes into the program (window
// procedures, the keyboard hook, the drop target, timers): no exception leaves
// it. The program is the lock; if its process ended, the screen would be
// open. An exception skips the event's handling, as a failed step is skipped,
// and is reported once on the debug output under the event's name.
#pragma once

#include <windows.h>

#include <exception>
#include <type_traits>

namespace quorvel::win32 {

// One line on the debug output for the first fault of each event.
void ReportFault(const char* event, const char* what) noexcept;
// One line on the debug output for a failed system call, with the system's
// text for GetLastError (read at once, before anything else can change it).
void ReportFailure(const char* call) noexcept;
// A message's name for a report ("WM_TIMER"), or "a window message".
const char* MessageName(UINT message) noexcept;

// Runs work; when it throws, reports the fault and answers what fallback
// gives instead.
template <typename Work, typename Fallback>
auto Guarded(const char* event, Work&& work, Fallback&& fallback) noexcept -> std::invoke_result_t<Work> {
    try {
        return work();
    } catch (const std::exception& e) {
        ReportFault(event, e.what());
    } catch (...) {
        ReportFault(event, "an exception of no known kind");
    }
    try {
        return fallback();
    } catch (...) {
        return std::invoke_result_t<Work>{};
    }
}

// Runs a step that answers nothing; when it throws, the step is skipped.
template <typename Work>
void Guarded(const char* event, Work&& work) noexcept {
    Guarded(event, std::forward<Work>(work), [] {});
}

// What a window answers for a message whose handling failed: the system's
// default, except where the default would give way during a lock (a close
// request or a window menu command is refused) and for a paint, whose area
// is validated so that it is not asked again and again.
LRESULT FailedMessageAnswer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Registers a window class of the program: its windows paint all of
// themselves (no background brush) under the arrow cursor, with the given
// icons. Returns the class's atom (0 when it could not be registered, which is
// reported).
ATOM RegisterProgramClass(HINSTANCE instance,
                          const wchar_t* name,
                          WNDPROC procedure,
                          UINT style = 0,
                          HICON icon = nullptr,
                          HICON smallIcon = nullptr) noexcept;

// The window procedure of a class whose windows each belong to one object of
// T: the object comes with the creation (WM_NCCREATE's parameter), lives in
// GWLP_USERDATA and is let go at WM_NCDESTROY; every message in between goes
// to T::HandleMessage under the guard. T provides
//   void Attached(HWND);  void Detached(HWND);
//   LRESULT HandleMessage(HWND, UINT, WPARAM, LPARAM);
template <typename T>
LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) Guarded("WM_NCCREATE", [&] { self->Attached(hwnd); });
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        Guarded("WM_NCDESTROY", [&] { self->Detached(hwnd); });
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return Guarded(
        MessageName(message), [&] { return self->HandleMessage(hwnd, message, wParam, lParam); },
        [&] { return FailedMessageAnswer(hwnd, message, wParam, lParam); });
}

}  // namespace quorvel::win32
