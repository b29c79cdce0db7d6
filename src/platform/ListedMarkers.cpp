// Whether a person file's .off marker exists, answered from one listing of the directory where it can be.
//
// A look-up of the marker costs a round trip on a file server, one per person, so the listing that
// found the person files decides wherever it can. The marker of person file P is M, P's name with its
// last extension replaced by ".off". For each P, the first row that applies answers:
//
// | what the listing shows                                       | answer       | why                                          |
// |--------------------------------------------------------------|--------------|----------------------------------------------|
// | an entry named exactly M: a file                             | exists       | the look-up would find it                    |
// | an entry named exactly M: a directory                        | missing      | a directory is no marker                     |
// | an entry named exactly M: a link, or an entry without a type | ask          | only the file system knows what it leads to  |
// | P's name before the extension holds '~'                      | ask          | M may be another entry's 8.3 alias, which a  |
// |                                                              |              | listing does not always show                 |
// | P matched *.vlt through its alias (e.vltx), and some marker  | ask          | another person may have the same M, and the  |
// | is listed                                                    |              | entry it claims may be M on a case-blind one |
// | an entry that no person file claims as its exact marker (or  | ask          | a case-blind file system may fold that name  |
// | an alias) whose name may fold into M                         |              | into M; it alone can say                     |
// | more than kMostCompared such entries with a wildcard         | ask          | comparing them all costs more than a look-up |
// | nothing of the above                                         | missing      | no file system would find anything           |
//
// "May fold into M": names compare as patterns, ASCII letters without case and every run of other
// characters as a wildcard for any text, since a case-blind file system may fold or normalise those
// into anything (full-width letters, a Kelvin sign, a dotless i, a precomposed letter). An entry
// named exactly as some person's marker is that person's and never stands in for another's: two
// person files whose names fold together cannot both exist on a case-blind file system. So a board
// whose markers all belong to person files, Japanese names included, needs no look-up at all.
#include "platform/ListedMarkers.h"

#include "platform/Cp932.h"

#include <optional>
#include <utility>

namespace vireziriv::platform {
namespace {

constexpr std::string_view kMarkerExtension = ".off";
// A byte that a pattern holds for nothing else: ASCII stays as it is.
constexpr char kWild = '\x80';
// Beyond this many wildcard comparisons for one person, asking the file system is the cheaper way.
constexpr std::size_t kMostCompared = 64;

// ASCII letters in upper case, other ASCII as it is, and each run of other characters one wildcard.
// A code page 932 double-byte character goes into the wildcard whole, trail byte included.
std::string PatternOf(std::string_view name) {
    std::string pattern;
    pattern.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); i += cp932::CharLength(name, i)) {
        const char c = name[i];
        if (static_cast<unsigned char>(c) < 0x80) {
            pattern += cp932::UpperAscii(c);
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

// The stem of an entry named "<stem>.off" exactly, or nothing.
std::optional<std::string_view> ExactMarkerStem(std::string_view name) {
    if (!name.ends_with(kMarkerExtension)) return std::nullopt;
    return name.substr(0, name.size() - kMarkerExtension.size());
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
    static const std::string anyMarker = kWild + PatternOf(kMarkerExtension);
    return Overlap(PatternOf(name), anyMarker);
}

std::string ListedMarkers::MarkerName(std::string_view personName) {
    return std::string(StemOf(personName)).append(kMarkerExtension);
}

ListedMarkers::ListedMarkers(std::vector<ListedEntry> entries, const NameList& persons) {
    if (entries.empty()) return;  // the usual board then costs no pass over its persons
    for (const ListedEntry& entry : entries) {
        if (const auto stem = ExactMarkerStem(entry.name)) exact_.emplace(std::string(*stem), Exact{entry.kind});
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
        const auto stem = ExactMarkerStem(entry.name);
        if (!stem || !exact_.find(*stem)->second.claimed) keep(entry.name);
        keep(entry.shortName);  // an alias is nobody's exact name
    }
}

MarkerAnswer ListedMarkers::Answer(std::string_view personName) const {
    const std::string_view stem = StemOf(personName);
    if (const auto found = exact_.find(stem); found != exact_.end()) return AnswerFor(found->second.kind);
    if (stem.find('~') != std::string_view::npos) return MarkerAnswer::Ask;
    if (!HasPersonExtension(personName) && !exact_.empty()) return MarkerAnswer::Ask;
    if (plainCandidates_.empty() && wildCandidates_.empty()) return MarkerAnswer::Missing;
    return MayStandIn(PatternOf(MarkerName(personName))) ? MarkerAnswer::Ask : MarkerAnswer::Missing;
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
