// Fuzzes the settings file reader, from a real velto.ini, against the reading done item by item as
// the rules are written (which costs the square of a line's length, so only the fuzzer's short
// inputs can afford it).
#include "Fuzz.h"
#include "base/Convert.h"
#include "base/KeyedTextList.h"
#include "board/VeltoEnvUnit.h"
#include "platform/Locale.h"
#include "support/TempDir.h"

#include <string>

using namespace vireziriv;
using fuzz::Require;

namespace {

std::int32_t ReferencePort(std::string_view bytes) {
    constexpr std::string_view kUDPMessage = "UDPMessage";
    TKeyedTextList lines;
    lines.SetText(bytes);
    std::int32_t port = TVeltoEnv::kDefaultUDPPort;
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string_view line = Trim(lines.Get(i));
        if (line.size() < kUDPMessage.size() ||
            platform::CompareText(line.substr(0, kUDPMessage.size()), kUDPMessage) != 0) {
            continue;
        }
        TKeyedTextList items;
        items.SetDelimitedText(line);
        // Every item's value unquoted and written back under its name; a write of an empty value
        // deletes, and then the next item moves into its place.
        int k = 0;
        while (k < items.Count()) {
            const std::string name(items.Names(k));
            std::string value = items.Values(name);
            if (!value.empty() && value.front() == '"') {
                std::size_t pos = 0;
                std::string inner = ExtractQuotedString(value, pos, '"');
                if (!inner.empty()) value = inner;
            }
            const int before = items.Count();
            items.SetValues(name, value);
            if (items.Count() == before) ++k;
        }
        port = TryStrToInt(items.Values("Port")).value_or(TVeltoEnv::kDefaultUDPPort);
    }
    return port;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const test::TempDir dir;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    dir.Write("velto.ini", bytes);
    const TVeltoEnv env(dir.Path());
    Require(env.ShareDir() == dir.Path(), "the environment keeps its directory");
    Require(env.UDPPort() == ReferencePort(bytes), "the port is the one the item-by-item reading gives");
    return 0;
}
