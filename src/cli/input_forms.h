// Amounts and dates as people type them at the command line, turned into the
// plain forms the entry dialog reads before they reach it.
//
//   AmountText("$1,234.50") -> "1234.50"     AmountText("1,23") -> nullopt
//   DateText("7/4/26")      -> "07/04/2026"  DateText("7/4/76") -> "07/04/1976"
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

namespace pellmark::cli {

// Two-digit years from 00 to this one are 20xx; the later ones 19xx.
inline constexpr int kLastTwoDigitYearOf2000s = 49;

// An amount with an optional "-", an optional "$", thousands separators in
// their places and any decimals: the same amount with neither "$" nor separators.
std::optional<std::string> AmountText(std::string_view typed);
// M/D/YYYY or M/D/YY (see the pivot above) of a day that exists: "MM/DD/YYYY".
std::optional<std::string> DateText(std::string_view typed);

// The refusals, naming the forms expected.
std::string AmountRefusal(std::string_view typed);
std::string DateRefusal(std::string_view typed);

// Option transforms: the typed text is replaced by its plain form, or the
// command line is refused with the refusal above (exit status 2).
CLI::Validator AmountForm();
CLI::Validator DateForm();

}  // namespace pellmark::cli
