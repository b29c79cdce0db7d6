// What the fuzz targets share: taking the fuzzer's bytes apart, and properties that abort when broken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace vireziriv::fuzz {

// A broken property aborts, so that libFuzzer keeps the input as a finding.
inline void Require(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}

// The fuzzer's bytes, consumed from the front.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

    // The next byte, or 0 once the bytes are used up.
    std::uint8_t Byte() {
        if (rest_.empty()) return 0;
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }

    // The bytes up to the next `separator` (which is consumed too), or all that is left.
    std::string_view Until(char separator) {
        const std::size_t p = rest_.find(separator);
        const std::string_view part = rest_.substr(0, p);
        rest_.remove_prefix(p == std::string_view::npos ? rest_.size() : p + 1);
        return part;
    }

    std::string_view Rest() const { return rest_; }

private:
    std::string_view rest_;
};

}  // namespace vireziriv::fuzz
