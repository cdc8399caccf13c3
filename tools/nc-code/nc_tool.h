// QuorvelNC: prints the NC码 that fits an NS码, for a user who forgot the lock
// password. The command line's handling is portable; each platform's entry
// only turns its arguments into UTF-16 and writes the two texts out.
#pragma once

#include <span>
#include <string>

namespace quorvel::nc_tool {

// Exit codes: 0 the NC码 was printed, 1 the NS码 has none, 2 usage.
struct Outcome {
    int exitCode = 0;
    std::u16string out;  // for standard output
    std::u16string err;  // for standard error
};

// args are the command-line arguments after the program's name.
Outcome Run(std::span<const std::u16string> args);

}  // namespace quorvel::nc_tool
