// How the board's files are read: on how many threads, when more of them pay, and how long a file
// that a client is saving or a server is dropping is waited for.
#pragma once

#include "base/InOrder.h"
#include "platform/Errors.h"

#include <chrono>
#include <cstddef>
#include <optional>

namespace vireziriv {

// Reads that take longer than this on average wait on a device or a network, not on the processor
// (a person file in the page cache takes some 20 us, over a network three round trips): more readers
// then overlap the waits.
inline constexpr std::chrono::microseconds kSlowRead{200};

// Person files read at once, at most. On a file server every open, read and close is a round trip
// and the server answers many at once: on the benchmark's shares 32 and 64 readers did alike, fewer
// took up to three times as long, more gained nothing; 64 leaves room for longer round trips.
inline constexpr std::size_t kMostReaders = 64;

// True once the reads so far prove slow on average: one read may be slow just for losing the
// processor to another program, but not three or more on average.
bool ReadsProveSlow(std::chrono::steady_clock::duration spent, std::size_t reads);

// The readers of a board on a machine of `cores` processors (0 when unknown): one per core, at least
// two, to start with, since a local disk does not wait and a thread costs more than the reads it
// would take over; up to kMostReaders once the reads prove slow.
Producers PersonReaders(unsigned cores);

// A busy file is read again after pauses that start short and grow, as long as the pauses add up to
// no more than this. A client holds a person file for tens of milliseconds while it saves it, and a
// slow share may stretch that to a second: three seconds wait that out with room to spare, yet a
// listing that meets a file held for good still ends soon after (the readers wait side by side, so a
// listing waits as long as its slowest file, not the sum).
inline constexpr std::chrono::milliseconds kBusyPatience{3000};
inline constexpr std::chrono::milliseconds kFirstBusyPause{10};
inline constexpr std::chrono::milliseconds kLongestBusyPause{250};
// A file that changed while it was read is being saved: it is read again after the same pauses,
// this many times at most.
inline constexpr int kMostRereads = 4;
// A dropped connection is tried again after these pauses, one retry each, while the client
// reconnects; then the error counts.
inline constexpr std::chrono::milliseconds kDroppedPauses[] = {std::chrono::milliseconds(100),
                                                               std::chrono::milliseconds(400)};

// What to do after each failed read of one file (or listing, or look-up): try again after a pause,
// or give up. A file or a directory that has gone, or what cannot be read at all, is never tried again.
class ReadRetries {
public:
    // The pause before the next read, or nothing when the read that failed with `fault` was the last.
    std::optional<std::chrono::milliseconds> After(FileFault fault);

private:
    std::optional<std::chrono::milliseconds> NextBusyPause();

    std::chrono::milliseconds waited_{0};  // the pauses for busy and changing, so far
    std::chrono::milliseconds busyPause_ = kFirstBusyPause;
    int rereads_ = 0;
    std::size_t dropped_ = 0;
};

}  // namespace vireziriv
