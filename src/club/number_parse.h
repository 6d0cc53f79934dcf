// Reading numbers typed into fields: an optional sign, digits with an optional
// decimal point, an optional exponent; blanks around allowed, nothing else.
//
//   ParseNumber("25.00") -> 25.0     ParseNumber("1e3") -> 1000.0
//   ParseNumber("12a")   -> nullopt  ParseNumber("")    -> nullopt
#pragma once

#include <optional>
#include <string_view>

namespace pellmark {

// The number, or nullopt for anything else, including infinities and NaN.
std::optional<double> ParseNumber(std::string_view text);

}  // namespace pellmark
