// Invariants the code relies on, checked in the builds that check: debug, sanitizer and fuzzing.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace vireziriv {

#if !defined(NDEBUG) || defined(_GLIBCXX_ASSERTIONS)
inline constexpr bool kCheckInvariants = true;
#else
inline constexpr bool kCheckInvariants = false;
#endif

// Ends the process with `what` on standard error when `holds` is false, where invariants are
// checked; a release build trusts them and pays nothing.
inline void CheckInvariant(bool holds, const char* what) {
    if constexpr (kCheckInvariants) {
        if (!holds) {
            std::fprintf(stderr, "invariant broken: %s\n", what);
            std::abort();
        }
    }
}

}  // namespace vireziriv
