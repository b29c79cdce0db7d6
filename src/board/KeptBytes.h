// The bytes a person keeps of its file, written over the lines they came from while the lines are
// still being read, so that a person costs no second copy of its file.
#pragma once

#include "base/Invariant.h"
#include "base/KeyedTextList.h"

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace vireziriv {

// Writes into `text` from `start` on, as `lines` (which walks `text`) hands its lines out. A field
// never holds more than the lines it came from, and the line breaks are not kept, so the writer
// stays behind the reader; checked builds stop the process before it would overwrite a byte that
// `lines` has yet to read.
class KeptBytes {
public:
    KeptBytes(std::string& text, std::size_t start, const TextLines& lines) : text_(text), end_(start), lines_(lines) {}

    // Appends `bytes`, a part of `text` that has been read.
    void Append(std::string_view bytes) {
        CheckBehindReader(bytes.size());
        std::memmove(text_.data() + end_, bytes.data(), bytes.size());
        end_ += bytes.size();
    }
    void Append(char c) {
        CheckBehindReader(1);
        text_[end_++] = c;
    }

    // Appends what the lines have not handed out, verbatim, and cuts `text` there: the reading ends.
    void AppendRestAndEnd() {
        const std::string_view rest = lines_.Rest();
        CheckInvariant(end_ <= Unread(), "the kept bytes stay behind the lines still to read");
        std::memmove(text_.data() + end_, rest.data(), rest.size());
        text_.resize(end_ + rest.size());
    }

    // Where the kept bytes end.
    std::size_t End() const { return end_; }

private:
    std::size_t Unread() const { return static_cast<std::size_t>(lines_.Rest().data() - text_.data()); }
    void CheckBehindReader(std::size_t size) const {
        CheckInvariant(end_ + size <= Unread(), "the kept bytes stay behind the lines still to read");
    }

    std::string& text_;
    std::size_t end_;
    const TextLines& lines_;
};

}  // namespace vireziriv
