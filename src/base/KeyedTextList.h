// An ordered list of texts with name=value access, line splitting and delimited-text parsing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vireziriv {

class TKeyedTextList {
public:
    TKeyedTextList() = default;
    virtual ~TKeyedTextList() = default;
    TKeyedTextList(const TKeyedTextList&) = default;
    TKeyedTextList& operator=(const TKeyedTextList&) = default;

    // Options.
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool on) { caseSensitive_ = on; }
    char NameValueSeparator() const { return separator_; }
    void SetNameValueSeparator(char c) { separator_ = c; }
    char QuoteChar() const { return quoteChar_; }
    void SetQuoteChar(char c) { quoteChar_ = c; }
    char Delimiter() const { return delimiter_; }
    void SetDelimiter(char c) { delimiter_ = c; }

    // The locale-aware comparison under the case option; every lookup uses it.
    int Compare(std::string_view a, std::string_view b) const;

    virtual int Add(std::string text);
    int Count() const { return static_cast<int>(entries_.size()); }
    const std::string& Get(int i) const;
    void Put(int i, std::string text);
    void Delete(int i);
    void Clear() { entries_.clear(); }
    void Reserve(int n) { entries_.reserve(static_cast<std::size_t>(n)); }

    int IndexOf(std::string_view text) const;
    std::string_view Names(int i) const;
    int IndexOfName(std::string_view name) const;
    std::string Values(std::string_view name) const;
    void SetValues(std::string_view name, std::string_view value);
    std::string ValueFromIndex(int i) const;

    std::string Text() const;
    void SetText(std::string_view text);
    void LoadFromFile(const std::string& path);

    void Sort();

    // Read: every entry, quoted where it would not survive as a bare token, joined by the delimiter.
    std::string DelimitedText() const;
    void SetDelimitedText(std::string_view text);

private:
    void CheckIndex(int i) const;

    std::vector<std::string> entries_;
    bool caseSensitive_ = false;
    char separator_ = '=';
    char quoteChar_ = '"';
    char delimiter_ = ',';
};

// Walks the lines of a text as the list splits them: a line ends at CR, at LF or at CR LF; a NUL
// ends the text; a break at the very end adds no empty line. The lines are views into the text.
class TextLines {
public:
    explicit TextLines(std::string_view text) : rest_(text.substr(0, text.find('\0'))) {}

    // Sets `line` to the next line and moves past its break; false when no line is left.
    bool Next(std::string_view& line);
    // The text after the lines handed out so far.
    std::string_view Rest() const { return rest_; }

private:
    std::string_view rest_;
};

// Reads the quoted string that starts at `pos` (which holds `quote`): up to the next quote that is
// not doubled, a doubled one standing for one; without a closing quote, to the end. Moves `pos`
// past what was read.
std::string ExtractQuotedString(std::string_view s, std::size_t& pos, char quote);

// Removes bytes of codes 0 to 32 from both ends.
std::string_view Trim(std::string_view s);

}  // namespace vireziriv
