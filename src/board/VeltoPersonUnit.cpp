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
#include <exception>
#include <string>
#include <utility>

namespace vireziriv {
namespace {

std::string DotAndDelimiters() { return std::string(".").append(platform::kFileNameDelimiters); }

// Room for a board of usual size before reading, trimmed to the count afterwards.
constexpr std::size_t kInitialRoom = 300;

// Person files read at once, at most. On a file server every open, read and close is a round trip
// and the server answers many at once: on the benchmark's shares 32 and 64 readers did alike, fewer
// took up to three times as long, more gained nothing; 64 leaves room for longer round trips. On a
// local disk reads do not wait, and the pool stays at one reader per core.
constexpr std::size_t kReaders = 64;

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

void TVeltoPerson::Clear() {
    FilePath.clear();
    PowerOFF = true;
    Furigana.clear();
    Name.clear();
    Group.clear();
    Tel.clear();
    Huzairiyu.clear();
    ModoriDate.clear();
    ModoriTime.clear();
    Memo.clear();
    IP.clear();
    StatusIcon = 0;
    Unknown.Clear();
}

void TVeltoPerson::LoadFromFile(const std::string& path) {
    LoadFromFile(path, true);
    PowerOFF = platform::FileExists(ChangeFileExt(path, ".off"));
}

void TVeltoPerson::LoadFromFile(const std::string& path, bool powerOff) {
    TKeyedTextList lines;
    lines.LoadFromFile(path);
    Clear();
    ReadLines(lines);
    FilePath = path;
    PowerOFF = powerOff;
}

void TVeltoPerson::ReadLines(const TKeyedTextList& lines) {
    // Fields in file order; the tenth is the status icon, the rest are kept verbatim.
    std::string* const texts[] = {&Furigana, &Name, &Group, &Memo, &Huzairiyu, &ModoriDate, &ModoriTime, &Tel, &IP};
    constexpr int kReasonField = 5;
    constexpr int kStatusIconField = 10;
    int field = 1;
    bool quoted = false;
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string& line = lines.Get(i);
        std::string_view value = line;
        if (!quoted && !value.empty() && value.front() == '"') {
            value.remove_prefix(1);
            quoted = true;
        }
        if (quoted && !value.empty() && value.back() == '"') {
            value.remove_suffix(1);
            quoted = false;
        }
        if (field < kStatusIconField) {
            std::string& text = *texts[field - 1];
            text += value;
            if (field == kReasonField) text += "\r\n";
        } else if (field == kStatusIconField) {
            StatusIcon = TryStrToInt(value).value_or(0);
        } else {
            Unknown.Add(line);
        }
        if (!quoted) ++field;
    }
}

void TVeltoPerson::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TVeltoPerson*>(&source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    FilePath = other->FilePath;
    PowerOFF = other->PowerOFF;
    Furigana = other->Furigana;
    Name = other->Name;
    Group = other->Group;
    Tel = other->Tel;
    Huzairiyu = other->Huzairiyu;
    ModoriDate = other->ModoriDate;
    ModoriTime = other->ModoriTime;
    Memo = other->Memo;
    IP = other->IP;
    StatusIcon = other->StatusIcon;
    Unknown.SetText(other->Unknown.Text());
}

std::string TVeltoPerson::FileName() const {
    // Views, not copies: /F asks for it on every line.
    const std::string_view path = FilePath;
    const std::size_t p = cp932::FindLastOf(path, platform::kFileNameDelimiters);
    return ChangeFileExt(p == std::string_view::npos ? path : path.substr(p + 1), "");
}

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
        const int byFurigana = CompareFurigana(a->Furigana, b->Furigana);
        return byFurigana != 0 ? byFurigana < 0 : a->FilePath < b->FilePath;
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
        groups_.Add(person.Group);
    } else {
        groups_.Remove(person.Group);
    }
}

}  // namespace vireziriv
