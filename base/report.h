// How reports cross module boundaries.
//
// Inside a module a report is a C++ throw of `char *`.  An exported function
// runs its body through zu_export(), which hands a report that leaves the body
// to the caller as the platform's raise_report() describes (a plain throw on
// POSIX, a Microsoft C++ exception on Windows).  Our own GCC-built code that
// calls an export of a deliverable (another deliverable, the tools, the tests)
// goes through zu_call(), which turns such a report back into a `char *`
// throw.
#pragma once

#include <new>
#include <type_traits>
#include <utility>

#include "platform/platform.h"

// Throw a report text.  Every report of the tree is thrown through here, so
// that the thrown type is always `char *`.
[[noreturn]] inline void zu_throw(const char *message) { throw const_cast<char *>(message); }

#ifdef _WIN32
namespace zu_detail {
char *out_of_memory_report();
}

template <class F>
auto zu_export(F &&body) -> decltype(body()) {
    using R = decltype(body());
    char *message = nullptr;
    try {
        return body();
    } catch (char *m) {
        message = m;
    } catch (const std::bad_alloc &) {
        message = zu_detail::out_of_memory_report();
    }
    zp::raise_report(message);
    // Reached only when the host resumed after the report.
    if constexpr (!std::is_void_v<R>) return R{};
}

template <class F>
auto zu_call(F &&body) -> decltype(body()) {
    using R = decltype(body());
    zp::arm_report_trap();
    if constexpr (std::is_void_v<R>) {
        body();
        if (char *m = zp::disarm_report_trap()) throw m;
    } else {
        R r = body();
        if (char *m = zp::disarm_report_trap()) throw m;
        return r;
    }
}
#else
template <class F>
auto zu_export(F &&body) -> decltype(body()) { return body(); }
template <class F>
auto zu_call(F &&body) -> decltype(body()) { return body(); }
#endif
