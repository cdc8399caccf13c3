#include "platform/win32/win32_toolkit.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "base/numbers.h"
#include "platform/win32/form_window.h"
#include "platform/win32/guard.h"
#include "platform/win32/pictures.h"

namespace quorvel::win32 {
namespace {

// The one filter the hook procedure asks; the hook runs on the thread that
// installed it, through its message loop.
KeyFilterFn g_keyFilter = nullptr;

LRESULT CALLBACK KeyboardHookProcedure(int nCode, WPARAM wParam, LPARAM lParam) noexcept {
    // A filter that fails passes the key on: it never swallows the rest of
    // the desktop's keys.
    const bool discard = Guarded(
        "the keyboard filter",
        [&] {
            const auto event = DecodeKeyEvent(nCode, wParam, lParam);
            return event && g_keyFilter && g_keyFilter(*event);
        },
        [] { return false; });
    if (discard) return 1;
    CallNextHookEx(nullptr, nCode, wParam, lParam);
    return 0;
}

// The designed faces under their English names, and the CJK faces that
// stand in when neither is installed (Wine, a Western system without them).
constexpr std::pair<const wchar_t*, const wchar_t*> kFaceAliases[] = {
    {L"微软雅黑", L"Microsoft YaHei"},
    {L"宋体", L"SimSun"},
};
constexpr const wchar_t* kCjkSubstitutes[] = {L"Microsoft YaHei",     L"SimSun",
                                              L"WenQuanYi Micro Hei", L"Noto Sans CJK SC",
                                              L"Source Han Sans SC",  L"Droid Sans Fallback"};

// Whether the font the system made is really the face asked for, not a
// stand-in the font mapper chose.
bool FaceIsInstalled(HFONT font, const std::wstring& face) {
    const ScreenDc screen;
    wchar_t got[LF_FACESIZE] = {};
    {
        const ScopedSelect select(screen.Get(), font);
        GetTextFaceW(screen.Get(), LF_FACESIZE, got);
    }
    return _wcsicmp(got, face.c_str()) == 0;
}

std::wstring StoreKeyPath(const std::wstring& root, std::u16string_view application, std::u16string_view section) {
    return root + L"\\" + WStr(application) + L"\\" + WStr(section);
}

}  // namespace

std::optional<KeyEvent> DecodeKeyEvent(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode != HC_ACTION || !lParam) return std::nullopt;
    if (wParam != WM_KEYDOWN && wParam != WM_KEYUP && wParam != WM_SYSKEYDOWN && wParam != WM_SYSKEYUP)
        return std::nullopt;
    KBDLLHOOKSTRUCT record;
    std::memcpy(&record, reinterpret_cast<const void*>(lParam), sizeof record);
    return KeyEvent{.keyCode = record.vkCode,
                    .down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN,
                    .injected = (record.flags & LLKHF_INJECTED) != 0};
}

int ToPixels(Twips twips, float twipsPerPixel) {
    return RoundToInt32(static_cast<double>(twips) / twipsPerPixel).value_or(0);
}

Win32Toolkit::Win32Toolkit(HINSTANCE instance) : instance_(instance) {
    const ScreenDc screen;
    const int dpiX = GetDeviceCaps(screen.Get(), LOGPIXELSX);
    const int dpiY = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    if (dpiX > 0) twipsPerPixelX_ = 1440.0f / dpiX;
    if (dpiY > 0) twipsPerPixelY_ = 1440.0f / dpiY;
    RegisterWindowClasses(instance);
}

Win32Toolkit::~Win32Toolkit() {
    if (stackMark_) DestroyWindow(stackMark_);
}

std::unique_ptr<Window> Win32Toolkit::CreateForm(const layouts::FormSpec& form) {
    if (auto window = madeAhead_.Take(form)) return window;
    return std::make_unique<FormWindow>(*this, form);
}

void Win32Toolkit::MakeAhead(const layouts::FormSpec& form) { madeAhead_.Plan(form); }

void Win32Toolkit::FirstPaintDone() {
    madeAhead_.MakePlanned(
        [this](const layouts::FormSpec& form) { return std::make_unique<FormWindow>(*this, form, true); },
        [](const char* where, const char* what) { ReportFault(where, what); });
}

void Win32Toolkit::FormCreated(FormWindow* form) { forms_.push_back(form); }

