// One shared directory of the board and what the board's settings file there says.
#pragma once

#include "base/Persistent.h"

#include <cstdint>
#include <string>

namespace vireziriv {

class TVeltoEnv : public TPersistent {
public:
    static constexpr std::int32_t kDefaultUDPPort = 1990;

    // `shareDir` ends with the path separator. Reads `shareDir` + "velto.ini" at once, if there is
    // one; an unreadable one raises EVeltoCommandFileException.
    explicit TVeltoEnv(std::string shareDir);

    std::string ClassName() const override { return "TVeltoEnv"; }

    const std::string& ShareDir() const { return shareDir_; }
    std::int32_t UDPPort() const { return udpPort_; }

private:
    void ReadSettings();

    std::string shareDir_;
    std::int32_t udpPort_ = kDefaultUDPPort;
};

}  // namespace vireziriv
