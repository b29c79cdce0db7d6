// One user of the board as its person file records it.
#include "board/VeltoPersonUnit.h"

#include "base/Convert.h"
#include "base/Cp932.h"
#include "platform/Files.h"

#include <string>

namespace vireziriv {
namespace {

std::string DotAndDelimiters() { return "." + std::string(platform::kFileNameDelimiters); }

}  // namespace

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    const std::size_t p = cp932::FindLastOf(path, DotAndDelimiters());
    const std::size_t stem = p != std::string_view::npos && path[p] == '.' ? p : path.size();
    return std::string(path.substr(0, stem)) + std::string(ext);
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
    TKeyedTextList lines;
    lines.LoadFromFile(path);
    Clear();
    ReadLines(lines);
    FilePath = path;
    PowerOFF = platform::FileExists(ChangeFileExt(path, ".off"));
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
    const std::size_t p = cp932::FindLastOf(FilePath, platform::kFileNameDelimiters);
    const std::string name = p == std::string::npos ? FilePath : FilePath.substr(p + 1);
    return ChangeFileExt(name, "");
}

}  // namespace vireziriv
