// One user of the board as its person file records it, the list of all persons of a shared
// directory, and the tally of persons per group.
#include "board/VeltoPersonUnit.h"

#include "base/Convert.h"
#include "base/Exceptions.h"
#include "base/InOrder.h"
#include "base/Texts.h"
#include "board/VeltoEnvUnit.h"
#include "platform/Cp932.h"
#include "platform/Files.h"
#include "platform/Locale.h"
#include "platform/PersonFiles.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <string>
#include <utility>

namespace vireziriv {
namespace {

std::string DotAndDelimiters() { return std::string(".").append(platform::kFileNameDelimiters); }

// The steps in which the allocator hands out memory: less spare room is not worth a copy.
constexpr std::size_t kAllocationGranule = 16;

// Room for a board of usual size before reading, trimmed to the count afterwards.
constexpr std::size_t kInitialRoom = 300;

// Person files read at once, at most. On a file server every open, read and close is a round trip
// and the server answers many at once: on the benchmark's shares 32 and 64 readers did alike, fewer
// took up to three times as long, more gained nothing; 64 leaves room for longer round trips. On a
// local disk reads do not wait, and the pool stays at one reader per core.
constexpr std::size_t kReaders = 64;

// Persons read from one directory share its text (none for a path without one). The last one
// asked for is kept, which serves a whole board; readers on several threads may ask at once.
std::shared_ptr<const std::string> SharedDirectory(std::string_view dir) {
    if (dir.empty()) return nullptr;
    static std::mutex guard;
    static std::shared_ptr<const std::string> last;
    const std::lock_guard<std::mutex> lock(guard);
    if (!last || *last != dir) last = std::make_shared<const std::string>(dir);
    return last;
}

// Where the file's own name starts in `path`.
std::size_t NameStart(std::string_view path) {
    const std::size_t p = cp932::FindLastOf(path, platform::kFileNameDelimiters);
    return p == std::string_view::npos ? 0 : p + 1;
}

[[noreturn]] void RaiseListIndex(int i) {
    throw EListError("List index out of bounds (" + std::to_string(i) + ")");
}

unsigned char FoldAscii(unsigned char c) {
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    const std::size_t p = cp932::FindLastOf(path, DotAndDelimiters());
    const std::size_t stem = p != std::string_view::npos && path[p] == '.' ? p : path.size();
    std::string changed;
    changed.reserve(stem + ext.size());
    changed.append(path.substr(0, stem)).append(ext);
    return changed;
}

std::string_view TVeltoPerson::View(Part part) const {
    const std::size_t begin = part == kFile ? 0 : ends_[part - 1];
    const std::size_t end = part == kUnknown ? text_.size() : ends_[part];
    return std::string_view(text_).substr(begin, end - begin);
}

void TVeltoPerson::SetPart(Part part, std::string_view text) {
    const std::string_view old = View(part);
    const std::size_t begin = static_cast<std::size_t>(old.data() - text_.data());
    const std::size_t oldSize = old.size();
    text_.replace(begin, oldSize, text);
    for (std::size_t i = part; i < ends_.size(); ++i) ends_[i] = ends_[i] - oldSize + text.size();
}

void TVeltoPerson::Clear() {
    text_.clear();
    ends_.fill(0);
    directory_.reset();
    statusIcon_ = 0;
    powerOff_ = true;
}

void TVeltoPerson::LoadFromFile(const std::string& path) {
    LoadFromFile(path, true);
    powerOff_ = platform::FileExists(ChangeFileExt(path, ".off"));
}

void TVeltoPerson::LoadFromFile(const std::string& path, bool powerOff) {
    const std::size_t nameStart = NameStart(path);
    std::string text = path.substr(nameStart);
    AppendFileBytes(path, text);
    // The fields are gathered right after the file's name, in the file's own bytes, as its lines
    // are read. Each line gives at most its own bytes (quotes only shrink it) and a line of the
    // reason one more, its LF; every line before the last has a break of at least a byte that is
    // not kept, and the reason starts at the fifth line. So what is written never reaches what is
    // still to be read.
    std::array<std::size_t, kParts - 1> ends{};
    ends[kFile] = path.size() - nameStart;
    std::int32_t statusIcon = 0;
    std::size_t kept = ends[kFile];
    int field = kFurigana;  // the file's fields are numbered as the parts that hold them
    bool quoted = false;
    TextLines lines(std::string_view(text).substr(kept));
    std::string_view line;
    while (field <= kStatusIconField && lines.Next(line)) {
        if (!quoted && !line.empty() && line.front() == '"') {
            line.remove_prefix(1);
            quoted = true;
        }
        if (quoted && !line.empty() && line.back() == '"') {
            line.remove_suffix(1);
            quoted = false;
        }
        if (field < kStatusIconField) {
            std::memmove(text.data() + kept, line.data(), line.size());
            kept += line.size();
            if (field == kHuzairiyu) text[kept++] = '\n';
            ends[static_cast<std::size_t>(field)] = kept;
        } else {
            statusIcon = TryStrToInt(line).value_or(0);
        }
        if (!quoted) ++field;
    }
    // Fields the file never reached are empty.
    for (int f = field; f < kStatusIconField; ++f) ends[static_cast<std::size_t>(f)] = kept;
    // The lines after the tenth field stay as the file holds them.
    const std::string_view unknown = lines.Rest();
    std::memmove(text.data() + kept, unknown.data(), unknown.size());
    text.resize(kept + unknown.size());
    // Trimmed to what is kept when that frees at least the allocator's granule (the line breaks of
    // a usual person file do); the copy never holds more than the bytes read.
    if (text.capacity() - text.size() >= kAllocationGranule) text.shrink_to_fit();

    text_ = std::move(text);
    ends_ = ends;
    statusIcon_ = statusIcon;
    directory_ = SharedDirectory(std::string_view(path).substr(0, nameStart));
    powerOff_ = powerOff;
}

std::string TVeltoPerson::Huzairiyu() const {
    std::string reason;
    AppendHuzairiyu(reason);
    return reason;
}

void TVeltoPerson::AppendHuzairiyu(std::string& out) const {
    const std::string_view reason = View(kHuzairiyu);
    out.reserve(out.size() + reason.size() + static_cast<std::size_t>(std::count(reason.begin(), reason.end(), '\n')));
    for (const char c : reason) {
        if (c == '\n') out += '\r';
        out += c;
    }
}

void TVeltoPerson::SetHuzairiyu(std::string_view text) {
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') throw std::invalid_argument("a line of the reason ends with CR LF");
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lines += text[i];
    }
    SetPart(kHuzairiyu, lines);
}

TKeyedTextList TVeltoPerson::Unknown() const {
    TKeyedTextList lines;
    lines.SetText(View(kUnknown));
    return lines;
}

void TVeltoPerson::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TVeltoPerson*>(&source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    text_ = other->text_;
    ends_ = other->ends_;
    directory_ = other->directory_;
    statusIcon_ = other->statusIcon_;
    powerOff_ = other->powerOff_;
}

std::string TVeltoPerson::FilePath() const {
    std::string path = directory_ ? *directory_ : std::string();
    path += View(kFile);
    return path;
}

void TVeltoPerson::SetFilePath(std::string_view path) {
    const std::size_t nameStart = NameStart(path);
    directory_ = SharedDirectory(path.substr(0, nameStart));
    SetPart(kFile, path.substr(nameStart));
}

int TVeltoPerson::ComparePath(const TVeltoPerson& other) const {
    if (directory_ == other.directory_) return View(kFile).compare(other.View(kFile));
    return FilePath().compare(other.FilePath());
}

std::string TVeltoPerson::FileName() const { return ChangeFileExt(View(kFile), ""); }

int CompareFurigana(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    bool trail = false;  // both texts agree up to here, and letters are never lead bytes
    for (std::size_t i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (!trail) {
            x = FoldAscii(x);
            y = FoldAscii(y);
        }
        if (x != y) return x < y ? -1 : 1;
        trail = !trail && cp932::IsLeadByte(a[i]);
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool TGroupList::NameLess::operator()(std::string_view a, std::string_view b) const {
    return platform::CompareText(a, b) < 0;
}

// A copy starts without the cache: its iterators belong to the other map.
TGroupList::TGroupList(const TGroupList& other)
    : groups_(other.groups_), entries_(other.entries_), entriesStale_(other.entriesStale_) {}

TGroupList& TGroupList::operator=(const TGroupList& other) {
    if (this != &other) {
        byKeyBytes_.clear();
        groups_ = other.groups_;
        entries_ = other.entries_;
        entriesStale_ = other.entriesStale_;
    }
    return *this;
}

int TGroupList::Add(std::string_view name) {
    Groups::iterator found;
    bool asKey = true;  // written exactly as the entry's key
    if (const auto cached = byKeyBytes_.find(name); cached != byKeyBytes_.end()) {
        found = cached->second;
    } else {
        // One walk of the map finds the group or the place of a new one.
        found = groups_.lower_bound(name);
        if (found == groups_.end() || NameLess()(name, found->first)) {
            found = groups_.emplace_hint(found, std::string(name), Tally{});
        }
        asKey = found->first == name;
        if (asKey) byKeyBytes_.emplace(found->first, found);
    }
    if (asKey) {
        found->second.otherForm.clear();
    } else {
        found->second.otherForm = name;
    }
    ++found->second.count;
    entriesStale_ = true;
    return Count();
}

void TGroupList::Remove(std::string_view name) {
    const auto found = groups_.find(name);
    if (found == groups_.end()) return;
    if (--found->second.count <= 0) {
        byKeyBytes_.erase(found->first);
        groups_.erase(found);
    }
    entriesStale_ = true;
}

std::string TGroupList::Values(std::string_view name) const {
    const auto found = groups_.find(name);
    return found == groups_.end() ? std::string() : std::to_string(found->second.count);
}

const std::vector<std::string>& TGroupList::Entries() const {
    if (entriesStale_) {
        entries_.clear();
        entries_.reserve(groups_.size());
        for (const auto& [key, tally] : groups_) {
            entries_.push_back((tally.otherForm.empty() ? key : tally.otherForm) + "=" + std::to_string(tally.count));
        }
        // The entries, counts included, are what the locale comparison orders.
        std::stable_sort(entries_.begin(), entries_.end(), [](const std::string& a, const std::string& b) {
            return platform::CompareText(a, b) < 0;
        });
        entriesStale_ = false;
    }
    return entries_;
}

const std::string& TGroupList::Get(int i) const {
    const auto& entries = Entries();
    if (i < 0 || i >= Count()) RaiseListIndex(i);
    return entries[static_cast<std::size_t>(i)];
}

std::string TGroupList::Text() const {
    std::string text;
    for (const auto& e : Entries()) {
        text += e;
        text += "\r\n";
    }
    return text;
}

TVeltoPersonsList::TVeltoPersonsList(const TVeltoEnv& env) { Load(env); }

int TVeltoPersonsList::Load(const TVeltoEnv& env) {
    loadingTime_ = platform::LocalNow();
    return LoadFromDir(env.ShareDir());
}

int TVeltoPersonsList::LoadFromDir(const std::string& dir) {
    const platform::PersonFiles files(dir);
    Clear();
    persons_.reserve(kInitialRoom);
    // Files are read and parsed on the readers; the persons are added here in the listing's order,
    // so the tally and the first failure are those of reading the files one after another.
    using Loaded = std::unique_ptr<TVeltoPerson>;
    ProduceInOrder<Loaded>(
        files.Count(), kReaders,
        [&](std::size_t i) {
            Loaded person;
            if (files.HandOut(i)) {
                person = std::make_unique<TVeltoPerson>();
                person->LoadFromFile(dir + std::string(files.Name(i)), files.MarkerExists(i));
            }
            return person;
        },
        [&](std::size_t i, Outcome<Loaded>& outcome) {
            try {
                if (Loaded person = outcome.Get()) Add(std::move(person));
            } catch (const std::exception&) {
                throw EVeltoCommandFileException(std::string(text::kPersonFileBefore) + dir +
                                                 std::string(files.Name(i)) + std::string(text::kPersonFileAfter));
            }
        });
    persons_.shrink_to_fit();
    SortByFurigana();
    return Count();
}

void TVeltoPersonsList::SortByFurigana() {
    // Equal furigana fall back to the path, so a directory always lists the same way.
    std::sort(persons_.begin(), persons_.end(), [](const auto& a, const auto& b) {
        const int byFurigana = CompareFurigana(a->Furigana(), b->Furigana());
        return byFurigana != 0 ? byFurigana < 0 : a->ComparePath(*b) < 0;
    });
}

TVeltoPerson& TVeltoPersonsList::Add(std::unique_ptr<TVeltoPerson> person) {
    persons_.push_back(std::move(person));
    TVeltoPerson& added = *persons_.back();
    Notify(added, TListNotification::Added);
    return added;
}

void TVeltoPersonsList::Delete(int i) {
    if (i < 0 || i >= Count()) RaiseListIndex(i);
    const std::unique_ptr<TVeltoPerson> deleted = std::move(persons_[static_cast<std::size_t>(i)]);
    persons_.erase(persons_.begin() + i);
    Notify(*deleted, TListNotification::Deleted);
}

void TVeltoPersonsList::Clear() {
    while (!persons_.empty()) Delete(Count() - 1);
    persons_.shrink_to_fit();
}

const TVeltoPerson& TVeltoPersonsList::Items(int i) const {
    if (i < 0 || i >= Count()) RaiseListIndex(i);
    return *persons_[static_cast<std::size_t>(i)];
}

const TVeltoPerson* TVeltoPersonsList::FindByFileName(std::string_view name) const {
    for (const auto& person : persons_) {
        if (person->FileName() == name) return person.get();
    }
    return nullptr;
}

void TVeltoPersonsList::Notify(const TVeltoPerson& person, TListNotification action) {
    if (action == TListNotification::Added) {
        groups_.Add(person.Group());
    } else {
        groups_.Remove(person.Group());
    }
}

}  // namespace vireziriv
