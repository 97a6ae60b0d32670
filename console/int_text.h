// The strict text-to-integer conversion of the configuration page: what the
// operator types into a sensor-number or threshold edit becomes a 32-bit
// signed value or is refused whole.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace talveno::console {

// Accepts: optional leading blanks, an optional '+' or '-', then either
// decimal digits or hexadecimal digits behind "$", "x"/"X" or "0x"/"0X".
// At least one digit; nothing may follow the digits (no trailing blanks).
// Decimal values must lie in -2147483648..2147483647; hexadecimal ones may use
// all 32 bits ("$FFFFFFFF" is -1), the sign applying to that 32-bit value.
// Anything else, the empty text included, gives nothing. Never reads past
// `text`.
[[nodiscard]] std::optional<std::int32_t> IntegerValue(std::string_view text);

// "'<text>' is not a valid integer value.": the operator's text is shown as
// typed, bytes unchanged.
[[nodiscard]] std::string ConversionErrorText(std::string_view text);

}  // namespace talveno::console
