// QuorvelNC's entry on POSIX systems (the native build, for its tests):
// arguments and output in UTF-8.
#include <cstdio>
#include <string>
#include <vector>

#include "base/text.h"
#include "nc_tool.h"

int main(int argc, char** argv) {
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) args.push_back(quorvel::Utf8ToUtf16(argv[i]));
    const auto outcome = quorvel::nc_tool::Run(args);
    const std::string out = quorvel::Utf16ToUtf8(outcome.out);
    const std::string err = quorvel::Utf16ToUtf8(outcome.err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return outcome.exitCode;
}
