// The run-time's integer conversion.
#include "base/Convert.h"

#include "base/Exceptions.h"

#include <gtest/gtest.h>

namespace vireziriv {
namespace {

TEST(TryStrToInt, ReadsDecimalAndHexadecimal) {
    const struct {
        const char* text;
        std::optional<std::int32_t> value;
    } cases[] = {
        {"2", 2},           {"  7", 7},          {"-12", -12},    {"+5", 5},
        {"$1F", 31},        {"x10", 16},         {"X10", 16},     {"0x10", 16},
        {"0X1a", 26},       {"-$10", -16},       {"007", 7},      {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"", std::nullopt}, {" ", std::nullopt}, {"7 ", std::nullopt}, {"abc", std::nullopt},
        {"1.5", std::nullopt}, {"2147483648", std::nullopt}, {"-2147483649", std::nullopt},
        {"$", std::nullopt}, {"0x", std::nullopt}, {"$G", std::nullopt}, {"\t7", std::nullopt},
        {"99999999999999999999", std::nullopt}, {"- 7", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TryStrToInt(c.text), c.value) << "text: '" << c.text << "'";
    }
}

TEST(StrToInt, RaisesAConversionErrorOfTheGeneralFamily) {
    EXPECT_EQ(StrToInt("42"), 42);
    EXPECT_THROW(StrToInt("4x2"), EConvertError);
    EXPECT_THROW(StrToInt(""), Exception);
}

}  // namespace
}  // namespace vireziriv
