// What the system's refusals say about trying again: the one table behind the faults of reads,
// look-ups and listings alike (see FileFault).
#pragma once

#include "platform/Errors.h"

#include <optional>
#include <string>

namespace vireziriv::platform {

#ifdef _WIN32
// The fault of a failed call from its error (GetLastError) and the NT status it left
// (RtlGetLastNtStatus): ERROR_ACCESS_DENIED is Gone for a file being deleted (delete pending, which
// only the status tells from a real denial), else Unreadable. "Not found" is Gone; what stands at the
// path refines it where it matters.
FileFault FaultOfSystemError(unsigned long error, long status);
// The NT status that the calling thread's last failed call left.
long LastNtStatus();
#else
// The fault of a failed call from its errno. "Not found" (ENOENT, ENOTDIR) is Gone; what stands at the
// path refines it where it matters.
FileFault FaultOfSystemError(int error);
#endif

// Whether the directory `dir` (a trailing separator allowed) is there: nothing when it is,
// DirectoryGone when it is not found or is no directory, else the fault of the failure. It is opened,
// so that the file server answers and not a cache of the client's.
std::optional<FileFault> DirectoryFault(const std::string& dir);

}  // namespace vireziriv::platform
