// The command's run: switches, shared directory, settings, listing; failures become exit statuses.
#pragma once

namespace vireziriv {

// Runs the command once and returns its exit status: 0 listed (or the version written), 1 bad
// switches or shared directory (the help text included), 2 an unreadable file, 99 any other failure.
int RunProgram();

}  // namespace vireziriv
