// How the program shows numbers.
//
// On screen:   FormatMoney(1234.5)  -> "$1,234.50"    FormatMoney(-3) -> "($3.00)"
//              FormatUnits(12.3456) -> "12.346"       FormatUnits(-2) -> "(2.000)"
// In reports:  FormatFixed(-1234.5, 2) -> "-1234.50"  (no thousands separators)
#pragma once

#include <string>

namespace pellmark {

// "$" and two decimals with thousands separators; a negative amount as "($" amount ")".
std::string FormatMoney(double amount);

// Three decimals; a negative count in parentheses.
std::string FormatUnits(double units);

// `decimals` places without separators; a negative figure in parentheses
// ("(12.50)"), one that shows as zero without them.
std::string FormatParenthesized(double value, int decimals);

// Fixed-point with `decimals` places, a leading "-" for negatives, no separators.
// A value that rounds to zero is shown without a sign.
std::string FormatFixed(double value, int decimals);

}  // namespace pellmark