void Win32Toolkit::RetryTimers() {
    for (FormWindow* form : forms_) form->RetryTimers();
}

void Win32Toolkit::FormDestroyed(FormWindow* form) {
    const auto it = std::find(forms_.begin(), forms_.end(), form);
    if (it == forms_.end()) return;
    forms_.erase(it);
    if (activeForm == form) activeForm = nullptr;
    // When no window is left, the program ends.
    if (forms_.empty()) PostQuitMessage(0);
}

namespace {
// Finds the window of the message box being opened on this thread.
HWND g_openingBox = nullptr;
LRESULT CALLBACK CatchMessageBox(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HCBT_ACTIVATE && !g_openingBox) {
        wchar_t name[16] = {};
        GetClassNameW(reinterpret_cast<HWND>(wParam), name, 16);
        if (wcscmp(name, L"#32770") == 0) g_openingBox = reinterpret_cast<HWND>(wParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
}  // namespace

CommonControlsScope::CommonControlsScope(HINSTANCE instance) {
    static const HANDLE context = [instance] {
        ACTCTXW description{};
        description.cbSize = sizeof description;
        description.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
        description.hModule = instance;
        description.lpResourceName = MAKEINTRESOURCEW(2);  // ISOLATIONAWARE_MANIFEST_RESOURCE_ID
        return CreateActCtxW(&description);
    }();
    if (context != INVALID_HANDLE_VALUE) active_ = ActivateActCtx(context, &cookie_) != FALSE;
}

CommonControlsScope::~CommonControlsScope() {
    if (active_) DeactivateActCtx(0, cookie_);
}

void Win32Toolkit::MsgBox(std::u16string_view prompt, MsgBoxStyle style, std::u16string_view title) {
    // Owned by the program's active window, which waits for it; topmost, so
    // that a window kept on top places itself just below it while it is up
    // (see FormWindow::SetWindowPos).
    HWND owner = GetActiveWindow();
    const HWND outer = g_openingBox;
    g_openingBox = nullptr;
    HHOOK hook = SetWindowsHookExW(WH_CBT, &CatchMessageBox, nullptr, GetCurrentThreadId());
    const CommonControlsScope commonControls(instance_);
    MessageBoxW(owner, WStr(prompt).c_str(), WStr(title).c_str(),
                static_cast<UINT>(style) | MB_SETFOREGROUND | MB_TOPMOST);
    if (hook) UnhookWindowsHookEx(hook);
    g_openingBox = outer;
}

HWND Win32Toolkit::MessageBoxOnTop() const {
    return g_openingBox && IsWindow(g_openingBox) && IsWindowVisible(g_openingBox) ? g_openingBox : nullptr;
}

void Win32Toolkit::RaiseStackMark() {
    if (!stackMark_) {
        static const ATOM registered = RegisterProgramClass(instance_, L"QuorvelStackMark", &DefWindowProcW);
        (void)registered;
        stackMark_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST, L"QuorvelStackMark", L"",
                                     WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance_, nullptr);
        if (!stackMark_) {
            ReportFailure("CreateWindowExW (the stack mark)");
            return;
        }
    }
    SetWindowPos(stackMark_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32Toolkit::StoreSave(std::u16string_view application,
                             std::u16string_view section,
                             std::u16string_view key,
                             std::u16string_view text) {
    HKEY opened = nullptr;
    const std::wstring path = StoreKeyPath(storeRoot, application, section);
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) !=
        ERROR_SUCCESS)
        return;
    const ScopedKey handle(opened);
    const std::wstring value = WStr(text);
    RegSetValueExW(handle.Get(), WStr(key).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::u16string Win32Toolkit::StoreLoad(std::u16string_view application,
                                       std::u16string_view section,
                                       std::u16string_view key,
                                       std::u16string_view fallback) {
    const std::wstring path = StoreKeyPath(storeRoot, application, section);
    const std::wstring name = WStr(key);
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
        ERROR_SUCCESS)
        return std::u16string(fallback);
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, value.data(), &bytes) !=
        ERROR_SUCCESS)
        return std::u16string(fallback);
    value.resize(wcsnlen(value.c_str(), value.size()));
    return U16(value);
}

