// A small Windows program that the end-to-end scenarios run beside
// QuorvelLock.exe to see what only the Windows side knows: window states,
// layered alpha, window styles, the z order, monitors, the focused control,
// child windows, the settings store, and the key events a low-level hook of
// another program receives; and to act as another program would (close
// requests, system commands, ShowWindow, a topmost window of its own).
// Results go to a file as UTF-8 JSON lines (Wine's pipes can outlive the
// program).
#include <windows.h>

#include <sddl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string Json(const std::wstring& w) {
    std::string out = "\"";
    for (char c : Utf8(w)) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char buffer[8];
            snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
            continue;
        }
        out += c;
    }
    return out + "\"";
}

// WM_GETTEXT reaches the controls of another process; GetWindowText does not.
std::wstring TextOf(HWND h) {
    const LRESULT n = SendMessageW(h, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    text.resize(static_cast<size_t>(SendMessageW(h, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::wstring ClassOf(HWND h) {
    wchar_t name[128] = {};
    GetClassNameW(h, name, 128);
    return name;
}

DWORD ProcessOf(HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    return pid;
}

std::string WindowJson(HWND h, HWND relativeTo) {
    RECT r;
    GetWindowRect(h, &r);
    if (relativeTo) MapWindowPoints(nullptr, relativeTo, reinterpret_cast<POINT*>(&r), 2);
    BYTE alpha = 255;
    DWORD flags = 0;
    const LONG ex = GetWindowLongW(h, GWL_EXSTYLE);
    const bool layered = (ex & WS_EX_LAYERED) != 0;
    if (layered) GetLayeredWindowAttributes(h, nullptr, &alpha, &flags);
    const LONG style = GetWindowLongW(h, GWL_STYLE);
    auto flag = [](bool on) { return on ? "true" : "false"; };
    char buffer[768];
    snprintf(buffer, sizeof buffer,
             "\"hwnd\": %llu, \"left\": %ld, \"top\": %ld, \"width\": %ld, \"height\": %ld, \"visible\": %s, "
             "\"enabled\": %s, \"topmost\": %s, \"layered\": %s, \"alpha\": %d, \"iconic\": %s, \"zoomed\": %s, "
             "\"foreground\": %s, \"sysmenu\": %s, \"maxbox\": %s, \"minbox\": %s, \"pid\": %lu",
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(h)), r.left, r.top, r.right - r.left,
             r.bottom - r.top, flag(IsWindowVisible(h)), flag(IsWindowEnabled(h)), flag(ex & WS_EX_TOPMOST),
             flag(layered), static_cast<int>(alpha), flag(IsIconic(h)), flag(IsZoomed(h)),
             flag(GetForegroundWindow() == h), flag(style & WS_SYSMENU), flag(style & WS_MAXIMIZEBOX),
             flag(style & WS_MINIMIZEBOX), ProcessOf(h));
    return "{" + std::string(buffer) + ", \"class\": " + Json(ClassOf(h)) + ", \"text\": " + Json(TextOf(h)) + "}";
}

// Adds fields to a JSON object of WindowJson.
std::string Extend(const std::string& json, const std::string& fields) {
    return json.substr(0, json.size() - 1) + ", " + fields + "}";
}

HWND FindTop(const std::wstring& caption) { return FindWindowW(nullptr, caption.c_str()); }

// The named codes of WM_SYSCOMMAND and ShowWindow the scenarios use; -1 for
// an unknown name.
int SysCommandCode(const std::wstring& name) {
    if (name == L"minimize") return SC_MINIMIZE;
    if (name == L"maximize") return SC_MAXIMIZE;
    if (name == L"restore") return SC_RESTORE;
    if (name == L"move") return SC_MOVE;
    if (name == L"size") return SC_SIZE;
    if (name == L"keymenu") return SC_KEYMENU;
    return -1;
}

int ShowCode(const std::wstring& name) {
    if (name == L"minimize") return SW_MINIMIZE;
    if (name == L"showminnoactive") return SW_SHOWMINNOACTIVE;
    if (name == L"restore") return SW_RESTORE;
    if (name == L"shownormal") return SW_SHOWNORMAL;
    if (name == L"maximize") return SW_MAXIMIZE;
    if (name == L"hide") return SW_HIDE;
    if (name == L"show") return SW_SHOW;
    return -1;
}

// The window that has the keyboard in the thread of a top-level window, and
// whether a click at its centre would reach it (or one of its children):
// what the keyboard reaches should be what the mouse reaches.
std::string FocusJson(HWND top) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!top || !GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) || !info.hwndFocus) return "null";
    const HWND focus = info.hwndFocus;
    RECT r;
    GetWindowRect(focus, &r);
    const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    const HWND hit = WindowFromPoint(centre);
    const bool reached = hit == focus || IsChild(focus, hit);
    return Extend(WindowJson(focus, top), std::string("\"hit\": ") + (reached ? "true" : "false") +
                                              ", \"hitclass\": " + Json(hit ? ClassOf(hit) : L"") +
                                              ", \"id\": " + std::to_string(GetDlgCtrlID(focus)));
}

void Pump(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

FILE* g_out = nullptr;
LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<KBDLLHOOKSTRUCT*>(lParam);
        fprintf(g_out, "{\"message\": %u, \"vk\": %lu}\n", static_cast<unsigned>(wParam), key->vkCode);
        fflush(g_out);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

// probe OUTFILE window CAPTION          the top-level window with that caption
// probe OUTFILE children CAPTION        every descendant window, relative to the top window
// probe OUTFILE store APPLICATION       the settings entry (absent: null)
// probe OUTFILE close CAPTION           posts WM_CLOSE to the window
// probe OUTFILE sysclose CAPTION        posts the taskbar's close (WM_SYSCOMMAND, SC_CLOSE)
// probe OUTFILE clip TEXTFILE           puts the UTF-8 text of the file on the clipboard
// probe OUTFILE hook SECONDS            records the key events a low-level hook sees
// probe OUTFILE tops CAPTION            the visible top-level windows of the process owning that window
// probe OUTFILE denywrite APPLICATION   the settings entry's key refuses writing (and creating below it)
// probe OUTFILE allowwrite APPLICATION  the settings entry's key may be written again
// probe OUTFILE syscommand CAPTION NAME  posts WM_SYSCOMMAND (minimize, maximize, restore, move, size,
//                                        keymenu) as another program may
// probe OUTFILE show CAPTION NAME        ShowWindow from this process (minimize, showminnoactive, restore,
//                                        shownormal, maximize, hide, show)
// probe OUTFILE monitors -               every monitor EnumDisplayMonitors reports
// probe OUTFILE stack -                  the top-level windows that are visible or of the lock's curtain
//                                        classes, top first, with their place "z" in the whole z order
// probe OUTFILE focus CAPTION            the focused window of that window's thread (see FocusJson)
// probe OUTFILE redtop SECONDS [X,Y,W,H]     a red topmost popup of another program, open for that long
int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    g_out = _wfopen(argv[1], L"wb");
    if (!g_out) return 3;
    const std::wstring command = argv[2];
    const std::wstring argument = argv[3];
    const std::wstring second = argc > 4 ? argv[4] : L"";
    int code = 0;
    if (command == L"window") {
        HWND h = FindTop(argument);
        fprintf(g_out, "%s\n", h ? WindowJson(h, nullptr).c_str() : "null");
    } else if (command == L"children") {
        HWND top = FindTop(argument);
        std::vector<HWND> all;
        if (top) {
            EnumChildWindows(
                top,
                [](HWND h, LPARAM list) {
                    reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&all));
        }
        for (HWND h : all) {
            const std::string line = WindowJson(h, top);
            fprintf(g_out, "%s\n",
                    line.substr(0, line.size() - 1)
                        .append(", \"parent\": " + std::to_string(reinterpret_cast<uintptr_t>(GetParent(h))) + "}")
                        .c_str());
        }
    } else if (command == L"store") {
        const std::wstring key = L"Software\\Quorvel\\" + argument + L"\\APP";
        DWORD bytes = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"TEXT", RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
            ERROR_SUCCESS) {
            fprintf(g_out, "null\n");
        } else {
            std::wstring value(bytes / 2 + 1, L'\0');
            bytes = static_cast<DWORD>(value.size() * 2);
            RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"TEXT", RRF_RT_REG_SZ, nullptr, value.data(), &bytes);
            value.resize(wcslen(value.c_str()));
            fprintf(g_out, "%s\n", Json(value).c_str());
        }
    } else if (command == L"tops") {
        DWORD pid = 0;
        if (HWND owner = FindTop(argument)) GetWindowThreadProcessId(owner, &pid);
        struct Search {
            DWORD pid;
            std::vector<HWND> found;
        } search{pid, {}};
        EnumWindows(
            [](HWND h, LPARAM data) {
                auto* s = reinterpret_cast<Search*>(data);
                DWORD owner = 0;
                GetWindowThreadProcessId(h, &owner);
                if (s->pid && owner == s->pid && IsWindowVisible(h)) s->found.push_back(h);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        for (HWND h : search.found) fprintf(g_out, "%s\n", WindowJson(h, nullptr).c_str());
    } else if (command == L"denywrite" || command == L"allowwrite") {
        const std::wstring path = L"Software\\Quorvel\\" + argument + L"\\APP";
        HKEY key = nullptr;
        LONG result = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr,
                                      &key, nullptr);
        // Everyone may do everything, but for setting values and making keys.
        const wchar_t* sddl = command == L"denywrite" ? L"D:P(D;;0x6;;;WD)(A;;KA;;;WD)" : L"D:P(A;;KA;;;WD)";
        PSECURITY_DESCRIPTOR sd = nullptr;
        if (result == ERROR_SUCCESS &&
            ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr)) {
            result = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd);
            LocalFree(sd);
        }
        if (key) RegCloseKey(key);
        fprintf(g_out, "%ld\n", result);
    } else if (command == L"close") {
        HWND h = FindTop(argument);
        code = h && PostMessageW(h, WM_CLOSE, 0, 0) ? 0 : 1;
    } else if (command == L"sysclose") {
        HWND h = FindTop(argument);
        code = h && PostMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
    } else if (command == L"syscommand") {
        HWND h = FindTop(argument);
        const int sc = SysCommandCode(second);
        // A window menu opened from the keyboard names the key in lParam.
        const LPARAM key = sc == SC_KEYMENU ? L' ' : 0;
        code = h && sc >= 0 && PostMessageW(h, WM_SYSCOMMAND, static_cast<WPARAM>(sc), key) ? 0 : 1;
    } else if (command == L"show") {
        HWND h = FindTop(argument);
        const int sw = ShowCode(second);
        code = h && sw >= 0 ? 0 : 1;
        if (!code) ShowWindow(h, sw);
    } else if (command == L"monitors") {
        EnumDisplayMonitors(
            nullptr, nullptr,
            [](HMONITOR monitor, HDC, LPRECT, LPARAM) {
                MONITORINFO info{};
                info.cbSize = sizeof info;
                GetMonitorInfoW(monitor, &info);
                const RECT& r = info.rcMonitor;
                fprintf(g_out, "{\"left\": %ld, \"top\": %ld, \"width\": %ld, \"height\": %ld, \"primary\": %s}\n",
                        r.left, r.top, r.right - r.left, r.bottom - r.top,
                        (info.dwFlags & MONITORINFOF_PRIMARY) ? "true" : "false");
                return TRUE;
            },
            0);
    } else if (command == L"stack") {
        std::vector<HWND> all;
        EnumWindows(
            [](HWND h, LPARAM list) {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&all));
        for (size_t z = 0; z < all.size(); ++z) {
            const HWND h = all[z];
            wchar_t caption[16] = {};
            GetWindowTextW(h, caption, 16);  // no message: any window may be listed
            const bool curtain = ClassOf(h) == L"QuorvelCurtain" || std::wstring(caption) == L"锁屏";
            if (!curtain && !IsWindowVisible(h)) continue;
            fprintf(g_out, "%s\n", Extend(WindowJson(h, nullptr), "\"z\": " + std::to_string(z)).c_str());
        }
    } else if (command == L"focus") {
        fprintf(g_out, "%s\n", FocusJson(FindTop(argument)).c_str());
    } else if (command == L"redtop") {
        int x = 0, y = 0, w = 400, h = 300;
        if (!second.empty()) swscanf(second.c_str(), L"%d,%d,%d,%d", &x, &y, &w, &h);
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = CreateSolidBrush(RGB(255, 0, 0));
        wc.lpszClassName = L"QuorvelProbeRed";
        RegisterClassW(&wc);
        HWND red = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"probe red", WS_POPUP, x, y, w, h, nullptr,
                                   nullptr, wc.hInstance, nullptr);
        if (red) {
            ShowWindow(red, SW_SHOW);
            SetForegroundWindow(red);
            UpdateWindow(red);
        }
        fprintf(g_out, "{\"hwnd\": %llu}\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(red)));
        fflush(g_out);
        Pump(static_cast<DWORD>(_wtoi(argument.c_str())) * 1000);
        code = red ? 0 : 1;
    } else if (command == L"clip") {
        FILE* in = _wfopen(argument.c_str(), L"rb");
        std::string bytes;
        if (in) {
            char buffer[4096];
            for (size_t n; (n = fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.append(buffer, n);
            fclose(in);
        }
        const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (static_cast<size_t>(n) + 1) * sizeof(wchar_t));
        auto* text = static_cast<wchar_t*>(GlobalLock(memory));
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text, n);
        text[n] = L'\0';
        GlobalUnlock(memory);
        code = 1;
        if (in && OpenClipboard(nullptr)) {
            EmptyClipboard();
            code = SetClipboardData(CF_UNICODETEXT, memory) ? 0 : 1;
            CloseClipboard();
        }
        fprintf(g_out, "{\"units\": %d}\n", n);
    } else if (command == L"hook") {
        HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, &Hook, GetModuleHandleW(nullptr), 0);
        fprintf(g_out, "{\"ready\": %s}\n", hook ? "true" : "false");
        fflush(g_out);
        Pump(static_cast<DWORD>(_wtoi(argument.c_str())) * 1000);
        if (hook) UnhookWindowsHookEx(hook);
    } else {
        code = 2;
    }
    fclose(g_out);
    return code;
}
