// QuorvelNC's entry on Windows: the arguments come as UTF-16 (wmain), so
// Chinese and other characters survive whatever the console's code page. A
// console gets the text as UTF-16; a redirected stream gets UTF-8.
#include <windows.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "nc_tool.h"

namespace {

void Write(DWORD which, const std::u16string& text) {
    if (text.empty()) return;
    const HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, reinterpret_cast<const wchar_t*>(text.data()), static_cast<DWORD>(text.size()), &written,
                      nullptr);
        return;
    }
    const std::string utf8 = quorvel::Utf16ToUtf8(text);
    WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    const auto outcome = quorvel::nc_tool::Run(args);
    Write(STD_OUTPUT_HANDLE, outcome.out);
    Write(STD_ERROR_HANDLE, outcome.err);
    return outcome.exitCode;
}
