// File names kept end to end in one buffer: a directory's worth of names without a string each.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vireziriv::platform {

class NameList {
public:
    void Add(std::string_view name) {
        bytes_.append(name);
        ends_.push_back(bytes_.size());
    }
    std::size_t Count() const { return ends_.size(); }
    std::string_view operator[](std::size_t i) const {
        const std::size_t start = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(bytes_).substr(start, ends_[i] - start);
    }
    void ShrinkToFit() {
        bytes_.shrink_to_fit();
        ends_.shrink_to_fit();
    }

private:
    std::string bytes_;
    std::vector<std::size_t> ends_;
};

}  // namespace vireziriv::platform