std::optional<Picture> Win32Toolkit::LoadPicture(std::u16string_view path, PictureUse use) {
    if (path.empty()) return Picture{};
    if (IsDevicePath(path)) return std::nullopt;
    std::erase_if(shownPictures_, [](const ShownPicture& p) { return p.picture.expired(); });
    // A picture on another machine that is still shown is given again
    // without asking that machine: the lock window asks at every activation,
    // and a share that no longer answers would stall the keep-on-top tick
    // and the keyboard filter.
    if (IsNetworkPath(path)) {
        for (const ShownPicture& p : shownPictures_) {
            if (p.path == path && p.use == use)
                if (Picture shown = p.picture.lock()) return shown;
        }
    }
    // The lock window reads its picture at every activation, and the setup
    // window its logo. While a picture read before is still shown and its file
    // is as it was (same size, same time of last writing), it is that picture
    // again: decoding a large photo anew would cost its full size in memory
    // beside the one on the screen.
    WIN32_FILE_ATTRIBUTE_DATA file{};
    const bool known = GetFileAttributesExW(WStr(path).c_str(), GetFileExInfoStandard, &file) != FALSE;
    const std::array<DWORD, 4> stamp{file.nFileSizeLow, file.nFileSizeHigh, file.ftLastWriteTime.dwLowDateTime,
                                     file.ftLastWriteTime.dwHighDateTime};
    const auto same = std::find_if(shownPictures_.begin(), shownPictures_.end(),
                                   [&](const ShownPicture& p) { return p.path == path && p.use == use; });
    if (same != shownPictures_.end()) {
        if (known && same->stamp == stamp) {
            if (Picture shown = same->picture.lock()) return shown;
        }
        shownPictures_.erase(same);
    }
    std::optional<Picture> picture = DecodePictureFile(path, use);
    if (picture && *picture && known) shownPictures_.push_back({std::u16string(path), use, stamp, *picture});
    return picture;
}

std::u16string_view PowerCommandLine(PowerRequest request) {
    switch (request) {
        case PowerRequest::Shutdown: return u"Cmd.exe /c shutdown -s -f ";
        case PowerRequest::Restart: return u"Cmd.exe /c shutdown -r -f ";
        // A log-off lets the running applications ask to save their work.
        case PowerRequest::LogOff: return u"Cmd.exe /c shutdown -l ";
    }
    return {};
}

std::optional<std::u16string> Win32Toolkit::ProgramFile(std::u16string_view name) {
    auto directory = ProgramDirectory();
    if (!directory) return std::nullopt;
    return *directory + u"\\" + std::u16string(name);
}

bool Win32Toolkit::OpenTextFile(std::u16string_view path) {
    return RunCommand(u"notepad.exe " + std::u16string(path), ShowStyle::NormalFocus);
}

bool Win32Toolkit::RequestPower(PowerRequest request) {
    return RunCommand(PowerCommandLine(request), ShowStyle::MinimizedFocus);
}

std::optional<std::u16string> Win32Toolkit::ProgramDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::nullopt;
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return std::nullopt;
    return U16(std::wstring_view(path).substr(0, slash));
}

