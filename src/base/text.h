// UTF-16 text helpers. "Characters" and "length" mean UTF-16 code units, as
// the platform's edit control counts them.
#pragma once

#include <string>
#include <string_view>

namespace quorvel {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace quorvel
