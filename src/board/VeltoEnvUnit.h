// One shared directory of the board and what the board's settings file there says.
#pragma once

#include "base/Persistent.h"

#include <cstdint>
#include <string>

namespace vireziriv {

class BoardFiles;

class TVeltoEnv : public TPersistent {
public:
    static constexpr std::int32_t kDefaultUDPPort = 1990;

    // `shareDir` ends with the path separator. Reads `shareDir` + "velto.ini" at once, if there is
    // one, waiting for it while it is busy; an unreadable one raises EVeltoCommandFileException.
    explicit TVeltoEnv(std::string shareDir);
    // The same, reading through `files`.
    TVeltoEnv(std::string shareDir, const BoardFiles& files);

    std::string ClassName() const override { return "TVeltoEnv"; }

    const std::string& ShareDir() const { return shareDir_; }
    std::int32_t UDPPort() const { return udpPort_; }

private:
    void ReadSettings(const BoardFiles& files);

    std::string shareDir_;
    std::int32_t udpPort_ = kDefaultUDPPort;
};

}  // namespace vireziriv
