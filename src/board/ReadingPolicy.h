// How the board's person files are read: on how many threads, and when more of them pay.
#pragma once

#include "base/InOrder.h"

#include <chrono>
#include <cstddef>

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

}  // namespace vireziriv
