// One user of the board as its person file records it.
#pragma once

#include "base/KeyedTextList.h"
#include "base/Persistent.h"

#include <cstdint>
#include <string>

namespace vireziriv {

class TVeltoPerson : public TPersistent {
public:
    TVeltoPerson() = default;
    explicit TVeltoPerson(const std::string& path) { LoadFromFile(path); }

    // Reads the whole file first, so a failure leaves the person untouched.
    void LoadFromFile(const std::string& path);
    void Clear();
    void Assign(const TPersistent& source) override;
    std::string ClassName() const override { return "TVeltoPerson"; }

    // FilePath without its directory and its last extension, worked out on each call.
    std::string FileName() const;

    std::string FilePath;
    bool PowerOFF = true;
    std::string Furigana;
    std::string Name;
    std::string Group;
    std::string Tel;
    std::string Huzairiyu;  // reason of absence; every line followed by CR LF
    std::string ModoriDate;
    std::string ModoriTime;
    std::string Memo;
    std::string IP;
    std::int32_t StatusIcon = 0;
    TKeyedTextList Unknown;  // lines after the tenth field, verbatim

private:
    void ReadLines(const TKeyedTextList& lines);
};

// `path` with its last extension replaced by `ext` (appended when it has none).
std::string ChangeFileExt(std::string_view path, std::string_view ext);

}  // namespace vireziriv
