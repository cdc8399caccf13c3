#include "nc_tool.h"

#include <variant>

#include "lock/nc_code.h"

namespace quorvel::nc_tool {
namespace {

constexpr std::u16string_view kUsage =
    u"用法：QuorvelNC.exe <NS码>\n"
    u"算出与NS码相符的NC码：锁屏时点击“忘记密码？”，输入NC码后点击“验证”即可解锁。\n"
    u"NS码中含有空格时，请用引号把它括起来。\n"
    u"示例：QuorvelNC.exe 2580\n";

constexpr std::u16string_view kRange = u"必须是-2147483648到2147483647之间的整数";

std::u16string Refusal(std::u16string_view ns, NoNcCode why) {
    std::u16string text = u"NS码“" + std::u16string(ns) + u"”没有对应的NC码：";
    switch (why) {
        case NoNcCode::OutOfRange: text += u"它的数值超出范围（" + std::u16string(kRange) + u"）。"; break;
        case NoNcCode::NotAnInteger: text += u"它的数值不是整数（" + std::u16string(kRange) + u"）。"; break;
        case NoNcCode::Unverified: text += u"算出的NC码未能通过验证。"; break;
    }
    return text + u"\n";
}

}  // namespace

Outcome Run(std::span<const std::u16string> args) {
    if (args.empty()) return {2, {}, std::u16string(kUsage)};
    if (args.size() == 1 && (args[0] == u"--help" || args[0] == u"-h" || args[0] == u"/?"))
        return {2, std::u16string(kUsage), {}};
    if (args.size() > 1) return {2, {}, u"参数太多：NS码只能是一个参数。\n" + std::u16string(kUsage)};

    const std::u16string& ns = args[0];
    const auto code = NcCodeFor(ns);
    if (const auto* why = std::get_if<NoNcCode>(&code)) return {1, {}, Refusal(ns, *why)};
    return {0, std::get<std::u16string>(code) + u"\n", {}};
}

}  // namespace quorvel::nc_tool
