// How the entry dialog reads the numbers typed into its boxes.
//
//   ParseEntryNumber(" 12.5 ")   -> 12.5
//   ParseEntryNumber("12,5")     -> std::nullopt
//   ReadFraction("12 3/8")       -> "12.375"
//   ReadFraction("1/2")          -> "0.50"
//   ReadFraction("12 3/x")       -> std::nullopt (the box keeps what was typed)
//   ReadFraction("3/ 8")         -> std::nullopt (the whole number would be "3/")
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "club/money.h"

namespace pellmark {

// The largest magnitude a money, share or price box accepts; beyond it a typed
// figure is refused like any other invalid number rather than overflowing the
// running totals it would be added to.
inline constexpr double kLargestEntry = kLargestAmount;

// A decimal number with optional sign, decimal point and exponent, blanks around
// it allowed. Empty texts, other characters, and magnitudes above kLargestEntry
// give nullopt.
std::optional<double> ParseEntryNumber(std::string_view text);

// A text holding "/" read as a mixed fraction "W N/D" or a fraction "N/D", shown
// with six decimals of which up to four trailing zeros are removed. Leading blanks
// count as zeros, blanks inside the denominator are skipped. nullopt when the text
// has no "/", a part is not a number, the denominator is zero, or the fraction of
// a mixed number is not a proper one ("30 7/3").
std::optional<std::string> ReadFraction(std::string_view text);

}  // namespace pellmark
