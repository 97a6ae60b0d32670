// The configuration page's strict text-to-integer conversion.
#include <gtest/gtest.h>

#include <optional>

#include "int_text.h"

namespace talveno::console {
namespace {

struct IntegerCase {
    const char* name;
    std::string_view text;
    std::optional<std::int32_t> expected;  // nothing: a conversion error
};

class IntegerValues : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerValues, ConvertOrRefuseWhole) {
    EXPECT_EQ(IntegerValue(GetParam().text), GetParam().expected) << '"' << GetParam().text << '"';
}

constexpr auto kNone = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Console, IntegerValues,
    ::testing::Values(
        IntegerCase{"Zero", "0", 0}, IntegerCase{"Decimal", "42", 42},
        IntegerCase{"Negative", "-1", -1}, IntegerCase{"Plus", "+7", 7},
        IntegerCase{"LeadingBlanks", "  12", 12}, IntegerCase{"LeadingZeros", "0000000000012", 12},
        IntegerCase{"DollarHex", "$1F", 31}, IntegerCase{"LetterXHex", "x1f", 31},
        IntegerCase{"ZeroXHex", "0x10", 16}, IntegerCase{"UpperZeroXHex", "0X1a", 26},
        IntegerCase{"NegativeHex", "-$10", -16}, IntegerCase{"BlankSignHex", " +x7", 7},
        IntegerCase{"AllBitsHex", "$FFFFFFFF", -1},
        IntegerCase{"TopBitHex", "$80000000", INT32_MIN},
        IntegerCase{"Largest", "2147483647", INT32_MAX},
        IntegerCase{"Smallest", "-2147483648", INT32_MIN},
        // Refused.
        IntegerCase{"Empty", "", kNone}, IntegerCase{"BlanksOnly", "  ", kNone},
        IntegerCase{"Letter", "a", kNone}, IntegerCase{"LoneMinus", "-", kNone},
        IntegerCase{"LonePlus", "+", kNone}, IntegerCase{"LoneDollar", "$", kNone},
        IntegerCase{"LoneZeroX", "0x", kNone}, IntegerCase{"SignThenBlank", "- 1", kNone},
        IntegerCase{"TrailingBlank", "12 ", kNone}, IntegerCase{"InnerBlank", "1 2", kNone},
        IntegerCase{"Tab", "\t1", kNone}, IntegerCase{"Fraction", "1.5", kNone},
        IntegerCase{"TwoSigns", "--1", kNone}, IntegerCase{"HexDigitInDecimal", "1F", kNone},
        IntegerCase{"BadHexDigit", "$1G", kNone}, IntegerCase{"TooLarge", "2147483648", kNone},
        IntegerCase{"TooSmall", "-2147483649", kNone},
        IntegerCase{"HexTooLarge", "$100000000", kNone},
        IntegerCase{"Cyrillic", "\xD0\xB0", kNone}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConversionErrorText, NamesTheTextAsTyped) {
    EXPECT_EQ(ConversionErrorText(""), "'' is not a valid integer value.");
    EXPECT_EQ(ConversionErrorText("a"), "'a' is not a valid integer value.");
    EXPECT_EQ(ConversionErrorText(" -"), "' -' is not a valid integer value.");
}

}  // namespace
}  // namespace talveno::console
