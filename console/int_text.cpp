#include "int_text.h"

namespace talveno::console {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::optional<std::int32_t> IntegerValue(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && text[at] == ' ') {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }

    bool hex = false;
    if (at < text.size() && (text[at] == '$' || text[at] == 'x' || text[at] == 'X')) {
        hex = true;
        at += 1;
    } else if (at + 1 < text.size() && text[at] == '0' &&
               (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        hex = true;
        at += 2;
    }
    if (at >= text.size()) {
        return std::nullopt;  // a lone sign or prefix, or nothing at all
    }

    // Accumulated in 64 bits and checked after every digit, so no number of
    // leading zeros or digits can overflow the sum.
    const std::int64_t base = hex ? 16 : 10;
    const std::int64_t limit = hex ? 0xFFFFFFFFLL : (negative ? 0x80000000LL : 0x7FFFFFFFLL);
    std::int64_t magnitude = 0;
    for (; at < text.size(); ++at) {
        const int digit =
            hex ? HexDigit(text[at]) : (text[at] >= '0' && text[at] <= '9' ? text[at] - '0' : -1);
        if (digit < 0) {
            return std::nullopt;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > limit) {
            return std::nullopt;
        }
    }

    // Two's complement on 32 bits: a hexadecimal value with the top bit set
    // stands for a negative one, and "-$1" is -1 as "-1" is.
    const auto bits = static_cast<std::uint32_t>(magnitude);
    const std::uint32_t value = negative ? (0U - bits) : bits;
    return static_cast<std::int32_t>(value);
}

std::string ConversionErrorText(std::string_view text) {
    std::string message = "'";
    message += text;
    message += "' is not a valid integer value.";
    return message;
}

}  // namespace talveno::console
