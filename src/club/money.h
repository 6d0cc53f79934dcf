// Money is held in doubles but means whole cents: amounts are compared, and
// tested for zero, at cents, so that the binary remainders of sums and
// differences (10.10 + 20.20 - 30.30 is not 0 in a double) never make a balance
// look non-zero or two equal amounts look different.
//
//   RoundCents(61.725)            -> 61.73 (half a cent away from zero)
//   SameMoney(30.3, 10.1 + 20.2)  -> true
//   IsZeroMoney(-3.55e-15)        -> true
//   ParseMoney("12.345")           -> 12.35     ParseMoney("1e308") -> nullopt
#pragma once

#include <optional>
#include <string_view>

namespace pellmark {

// The largest magnitude of money (or shares, or a price) a box or a command
// takes; beyond it a figure is refused rather than overflowing the totals it
// would join.
inline constexpr double kLargestAmount = 1e12;

// The smallest price above 0 the program takes: below it an amount would buy
// more shares than kLargestAmount, and the price would show as $0.00 without
// being the write-off a price of 0 is.
inline constexpr double kSmallestPrice = 0.0001;

// The one range of every price the program takes in, typed, imported or quoted:
// 0 (a write-off), or from kSmallestPrice to kLargestAmount.
bool PriceInRange(double price);
// The same for shares and amounts: finite, of a magnitude up to kLargestAmount.
bool FigureInRange(double figure);

// The amount rounded to whole cents, halves away from zero; never -0.
double RoundCents(double amount);

// True when the two amounts are the same number of cents.
bool SameMoney(double a, double b);

// True when the amount is 0 at cents.
bool IsZeroMoney(double amount);

// A typed amount of money: a number of at most kLargestAmount, rounded to
// cents; nullopt for anything else.
std::optional<double> ParseMoney(std::string_view text);

}  // namespace pellmark
