// No exception leaves a call of GTK into the program: each signal handler
// runs guarded, and what failed is reported on standard error and skipped.
#pragma once

#include <cstdio>
#include <exception>
#include <type_traits>

namespace quorvel::gtk {

inline void ReportFault(const char* where, const char* what) {
    std::fprintf(stderr, "quorvel-lock: %s failed: %s\n", where, what);
}

// Runs the handler; on an exception reports it and gives the fallback.
template <typename F, typename R = std::invoke_result_t<F>>
requires(!std::is_void_v<R>) R Guarded(const char* where, F&& handler, R fallback = R())
noexcept {
    try {
        return handler();
    } catch (const std::exception& e) {
        ReportFault(where, e.what());
    } catch (...) {
        ReportFault(where, "an unknown exception");
    }
    return fallback;
}

template <typename F>
requires std::is_void_v<std::invoke_result_t<F>>
void Guarded(const char* where, F&& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& e) {
        ReportFault(where, e.what());
    } catch (...) {
        ReportFault(where, "an unknown exception");
    }
}

}  // namespace quorvel::gtk
