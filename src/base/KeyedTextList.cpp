// An ordered list of texts with name=value access, line splitting and delimited-text parsing.
#include "base/KeyedTextList.h"

#include "base/Exceptions.h"
#include "platform/Cp932.h"
#include "platform/Files.h"
#include "platform/Locale.h"

#include <algorithm>

namespace vireziriv {
namespace {

bool IsBlank(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 1 && b <= 32;
}

}  // namespace

int TKeyedTextList::Compare(std::string_view a, std::string_view b) const {
    return caseSensitive_ ? platform::CompareStr(a, b) : platform::CompareText(a, b);
}

int TKeyedTextList::Add(std::string text) {
    entries_.push_back(std::move(text));
    return Count() - 1;
}

void TKeyedTextList::CheckIndex(int i) const {
    if (i < 0 || i >= Count()) RaiseListIndexError(i);
}

const std::string& TKeyedTextList::Get(int i) const {
    CheckIndex(i);
    return entries_[static_cast<std::size_t>(i)];
}

void TKeyedTextList::Put(int i, std::string text) {
    CheckIndex(i);
    entries_[static_cast<std::size_t>(i)] = std::move(text);
}

void TKeyedTextList::Delete(int i) {
    CheckIndex(i);
    entries_.erase(entries_.begin() + i);
}

int TKeyedTextList::IndexOf(std::string_view text) const {
    for (int i = 0; i < Count(); ++i) {
        if (Compare(entries_[static_cast<std::size_t>(i)], text) == 0) return i;
    }
    return -1;
}

std::string_view TKeyedTextList::Names(int i) const {
    std::string_view entry = Get(i);
    const std::size_t p = cp932::Find(entry, separator_);
    return p == std::string_view::npos ? std::string_view() : entry.substr(0, p);
}

int TKeyedTextList::IndexOfName(std::string_view name) const {
    for (int i = 0; i < Count(); ++i) {
        std::string_view entry = entries_[static_cast<std::size_t>(i)];
        const std::size_t p = cp932::Find(entry, separator_);
        if (p != std::string_view::npos && Compare(entry.substr(0, p), name) == 0) return i;
    }
    return -1;
}

std::string TKeyedTextList::Values(std::string_view name) const {
    const int i = IndexOfName(name);
    if (i < 0) return {};
    // Measured with the name asked for, which the comparison may have matched at another length.
    const std::string& entry = entries_[static_cast<std::size_t>(i)];
    return name.size() + 1 < entry.size() ? entry.substr(name.size() + 1) : std::string();
}

void TKeyedTextList::SetValues(std::string_view name, std::string_view value) {
    int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    if (i < 0) i = Add({});
    std::string entry(name);
    entry += separator_;
    entry += value;
    entries_[static_cast<std::size_t>(i)] = std::move(entry);
}

std::string TKeyedTextList::ValueFromIndex(int i) const {
    if (i < 0) return {};
    const std::string& entry = Get(i);
    const std::size_t start = Names(i).size() + 1;
    return start < entry.size() ? entry.substr(start) : std::string();
}

std::string TKeyedTextList::Text() const {
    std::string text;
    std::size_t size = 0;
    for (const auto& e : entries_) size += e.size() + 2;
    text.reserve(size);
    for (const auto& e : entries_) {
        text += e;
        text += "\r\n";
    }
    return text;
}

void TKeyedTextList::SetText(std::string_view text) {
    Clear();
    // Room for every line at once: a long text would otherwise regrow the list line by line.
    std::string_view line;
    std::size_t count = 0;
    for (TextLines lines(text); lines.Next(line);) ++count;
    entries_.reserve(count);
    for (TextLines lines(text); lines.Next(line);) entries_.emplace_back(line);
}

bool TextLines::Next(std::string_view& line) {
    if (rest_.empty()) return false;
    // A plain scan: find_first_of would call memchr on "\r\n" for every byte of the text.
    std::size_t end = 0;
    while (end < rest_.size() && rest_[end] != '\r' && rest_[end] != '\n') ++end;
    line = rest_.substr(0, end);
    if (end < rest_.size()) end += rest_[end] == '\r' && end + 1 < rest_.size() && rest_[end + 1] == '\n' ? 2 : 1;
    rest_.remove_prefix(end);
    return true;
}

void TKeyedTextList::LoadFromFile(const std::string& path) { SetText(platform::ReadWholeFile(path)); }

void TKeyedTextList::Sort() {
    std::stable_sort(entries_.begin(), entries_.end(),
                     [this](const std::string& a, const std::string& b) { return Compare(a, b) < 0; });
}

std::string ExtractQuotedString(std::string_view s, std::size_t& pos, char quote) {
    std::string out;
    ++pos;  // the opening quote
    while (pos < s.size()) {
        if (s[pos] == quote) {
            if (pos + 1 < s.size() && s[pos + 1] == quote) {
                out += quote;
                pos += 2;
                continue;
            }
            ++pos;  // the closing quote
            return out;
        }
        const std::size_t n = cp932::CharLength(s, pos);
        out.append(s.substr(pos, n));
        pos += n;
    }
    return out;
}

std::string_view Trim(std::string_view s) {
    auto isControl = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!s.empty() && isControl(s.front())) s.remove_prefix(1);
    while (!s.empty() && isControl(s.back())) s.remove_suffix(1);
    return s;
}

std::string TKeyedTextList::DelimitedText() const {
    std::string out;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (i > 0) out += delimiter_;
        const std::string& e = entries_[i];
        const bool bare = !e.empty() && std::none_of(e.begin(), e.end(), [this](char c) {
            return static_cast<unsigned char>(c) <= 32 || c == quoteChar_ || c == delimiter_;
        });
        if (bare) {
            out += e;
            continue;
        }
        // Doubled as the reader finds them: a trail byte equal to the quote is part of its character.
        out += quoteChar_;
        for (std::size_t p = 0; p < e.size();) {
            const std::size_t n = cp932::CharLength(e, p);
            out.append(e, p, n);
            if (n == 1 && e[p] == quoteChar_) out += quoteChar_;
            p += n;
        }
        out += quoteChar_;
    }
    return out;
}

void TKeyedTextList::SetDelimitedText(std::string_view s) {
    Clear();
    s = s.substr(0, s.find('\0'));  // a NUL ends the text, as it ends the lines
    std::size_t p = 0;
    auto skipBlanks = [&] {
        while (p < s.size() && IsBlank(s[p])) ++p;
    };
    skipBlanks();
    while (p < s.size()) {
        if (s[p] == quoteChar_) {
            entries_.push_back(ExtractQuotedString(s, p, quoteChar_));
        } else {
            const std::size_t start = p;
            while (p < s.size() && static_cast<unsigned char>(s[p]) > 32 && s[p] != delimiter_) ++p;
            entries_.emplace_back(s.substr(start, p - start));
        }
        skipBlanks();
        if (p < s.size() && s[p] == delimiter_) {
            if (p + 1 == s.size()) entries_.emplace_back();
            ++p;
            skipBlanks();
        }
    }
}

}  // namespace vireziriv
