#include "club/holding_term.h"

#include <algorithm>

namespace pellmark {

int HoldingTerm(DayNumber first, DayNumber second) {
  const DayNumber earlier = std::min(first, second);
  const DayNumber later = std::max(first, second);
  const double held = later - earlier;
  // Before 7 May 1997 there was no long term; until 28 July 1997 no medium term.
  if (earlier < DayNumberFromCivil({1997, 5, 7})) return held > 365 ? kMediumTerm : kShortTerm;
  if (later <= DayNumberFromCivil({1997, 7, 28})) return held > 365 ? kLongTerm : kShortTerm;
  if (held > 547) return kLongTerm;
  if (held > 365) return kMediumTerm;
  return kShortTerm;
}

}  // namespace pellmark
