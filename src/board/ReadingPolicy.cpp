// How the board's files are read: on how many threads, when more of them pay, and how long a file
// that a client is saving or a server is dropping is waited for.
#include "board/ReadingPolicy.h"

#include <algorithm>
#include <iterator>

namespace vireziriv {

bool ReadsProveSlow(std::chrono::steady_clock::duration spent, std::size_t reads) {
    return reads >= 3 && spent > kSlowRead * reads;
}

Producers PersonReaders(unsigned cores) {
    const std::size_t start = std::min<std::size_t>(std::max(cores, 2u), kMostReaders);
    return {start, kMostReaders, ReadsProveSlow};
}

std::optional<std::chrono::milliseconds> ReadRetries::After(FileFault fault) {
    switch (fault) {
        case FileFault::Busy: return NextBusyPause();
        case FileFault::Changed:
            if (++rereads_ > kMostRereads) return std::nullopt;
            return NextBusyPause();
        case FileFault::Dropped:
            if (dropped_ == std::size(kDroppedPauses)) return std::nullopt;
            return kDroppedPauses[dropped_++];
        case FileFault::Gone:
        case FileFault::DirectoryGone:
        case FileFault::Unreadable: break;
    }
    return std::nullopt;
}

std::optional<std::chrono::milliseconds> ReadRetries::NextBusyPause() {
    if (waited_ >= kBusyPatience) return std::nullopt;
    const auto pause = std::min(busyPause_, kBusyPatience - waited_);
    waited_ += pause;
    busyPause_ = std::min(busyPause_ * 2, kLongestBusyPause);
    return pause;
}

}  // namespace vireziriv
