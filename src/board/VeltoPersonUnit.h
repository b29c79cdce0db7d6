// One user of the board as its person file records it, the list of all persons of a shared
// directory, and the tally of persons per group.
#pragma once

#include "base/KeyedTextList.h"
#include "base/Persistent.h"
#include "platform/Clock.h"
#include "platform/Cp932.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vireziriv {

// A person keeps its file as one text: the file's name, the nine text fields one after another in
// file order, then the lines after the tenth field exactly as the file holds them. The fields are
// read through views into it, and the extra lines become a list only when asked for, so a person
// costs about its file's bytes. The directory of its path is shared with the persons read from the
// same one.
class TVeltoPerson : public TPersistent {
public:
    TVeltoPerson() = default;
    explicit TVeltoPerson(const std::string& path) { LoadFromFile(path); }

    // Reads the whole file first, so a failure leaves the person untouched; PowerOFF tells whether
    // the .off marker stands beside it.
    void LoadFromFile(const std::string& path);
    // Takes the person from a file read already: `text` is the file's name (its first `nameSize`
    // bytes) followed by every byte of the file, the form in which a person keeps it; `directory`
    // (with its separator, null for none) is shared with the other persons read from it. PowerOFF is
    // given by the caller.
    void LoadFromText(std::shared_ptr<const std::string> directory, std::string text, std::size_t nameSize,
                      bool powerOff);
    void Clear();
    // Copies every field; Unknown then holds the same lines as the source's.
    void Assign(const TPersistent& source) override;
    std::string ClassName() const override { return "TVeltoPerson"; }

    std::string FilePath() const;
    // FilePath without its directory and its last extension, worked out on each call.
    std::string FileName() const;
    bool PowerOFF() const { return powerOff_; }
    std::string_view Furigana() const { return View(kFurigana); }
    std::string_view Name() const { return View(kName); }
    std::string_view Group() const { return View(kGroup); }
    std::string_view Tel() const { return View(kTel); }
    // The reason of absence: every line of it followed by CR LF.
    std::string Huzairiyu() const;
    void AppendHuzairiyu(std::string& out) const;
    std::string_view ModoriDate() const { return View(kModoriDate); }
    std::string_view ModoriTime() const { return View(kModoriTime); }
    std::string_view Memo() const { return View(kMemo); }
    std::string_view IP() const { return View(kIP); }
    std::int32_t StatusIcon() const { return statusIcon_; }
    // The lines after the tenth field, verbatim, split on each call.
    TKeyedTextList Unknown() const;

    // For persons made by hand, as the file would have given them.
    void SetFilePath(std::string_view path);
    void SetPowerOFF(bool on) { powerOff_ = on; }
    void SetFurigana(std::string_view text) { SetPart(kFurigana, text); }
    void SetName(std::string_view text) { SetPart(kName, text); }
    void SetGroup(std::string_view text) { SetPart(kGroup, text); }
    void SetTel(std::string_view text) { SetPart(kTel, text); }
    // Lines each followed by CR LF, as Huzairiyu reads; a lone LF raises std::invalid_argument.
    void SetHuzairiyu(std::string_view text);
    void SetModoriDate(std::string_view text) { SetPart(kModoriDate, text); }
    void SetModoriTime(std::string_view text) { SetPart(kModoriTime, text); }
    void SetMemo(std::string_view text) { SetPart(kMemo, text); }
    void SetIP(std::string_view text) { SetPart(kIP, text); }
    void SetStatusIcon(std::int32_t icon) { statusIcon_ = icon; }
    // Unknown then holds the lines of `lines`' Text.
    void SetUnknown(const TKeyedTextList& lines) { SetPart(kUnknown, lines.Text()); }

    // How FilePath compares with `other`'s, without building either.
    int ComparePath(const TVeltoPerson& other) const;

private:
    // The parts of the text: the file's own name (with its extension), then the file's fields,
    // numbered as in the file, then what follows its tenth field.
    enum Part { kFile, kFurigana, kName, kGroup, kMemo, kHuzairiyu, kModoriDate, kModoriTime, kTel, kIP, kUnknown };
    static constexpr std::size_t kParts = kUnknown + 1;
    static constexpr int kStatusIconField = 10;  // the one field that is no part of the text

    std::string_view View(Part part) const;
    void SetPart(Part part, std::string_view text);

