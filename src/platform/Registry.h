// The board's shared-directory setting on the user's own PC.
#pragma once

#include <string>

namespace vireziriv::platform {

// On Windows the string value ShareDir under HKEY_CURRENT_USER\Software\Ostrel\Velto; on POSIX the
// line ShareDir=... of ${XDG_CONFIG_HOME:-$HOME/.config}/ostrel/velto.conf. Any failure gives "".
std::string ReadBoardShareDir();

}  // namespace vireziriv::platform
