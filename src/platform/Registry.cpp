// The board's shared-directory setting: the registry on Windows, a setting file on POSIX.
#include "platform/Registry.h"

#ifdef _WIN32
#include "platform/Owned.h"

#include <windows.h>

#include <algorithm>
#else
#include "platform/Cp932.h"
#include "platform/Files.h"

#include <cstdlib>
#endif

namespace vireziriv::platform {

#ifdef _WIN32

std::string ReadBoardShareDir() {
    // Read-only: a key that grants less than KEY_READ may still let its values be queried.
    constexpr const char* kKey = "Software\\Ostrel\\Velto";
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &opened) != ERROR_SUCCESS &&
        RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
        return {};
    }
    const Owned<HKEY, RegCloseKey> key(opened, nullptr);
    std::string value;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), "ShareDir", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        value.resize(size);
        if (RegQueryValueExA(key.get(), "ShareDir", nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) ==
                ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            value.resize(std::min<std::size_t>(size, value.size()));
            value.resize(value.find('\0') == std::string::npos ? value.size() : value.find('\0'));
        } else {
            value.clear();
        }
    }
    return value;
}

#else

namespace {

std::string SettingFilePath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config) return std::string(config) + "/ostrel/velto.conf";
    const char* home = std::getenv("HOME");
    if (home && *home) return std::string(home) + "/.config/ostrel/velto.conf";
    return {};
}

bool IsShareDirName(std::string_view name) { return cp932::EqualsIgnoringAsciiCase(name, "sharedir"); }

}  // namespace

std::string ReadBoardShareDir() {
    const std::string path = SettingFilePath();
    if (path.empty()) return {};
    std::string bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (...) {
        return {};  // no setting, silently, as a missing registry key
    }
    // Lines end at LF; a CR before it is dropped (a file written on Windows).
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string_view line(bytes.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos && IsShareDirName(line.substr(0, eq))) {
            return std::string(line.substr(eq + 1));
        }
        start = end + 1;
    }
    return {};
}

#endif

}  // namespace vireziriv::platform
