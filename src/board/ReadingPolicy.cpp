// How the board's person files are read: on how many threads, and when more of them pay.
#include "board/ReadingPolicy.h"

#include <algorithm>

namespace vireziriv {

bool ReadsProveSlow(std::chrono::steady_clock::duration spent, std::size_t reads) {
    return reads >= 3 && spent > kSlowRead * reads;
}

Producers PersonReaders(unsigned cores) {
    const std::size_t start = std::min<std::size_t>(std::max(cores, 2u), kMostReaders);
    return {start, kMostReaders, ReadsProveSlow};
}

}  // namespace vireziriv
