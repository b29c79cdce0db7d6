// Whether a person file's .off marker exists, answered from one listing of the directory where it can be.
#pragma once

#include "platform/NameList.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vireziriv::platform {

// What a listing says an entry is: Unsure for a symbolic link or an entry of unknown type.
enum class EntryKind { File, Directory, Unsure };

struct ListedEntry {
    std::string name;
    std::string shortName;  // the 8.3 alias a Windows look-up matches too; empty where there is none
    EntryKind kind = EntryKind::File;
};

// What a look-up of the marker would find: an entry other than a directory, nothing (or a
// directory), or what only the file system can tell.
enum class MarkerAnswer { Exists, Missing, Ask };

// For each person file of a directory, the answer a look-up of its marker would give (the file name
// with its last extension replaced by ".off"), decided from the directory's listing where it can be.
// The rule, row by row, is the table at the top of ListedMarkers.cpp.
class ListedMarkers {
public:
    ListedMarkers() = default;
    // `entries`: what the listing showed that may be a marker (see MayBeMarker; on Windows every
    // match of *.off); `persons`: the person files' names, to see which entries they claim.
    ListedMarkers(std::vector<ListedEntry> entries, const NameList& persons);

    // Safe to call from several threads at once.
    MarkerAnswer Answer(std::string_view personName) const;

    // False for a name that no case-blind file system could take for a marker's name.
    static bool MayBeMarker(std::string_view name);
    // The marker's name of a person file: its name with the last extension replaced by ".off".
    static std::string MarkerName(std::string_view personName);

private:
    struct Exact {
        EntryKind kind;
        bool claimed = false;
    };
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };

    bool MayStandIn(const std::string& markerPattern) const;

    // Entries named exactly "<stem>.off", by stem.
    std::unordered_map<std::string, Exact, Hash, std::equal_to<>> exact_;
    // The patterns of the names that might stand in for a marker, without a wildcard and with one.
    std::unordered_set<std::string> plainCandidates_;
    std::vector<std::string> wildCandidates_;
};

}  // namespace vireziriv::platform
