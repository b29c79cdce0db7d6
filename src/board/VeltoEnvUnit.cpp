// One shared directory of the board and what the board's settings file there says.
#include "board/VeltoEnvUnit.h"

#include "base/Convert.h"
#include "base/Exceptions.h"
#include "base/KeyedTextList.h"
#include "base/Texts.h"
#include "platform/Files.h"
#include "platform/Locale.h"

#include <exception>
#include <string_view>
#include <utility>

namespace vireziriv {
namespace {

constexpr std::string_view kSettingsFile = "velto.ini";
constexpr std::string_view kUDPMessage = "UDPMessage";

bool IsUDPMessageLine(std::string_view trimmed) {
    return trimmed.size() >= kUDPMessage.size() &&
           platform::CompareText(trimmed.substr(0, kUDPMessage.size()), kUDPMessage) == 0;
}

// One level of double quotes off a value; a value that unquotes to nothing stays as written.
std::string Unquote(std::string value) {
    if (value.empty() || value.front() != '"') return value;
    std::size_t pos = 0;
    std::string inner = ExtractQuotedString(value, pos, '"');
    return inner.empty() ? value : inner;
}

// The port a UDPMessage line sets: its Port item, or the default when that is missing or no integer.
std::int32_t PortOf(std::string_view line) {
    TKeyedTextList items;
    items.SetDelimiter(',');
    items.SetQuoteChar('"');
    items.SetDelimitedText(line);
    // Writing back an empty value ("Port=") deletes that item and the next one moves into its place,
    // so the index advances only when nothing was deleted and the pass never runs past the list.
    int i = 0;
    while (i < items.Count()) {
        const std::string name(items.Names(i));
        const int before = items.Count();
        items.SetValues(name, Unquote(items.Values(name)));
        if (items.Count() == before) ++i;
    }
    return TryStrToInt(items.Values("Port")).value_or(TVeltoEnv::kDefaultUDPPort);
}

}  // namespace

TVeltoEnv::TVeltoEnv(std::string shareDir) : shareDir_(std::move(shareDir)) { ReadSettings(); }

void TVeltoEnv::ReadSettings() {
    const std::string path = shareDir_ + std::string(kSettingsFile);
    if (!platform::FileExists(path)) return;
    TKeyedTextList lines;
    try {
        lines.LoadFromFile(path);
    } catch (const std::exception&) {
        throw EVeltoCommandFileException(path + std::string(text::kSettingsUnreadable));
    }
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string_view line = Trim(lines.Get(i));
        if (IsUDPMessageLine(line)) udpPort_ = PortOf(line);
    }
}

}  // namespace vireziriv
