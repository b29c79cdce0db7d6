// One shared directory of the board and what the board's settings file there says.
#include "board/VeltoEnvUnit.h"

#include "base/Convert.h"
#include "base/Exceptions.h"
#include "base/KeyedTextList.h"
#include "base/Texts.h"
#include "board/BoardFiles.h"
#include "platform/Locale.h"

#include <exception>
#include <optional>
#include <string_view>
#include <utility>

namespace vireziriv {
namespace {

constexpr std::string_view kSettingsFile = "velto.ini";
constexpr std::string_view kUDPMessage = "UDPMessage";
constexpr std::string_view kPort = "Port";

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
//
// Every item is unquoted and written back under its name, in turn. Written back under a name, a
// value lands in the first item of that name, and an empty one deletes that item instead. So only
// Port items touch the first Port item, and each of them unquotes its value once more; a first
// "Port=" is dropped, and the next Port item becomes the first. The other items cannot change the
// outcome and are not looked up: finding each by its name again would cost a long line the square
// of its length.
std::int32_t PortOf(std::string_view line) {
    TKeyedTextList items;
    items.SetDelimiter(',');
    items.SetQuoteChar('"');
    items.SetDelimitedText(line);
    std::optional<std::string> port;  // the first Port item's value, once that item was written back
    for (int i = 0; i < items.Count(); ++i) {
        if (items.Compare(items.Names(i), kPort) != 0) continue;
        if (port) {
            port = Unquote(*std::move(port));
        } else if (std::string value = items.ValueFromIndex(i); !value.empty()) {
            port = Unquote(std::move(value));
        }
    }
    if (!port) return TVeltoEnv::kDefaultUDPPort;
    return TryStrToInt(*port).value_or(TVeltoEnv::kDefaultUDPPort);
}

}  // namespace

TVeltoEnv::TVeltoEnv(std::string shareDir) : TVeltoEnv(std::move(shareDir), BoardFiles()) {}

TVeltoEnv::TVeltoEnv(std::string shareDir, const BoardFiles& files) : shareDir_(std::move(shareDir)) {
    ReadSettings(files);
}

void TVeltoEnv::ReadSettings(const BoardFiles& files) {
    const std::string path = shareDir_ + std::string(kSettingsFile);
    // The lines are walked as views into the file's bytes: a file of nothing but line breaks
    // would cost far more as a list of texts.
    std::string bytes;
    try {
        if (!files.ExistsPatiently(path)) return;
        // Removed since it was found: no settings, as a moment later.
        if (!files.ReadPatiently(path, bytes)) return;
    } catch (const EFileError& e) {
        if (e.Fault() == FileFault::DirectoryGone) RaiseShareDirGone();
        throw EVeltoCommandFileException(path + std::string(text::kSettingsUnreadable));
    } catch (const std::exception&) {
        throw EVeltoCommandFileException(path + std::string(text::kSettingsUnreadable));
    }
    std::string_view line;
    for (TextLines lines(bytes); lines.Next(line);) {
        const std::string_view trimmed = Trim(line);
        if (IsUDPMessageLine(trimmed)) udpPort_ = PortOf(trimmed);
    }
}

}  // namespace vireziriv
