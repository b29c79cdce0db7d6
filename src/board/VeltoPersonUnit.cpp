// One user of the board as its person file records it, the list of all persons of a shared
// directory, and the tally of persons per group.
#include "board/VeltoPersonUnit.h"

#include "base/Convert.h"
#include "base/Exceptions.h"
#include "base/InOrder.h"
#include "base/Texts.h"
#include "board/BoardFiles.h"
#include "board/KeptBytes.h"
#include "board/VeltoEnvUnit.h"
#include "platform/Cp932.h"
#include "platform/Files.h"
#include "platform/Locale.h"
#include "platform/PersonFiles.h"

#include <algorithm>
#include <exception>
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

// The board's person files, listed whole, or the failure that ends the run: a directory that has
// gone is missing, one that could not be listed is unreadable.
platform::PersonFiles ListBoard(const std::string& dir, const BoardFiles& files) {
    try {
        return files.ListPatiently(dir);
    } catch (const EFileError& e) {
        if (e.Fault() == FileFault::DirectoryGone) RaiseShareDirGone();
        throw EVeltoCommandFileException(std::string(text::kShareDirUnreadableBefore) + dir +
                                         std::string(text::kShareDirUnreadableAfter));
    }
}

[[noreturn]] void RaisePersonFileUnreadable(const std::string& dir, std::string_view name) {
    throw EVeltoCommandFileException(std::string(text::kPersonFileBefore) + dir + std::string(name) +
                                     std::string(text::kPersonFileAfter));
}

// Where the file's own name starts in `path`.
std::size_t NameStart(std::string_view path) {
    const std::size_t p = cp932::FindLastOf(path, platform::kFileNameDelimiters);
    return p == std::string_view::npos ? 0 : p + 1;
}

// The directory part of `path`, with its separator, as persons share it; null for none.
std::shared_ptr<const std::string> DirectoryOf(std::string_view path) {
    const std::size_t nameStart = NameStart(path);
    return nameStart == 0 ? nullptr : std::make_shared<const std::string>(path.substr(0, nameStart));
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
    const std::size_t nameStart = NameStart(path);
    std::string text = path.substr(nameStart);
    platform::ReadWholeFile(path, text);
    LoadFromText(DirectoryOf(path), std::move(text), path.size() - nameStart,
                 platform::FileExists(ChangeFileExt(path, ".off")));
}

void TVeltoPerson::LoadFromText(std::shared_ptr<const std::string> directory, std::string text, std::size_t nameSize,
                                bool powerOff) {
    std::array<std::size_t, kParts - 1> ends{};
    ends[kFile] = nameSize;
    std::int32_t statusIcon = 0;
    int field = kFurigana;  // the file's fields are numbered as the parts that hold them
    bool quoted = false;
    TextLines lines(std::string_view(text).substr(nameSize));
    KeptBytes kept(text, nameSize, lines);
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
            kept.Append(line);
            if (field == kHuzairiyu) kept.Append('\n');
            ends[static_cast<std::size_t>(field)] = kept.End();
        } else {
            statusIcon = TryStrToInt(line).value_or(0);
        }
        if (!quoted) ++field;
    }
    // Fields the file never reached are empty.
    for (int f = field; f < kStatusIconField; ++f) ends[static_cast<std::size_t>(f)] = kept.End();
    // The lines after the tenth field stay as the file holds them.
    kept.AppendRestAndEnd();
    // Trimmed to what is kept when that frees at least the allocator's granule (the line breaks of
    // a usual person file do); the copy never holds more than the bytes read.
    if (text.capacity() - text.size() >= kAllocationGranule) text.shrink_to_fit();

    text_ = std::move(text);
    ends_ = ends;
    statusIcon_ = statusIcon;
    directory_ = std::move(directory);
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
    directory_ = DirectoryOf(path);
    SetPart(kFile, path.substr(nameStart));
}

int TVeltoPerson::ComparePath(const TVeltoPerson& other) const {
    if (directory_ == other.directory_) return View(kFile).compare(other.View(kFile));
    return FilePath().compare(other.FilePath());
}

std::string TVeltoPerson::FileName() const { return ChangeFileExt(View(kFile), ""); }

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
    if (i < 0 || i >= Count()) RaiseListIndexError(i);
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

int TVeltoPersonsList::LoadFromDir(const std::string& dir) { return LoadFromDir(dir, BoardFiles()); }

int TVeltoPersonsList::LoadFromDir(const std::string& dir, const BoardFiles& files) {
    const platform::PersonFiles listed = ListBoard(dir, files);
    const auto directory = std::make_shared<const std::string>(dir);
    Clear();
    persons_.reserve(kInitialRoom);
    // Files are read and parsed on the readers; the persons are added here in the listing's order,
    // so the tally and the first failure are those of reading the files one after another.
    using Loaded = std::unique_ptr<TVeltoPerson>;
    ProduceInOrder<Loaded>(
        listed.Count(), files.Readers(),
        [&](std::size_t i) {
            Loaded person;
            if (listed.IsDirectory(i)) return person;
            const std::string_view name = listed.Name(i);
            std::string text(name);  // the person's text: the file's name, then its bytes
            // A file that left the board since it was listed is left out, as a moment later.
            if (!files.ReadPatiently(dir + std::string(name), text)) return person;
            const platform::MarkerAnswer marker = listed.Marker(i);
            const bool powerOff = marker == platform::MarkerAnswer::Ask ? files.ExistsPatiently(listed.MarkerPath(i))
                                                                        : marker == platform::MarkerAnswer::Exists;
            person = std::make_unique<TVeltoPerson>();
            person->LoadFromText(directory, std::move(text), name.size(), powerOff);
            return person;
        },
        [&](std::size_t i, Outcome<Loaded>& outcome) {
            try {
                if (Loaded person = outcome.Get()) Add(std::move(person));
            } catch (const EFileError& e) {
                if (e.Fault() == FileFault::DirectoryGone) RaiseShareDirGone();
                RaisePersonFileUnreadable(dir, listed.Name(i));
            } catch (const std::exception&) {
                RaisePersonFileUnreadable(dir, listed.Name(i));
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
    if (i < 0 || i >= Count()) RaiseListIndexError(i);
    const std::unique_ptr<TVeltoPerson> deleted = std::move(persons_[static_cast<std::size_t>(i)]);
    persons_.erase(persons_.begin() + i);
    Notify(*deleted, TListNotification::Deleted);
}

void TVeltoPersonsList::Clear() {
    while (!persons_.empty()) Delete(Count() - 1);
    persons_.shrink_to_fit();
}

const TVeltoPerson& TVeltoPersonsList::Items(int i) const {
    if (i < 0 || i >= Count()) RaiseListIndexError(i);
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
