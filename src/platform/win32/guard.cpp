#include "platform/win32/guard.h"

#include <set>
#include <string>

namespace quorvel::win32 {

namespace {
std::wstring Wide(const char* text) {
    std::wstring out;
    // Reports carry ASCII names and the library's messages: byte for byte.
    for (; text && *text; ++text) out.push_back(static_cast<unsigned char>(*text));
    return out;
}
}  // namespace

void ReportFault(const char* event, const char* what) noexcept {
    try {
        static std::set<std::string> reported;
        if (!reported.insert(event ? event : "").second) return;
        const std::wstring line = L"QuorvelLock: " + Wide(event) + L" skipped: " + Wide(what) + L"\n";
        OutputDebugStringW(line.c_str());
    } catch (...) {
        OutputDebugStringW(L"QuorvelLock: an event was skipped\n");
    }
}

void ReportFailure(const char* call) noexcept {
    const DWORD error = GetLastError();
    try {
        wchar_t* text = nullptr;
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        std::wstring line =
            L"QuorvelLock: " + Wide(call) + L": " + (text ? std::wstring(text) : L"error " + std::to_wstring(error));
        if (text) LocalFree(text);
        while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r')) line.pop_back();
        line += L"\n";
        OutputDebugStringW(line.c_str());
    } catch (...) {
        OutputDebugStringW(L"QuorvelLock: a system call failed\n");
    }
}

const char* MessageName(UINT message) noexcept {
    switch (message) {
        case WM_CREATE: return "WM_CREATE";
        case WM_SIZE: return "WM_SIZE";
        case WM_ACTIVATE: return "WM_ACTIVATE";
        case WM_PAINT: return "WM_PAINT";
        case WM_CLOSE: return "WM_CLOSE";
        case WM_TIMER: return "WM_TIMER";
        case WM_COMMAND: return "WM_COMMAND";
        case WM_SYSCOMMAND: return "WM_SYSCOMMAND";
        case WM_KEYDOWN: return "WM_KEYDOWN";
        case WM_KEYUP: return "WM_KEYUP";
        case WM_CHAR: return "WM_CHAR";
        case WM_SETCURSOR: return "WM_SETCURSOR";
        case WM_MOUSEMOVE: return "WM_MOUSEMOVE";
        case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
        case WM_LBUTTONUP: return "WM_LBUTTONUP";
        case WM_RBUTTONDOWN: return "WM_RBUTTONDOWN";
        case WM_RBUTTONUP: return "WM_RBUTTONUP";
        case WM_MBUTTONDOWN: return "WM_MBUTTONDOWN";
        case WM_MBUTTONUP: return "WM_MBUTTONUP";
        case WM_CTLCOLOREDIT: return "WM_CTLCOLOREDIT";
        case WM_DISPLAYCHANGE: return "WM_DISPLAYCHANGE";
        default: return "a window message";
    }
}

ATOM RegisterProgramClass(HINSTANCE instance,
                          const wchar_t* name,
                          WNDPROC procedure,
                          UINT style,
                          HICON icon,
                          HICON smallIcon) noexcept {
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    description.style = style;
    description.lpfnWndProc = procedure;
    description.hInstance = instance;
    description.hIcon = icon;
    description.hIconSm = smallIcon;
    description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    description.lpszClassName = name;
    const ATOM atom = RegisterClassExW(&description);
    if (!atom) ReportFailure("RegisterClassExW");
    return atom;
}

LRESULT FailedMessageAnswer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
        case WM_CLOSE:
        case WM_SYSCOMMAND: return 0;
        case WM_PAINT: ValidateRect(hwnd, nullptr); return 0;
        case WM_NCCREATE: return FALSE;
        case WM_CREATE: return -1;
        default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace quorvel::win32