    // The parts one after another; the reason's lines are each followed by a bare LF here, which no
    // line holds, and read with CR LF.
    std::string text_;
    std::array<std::size_t, kParts - 1> ends_{};  // where each part but the last ends
    std::shared_ptr<const std::string> directory_;  // with its separator; null for none
    std::int32_t statusIcon_ = 0;
    bool powerOff_ = true;
};

// `path` with its last extension replaced by `ext` (appended when it has none).
std::string ChangeFileExt(std::string_view path, std::string_view ext);

// The furigana order: bytewise, with single-byte a to z folded to upper case (the trail byte of a
// double-byte character is never folded); a prefix comes before the longer text.
inline int CompareFurigana(std::string_view a, std::string_view b) { return cp932::CompareIgnoringAsciiCase(a, b); }

// How many persons belong to each group. Its entries read as "<group>=<count>", one per group (case
// ignored, the latest written form kept), ordered by the locale comparison of the entries. Counting
// is kept in a map so that adding a person costs a lookup; the ordered entries are built only when
// they are read after a change.
class TGroupList {
public:
    TGroupList() = default;
    virtual ~TGroupList() = default;
    TGroupList(const TGroupList& other);
    TGroupList& operator=(const TGroupList& other);

    // Counts one more person of `name`; returns the number of entries.
    int Add(std::string_view name);
    // Counts one person of `name` less, dropping its entry at zero; an unknown group is left alone.
    void Remove(std::string_view name);

    int Count() const { return static_cast<int>(groups_.size()); }
    const std::string& Get(int i) const;
    // The count of `name` in decimal, or empty when the group is not there.
    std::string Values(std::string_view name) const;
    std::string Text() const;

private:
    struct Tally {
        // The latest written form when it differs from the key: the usual spelling then costs
        // neither a second copy of the name nor a write to it for every person.
        std::string otherForm;
        int count = 0;
    };
    struct NameLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };

    using Groups = std::map<std::string, Tally, NameLess>;

    const std::vector<std::string>& Entries() const;

    Groups groups_;
    // The entries by the exact bytes of their key: persons mostly write a group the same way, and
    // a hash lookup spares the walk of the locale-ordered map (a board may hold 50,000 groups).
    // Only the map's own keys are cached, so erasing an entry drops the one that views it.
    std::unordered_map<std::string_view, Groups::iterator> byKeyBytes_;
    mutable std::vector<std::string> entries_;  // built from groups_ when read after a change
    mutable bool entriesStale_ = false;
};

class BoardFiles;
class TVeltoEnv;

// Every person of a shared directory, owned, in furigana order once loaded, with the group tally.
class TVeltoPersonsList {
public:
    TVeltoPersonsList() = default;
    // Loads the environment's shared directory at once.
    explicit TVeltoPersonsList(const TVeltoEnv& env);
    virtual ~TVeltoPersonsList() = default;
    TVeltoPersonsList(const TVeltoPersonsList&) = delete;
    TVeltoPersonsList& operator=(const TVeltoPersonsList&) = delete;

    // Notes the loading time, then loads the environment's shared directory; returns the count.
    virtual int Load(const TVeltoEnv& env);
    // Replaces the list by every person file in `dir` (ending with the separator), sorted by
    // furigana; returns the count. A file that cannot be read ends the load with
    // EVeltoCommandFileException, keeping the persons read before it.
    int LoadFromDir(const std::string& dir);
    // The same, reading through `files`.
    int LoadFromDir(const std::string& dir, const BoardFiles& files);

    TVeltoPerson& Add(std::unique_ptr<TVeltoPerson> person);
    void Delete(int i);
    void Clear();

    const TVeltoPerson& Items(int i) const;
    int Count() const { return static_cast<int>(persons_.size()); }
    // The first person whose FileName is `name` byte for byte, or null.
    virtual const TVeltoPerson* FindByFileName(std::string_view name) const;

    const TGroupList& Groups() const { return groups_; }
    // When the last Load started; zero before any.
    const platform::LocalTime& LoadingTime() const { return loadingTime_; }

protected:
    enum class TListNotification { Added, Deleted };
    // Called after a person is added and after one is deleted (before it is destroyed).
    virtual void Notify(const TVeltoPerson& person, TListNotification action);

private:
    void SortByFurigana();

    std::vector<std::unique_ptr<TVeltoPerson>> persons_;
    TGroupList groups_;  // declared after the persons, so destroyed before them
    platform::LocalTime loadingTime_{};
};

}  // namespace vireziriv