bool Win32Toolkit::FileExists(std::u16string_view path) {
    const DWORD attributes = GetFileAttributesW(WStr(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<CommandTarget> ResolveCommand(std::wstring_view commandLine) {
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    const std::wstring folder(system, length);
    // The program's name: up to the first blank, or between quotes.
    std::wstring name;
    if (!commandLine.empty() && commandLine.front() == L'"') {
        const size_t close = commandLine.find(L'"', 1);
        if (close == std::wstring_view::npos) return std::nullopt;
        name = commandLine.substr(1, close - 1);
    } else {
        name = commandLine.substr(0, commandLine.find_first_of(L" \t"));
    }
    if (name.empty()) return std::nullopt;
    if (name.find_first_of(L"\\/:") != std::wstring::npos) return CommandTarget{name, folder};
    if (name.find(L'.') == std::wstring::npos) name += L".exe";
    std::wstring program = folder + L"\\" + name;
    const DWORD attributes = GetFileAttributesW(program.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
    return CommandTarget{std::move(program), folder};
}

bool Win32Toolkit::RunCommand(std::u16string_view commandLine, ShowStyle show) {
    std::wstring line = WStr(commandLine);  // CreateProcessW may write into it
    const auto target = ResolveCommand(line);
    if (!target) return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);  // numbered as SW_SHOWNORMAL, SW_SHOWMINIMIZED
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(target->program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        target->folder.c_str(), &startup, &process)) {
        ReportFailure("CreateProcessW");
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

void Win32Toolkit::ClearClipboard() {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    CloseClipboard();
}

float Win32Toolkit::TwipsPerPixelX() { return twipsPerPixelX_; }

float Win32Toolkit::TwipsPerPixelY() { return twipsPerPixelY_; }

NumberFormat Win32Toolkit::UserNumberFormat() {
    wchar_t decimal[8] = {};
    NumberFormat format;
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 8) > 1)
        format.decimal = static_cast<char16_t>(decimal[0]);
    return format;
}

HookHandle Win32Toolkit::InstallKeyboardFilter(KeyFilterFn filter) {
    g_keyFilter = filter;
    return reinterpret_cast<HookHandle>(
        SetWindowsHookExW(WH_KEYBOARD_LL, &KeyboardHookProcedure, GetModuleHandleW(nullptr), 0));
}

bool Win32Toolkit::RemoveKeyboardFilter(HookHandle handle) {
    return UnhookWindowsHookEx(reinterpret_cast<HHOOK>(handle)) != FALSE;
}

void Win32Toolkit::EndProcess() { ExitProcess(0); }

HFONT Win32Toolkit::Font(const layouts::FontSpec& design) {
    return Font(design.face, design.points, design.weight, false, false, false, design.charset);
}

HFONT Win32Toolkit::Font(std::u16string_view face,
                         float points,
                         int weight,
                         bool italic,
                         bool underline,
                         bool strikeout,
                         uint8_t charset) {
    const std::wstring key = WStr(face) + L"|" + std::to_wstring(points) + L"|" + std::to_wstring(weight) + L"|" +
                             std::to_wstring(italic) + std::to_wstring(underline) + std::to_wstring(strikeout) + L"|" +
                             std::to_wstring(charset);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.Get();
    // A stored size may be anything a float holds; a font is at most
    // 16384 points (and the hundredths must fit an int).
    const double hundredths = std::clamp(static_cast<double>(points), 0.01, 16384.0) * 100;
    const int height = -MulDiv(static_cast<int>(hundredths), GetDeviceCaps(ScreenDc().Get(), LOGPIXELSY), 7200);
    // The designed face when it is installed (under its Chinese or English
    // name); otherwise the first installed CJK face of a fixed list, so that
    // Chinese text never falls back to a face without its glyphs.
    std::vector<std::wstring> faces{WStr(face)};
    for (const auto& [chinese, english] : kFaceAliases)
        if (WStr(face) == chinese) faces.push_back(english);
    for (const wchar_t* substitute : kCjkSubstitutes) faces.push_back(substitute);
    HFONT font = nullptr;
    for (const std::wstring& candidate : faces) {
        font = CreateFontW(height, 0, 0, 0, weight, italic, underline, strikeout, charset, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, candidate.c_str());
        if (!font || FaceIsInstalled(font, candidate)) break;
        DeleteObject(font);
        font = nullptr;
    }
    if (!font) {
        font = CreateFontW(height, 0, 0, 0, weight, italic, underline, strikeout, charset, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, WStr(face).c_str());
    }
    return fonts_.emplace(key, ScopedFont(font)).first->second.Get();
}

HCURSOR Win32Toolkit::HandCursor() {
    static HCURSOR hand = [this] {
        HCURSOR own = static_cast<HCURSOR>(LoadImageW(instance_, L"HAND", IMAGE_CURSOR, 32, 32, 0));
        return own ? own : LoadCursorW(nullptr, IDC_HAND);
    }();
    return hand;
}

POINT Win32Toolkit::CursorPos() {
    if (pointer_) return pointer_->at;
    POINT p{};
    GetCursorPos(&p);
    if (pointerLooks_ > 0) pointer_ = PointerSeen{p, std::nullopt};
    return p;
}

HWND Win32Toolkit::WindowAt(POINT point) {
    const bool seen = pointer_ && pointer_->at.x == point.x && pointer_->at.y == point.y;
    if (seen && pointer_->window) return *pointer_->window;
    HWND window = ::WindowFromPoint(point);
    if (seen) pointer_->window = window;
    return window;
}

int Win32Toolkit::Run() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        RelayToToolTips(msg);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace quorvel::win32
