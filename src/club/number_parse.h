// Reading numbers typed into fields: an optional sign, then digits (with an
// optional decimal point and exponent for ParseNumber); blanks around allowed,
// nothing else.
//
//   TrimBlanks("  12 ")        -> "12"
//   ParseNumber("25.00")       -> 25.0     ParseNumber("1e3") -> 1000.0
//   ParseNumber("12a")         -> nullopt  ParseNumber("")    -> nullopt
//   ParseInteger(" 1042 ")     -> 1042     ParseInteger("1.5") -> nullopt
//   ParseInteger("+1999", PlusSign::kRefused) -> nullopt
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pellmark {

// What counts as a blank around a typed value: spaces, and for dates also tabs.
inline constexpr std::string_view kSpaces = " ";
inline constexpr std::string_view kSpacesAndTabs = " \t";

// `text` without the `blanks` characters at either end.
std::string_view TrimBlanks(std::string_view text, std::string_view blanks = kSpaces);

// Whether a leading "+" is taken as the sign of a positive number.
enum class PlusSign { kAllowed, kRefused };

// The number, or nullopt for anything else, including infinities and NaN.
// Spaces around it are allowed, and a leading "+".
std::optional<double> ParseNumber(std::string_view text);

// A whole number that fits 32 bits, or nullopt for anything else (a decimal
// point or an exponent included). Spaces around it are allowed, and a leading
// "+" unless `plus` refuses it.
std::optional<std::int32_t> ParseInteger(std::string_view text, PlusSign plus = PlusSign::kAllowed);

}  // namespace pellmark
