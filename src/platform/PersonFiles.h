// The person files of a board directory from one listing, which also answers for their .off markers.
#pragma once

#include "platform/ListedMarkers.h"
#include "platform/NameList.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vireziriv::platform {

// Lists `dir` (ending with the separator) once, when constructed: the names that match *.vlt, on
// Windows by the platform's wildcard, which also matches a name through its 8.3 alias (e.vltx as
// E~1.VLT); elsewhere the names ending in ".vlt", ASCII case ignored. Directories are skipped, every
// other entry is taken. The order is the file system's. Readers on any thread then ask about one
// file at a time.
//
// A listing is the whole directory or raises EFileError. Only the end of the directory ends it
// (readdir's null with errno unchanged; ERROR_NO_MORE_FILES, or ERROR_FILE_NOT_FOUND from the first
// search, which means that nothing matches), and the directory is opened again afterwards, since a
// removal that cuts a listing short ends it like its end. The fault says what happened:
//   DirectoryGone  the directory is not there, or went while it was listed;
//   Dropped        the connection to the server broke (or Busy: it was held): listing again may help;
//   Unreadable     anything else: the directory may not be listed, or its listing broke off.
class PersonFiles {
public:
    explicit PersonFiles(std::string dir);

    std::size_t Count() const { return names_.Count(); }
    std::string_view Name(std::size_t i) const { return names_[i]; }

    // Whether entry `i` is a directory after all, which is no person file: asked of the file system
    // only for an entry that the listing showed as a link or without a type.
    bool IsDirectory(std::size_t i) const;

    // What the listing says of file i's .off marker (the rule is the table of ListedMarkers.cpp):
    // MarkerAnswer::Ask where only a look-up of MarkerPath(i) can tell (FileExists, which raises
    // for anything but "not found").
    MarkerAnswer Marker(std::size_t i) const { return markers_.Answer(Name(i)); }
    // The path of file i's .off marker: its path with the last extension replaced by ".off".
    std::string MarkerPath(std::size_t i) const;

private:
    std::string dir_;
    NameList names_;
    std::vector<bool> untyped_;  // by file: a link or an entry of unknown type
    ListedMarkers markers_;
};

}  // namespace vireziriv::platform
