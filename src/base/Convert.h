// The run-time's integer conversion, shared by the person file and the settings reader.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vireziriv {

// Leading spaces, an optional sign, then decimal digits or hexadecimal digits after "$", "x" or
// "0x" (x in either case). Anything else, trailing blanks included, or a value outside the 32-bit
// signed range, gives no value.
std::optional<std::int32_t> TryStrToInt(std::string_view text);

// As TryStrToInt, but a failure raises EConvertError.
std::int32_t StrToInt(std::string_view text);

}  // namespace vireziriv
