// Whether a person file's .off marker exists, answered from one listing of the directory where it can be.
#include "platform/ListedMarkers.h"

#include "platform/Cp932.h"

#include <utility>

namespace vireziriv::platform {
namespace {

constexpr std::string_view kMarkerExtension = ".off";
// A byte that a pattern holds for nothing else: ASCII stays as it is.
constexpr char kWild = '\x80';
// Beyond this many wildcard comparisons for one person, asking the file system is the cheaper way.
constexpr std::size_t kMostCompared = 64;

// ASCII letters in lower case, other ASCII as it is, and each run of other characters one wildcard.
// A code page 932 double-byte character goes into the wildcard whole, trail byte included.
std::string PatternOf(std::string_view name) {
    std::string pattern;
    pattern.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); i += cp932::CharLength(name, i)) {
        const char c = name[i];
        if (static_cast<unsigned char>(c) < 0x80) {
            pattern += cp932::LowerAscii(c);
        } else if (pattern.empty() || pattern.back() != kWild) {
            pattern += kWild;
        }
    }
    return pattern;
}

bool IsPlain(std::string_view pattern) { return pattern.find(kWild) == std::string_view::npos; }

// Whether the plain text `text` is one of the names `pattern` stands for.
bool Matches(std::string_view text, std::string_view pattern) {
    const std::size_t first = pattern.find(kWild);
    if (first == std::string_view::npos) return text == pattern;
    const std::size_t last = pattern.rfind(kWild);
    const std::string_view head = pattern.substr(0, first);
    const std::string_view tail = pattern.substr(last + 1);
    if (text.size() < head.size() + tail.size() || !text.starts_with(head) || !text.ends_with(tail)) return false;
    std::string_view rest = text.substr(head.size(), text.size() - head.size() - tail.size());
    // The parts between the wildcards in order, each as early as it occurs.
    for (std::size_t from = first + 1; from < last;) {
        const std::size_t to = pattern.find(kWild, from);
        const std::string_view part = pattern.substr(from, to - from);
        const std::size_t at = rest.find(part);
        if (at == std::string_view::npos) return false;
        rest.remove_prefix(at + part.size());
        from = to + 1;
    }
    return true;
}

// Whether some name is stood for by both patterns.
bool Overlap(std::string_view a, std::string_view b) {
    if (IsPlain(a)) return Matches(a, b);
    if (IsPlain(b)) return Matches(b, a);
    // Both hold a wildcard, which takes whatever lies between the other's plain head and tail.
    const std::string_view headA = a.substr(0, a.find(kWild));
    const std::string_view headB = b.substr(0, b.find(kWild));
    const std::string_view tailA = a.substr(a.rfind(kWild) + 1);
    const std::string_view tailB = b.substr(b.rfind(kWild) + 1);
    return (headA.starts_with(headB) || headB.starts_with(headA)) && (tailA.ends_with(tailB) || tailB.ends_with(tailA));
}

// A file name's part before its last extension, as the marker's name replaces it.
std::string_view StemOf(std::string_view name) { return name.substr(0, cp932::FindLastOf(name, ".")); }

// True when the name's last extension is ".vlt" in any ASCII case: two such names whose stems fold
// together fold together themselves.
bool HasPersonExtension(std::string_view name) {
    return cp932::EqualsIgnoringAsciiCase(name.substr(StemOf(name).size()), ".vlt");
}

MarkerAnswer AnswerFor(EntryKind kind) {
    switch (kind) {
        case EntryKind::File: return MarkerAnswer::Exists;
        case EntryKind::Directory: return MarkerAnswer::Missing;
        case EntryKind::Unsure: break;
    }
    return MarkerAnswer::Ask;
}

}  // namespace

bool ListedMarkers::MayBeMarker(std::string_view name) {
    static const std::string anyMarker = kWild + std::string(kMarkerExtension);
    return Overlap(PatternOf(name), anyMarker);
}

std::string ListedMarkers::MarkerName(std::string_view personName) {
    return std::string(StemOf(personName)).append(kMarkerExtension);
}

ListedMarkers::ListedMarkers(std::vector<ListedEntry> entries, const NameList& persons) {
    if (entries.empty()) return;  // the usual board then costs no pass over its persons
    for (const ListedEntry& entry : entries) {
        if (entry.name.ends_with(kMarkerExtension)) {
            exact_.emplace(entry.name.substr(0, entry.name.size() - kMarkerExtension.size()), Exact{entry.kind});
        }
    }
    for (std::size_t i = 0; i < persons.Count(); ++i) {
        if (!HasPersonExtension(persons[i])) continue;
        const auto found = exact_.find(StemOf(persons[i]));
        if (found != exact_.end()) found->second.claimed = true;
    }
    auto keep = [this](std::string_view name) {
        if (name.empty() || !MayBeMarker(name)) return;
        std::string pattern = PatternOf(name);
        if (IsPlain(pattern)) {
            plainCandidates_.insert(std::move(pattern));
        } else {
            wildCandidates_.push_back(std::move(pattern));
        }
    };
    for (const ListedEntry& entry : entries) {
        // A directory found by the look-up gives the same answer as nothing found.
        if (entry.kind == EntryKind::Directory) continue;
        const bool claimed = entry.name.ends_with(kMarkerExtension) &&
                             exact_.at(entry.name.substr(0, entry.name.size() - kMarkerExtension.size())).claimed;
        if (!claimed) keep(entry.name);
        keep(entry.shortName);  // an alias is nobody's exact name
    }
}

MarkerAnswer ListedMarkers::Answer(std::string_view personName) const {
    const std::string_view stem = StemOf(personName);
    if (const auto found = exact_.find(stem); found != exact_.end()) return AnswerFor(found->second.kind);
    if (stem.find('~') != std::string_view::npos) return MarkerAnswer::Ask;
    if (!HasPersonExtension(personName) && !exact_.empty()) return MarkerAnswer::Ask;
    if (plainCandidates_.empty() && wildCandidates_.empty()) return MarkerAnswer::Missing;
    return MayStandIn(PatternOf(stem) + std::string(kMarkerExtension)) ? MarkerAnswer::Ask : MarkerAnswer::Missing;
}

bool ListedMarkers::MayStandIn(const std::string& markerPattern) const {
    if (IsPlain(markerPattern)) {
        if (plainCandidates_.contains(markerPattern)) return true;
        if (wildCandidates_.size() > kMostCompared) return true;
    } else {
        if (plainCandidates_.size() + wildCandidates_.size() > kMostCompared) return true;
        for (const std::string& candidate : plainCandidates_) {
            if (Matches(candidate, markerPattern)) return true;
        }
    }
    for (const std::string& candidate : wildCandidates_) {
        if (Overlap(markerPattern, candidate)) return true;
    }
    return false;
}

}  // namespace vireziriv::platform
