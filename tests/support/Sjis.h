// Tests write their Japanese texts in UTF-8; the command sees them as code page 932 bytes.
#pragma once

#include <string>
#include <string_view>

namespace vireziriv::test {

// UTF-8 to code page 932; ASCII passes unchanged. Aborts the test on a text that cannot convert.
std::string Sjis(std::string_view utf8);

}  // namespace vireziriv::test
