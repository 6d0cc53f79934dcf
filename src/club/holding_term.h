// The holding period between two dates, as the tax rules of the club's years
// class it: 1 short term, 2 medium term, 3 long term.
//
//   HoldingTerm(bought, sold)   // 1 June 1997 → 1 June 1998 (365 days): 1
#pragma once

#include "club/dates.h"

namespace pellmark {

enum HoldingTermClass { kShortTerm = 1, kMediumTerm = 2, kLongTerm = 3 };

// The order of the two dates does not matter. Exactly 365 days is short term,
// exactly 547 days medium term.
int HoldingTerm(DayNumber first, DayNumber second);

}  // namespace pellmark
