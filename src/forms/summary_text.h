// The texts of the Members and Securities pages' summary boxes, which both
// front ends show: the performance of a ratio of gain and the valuations list.
//
//   PerformanceText(0.12)   -> "Up 12%"
//   SummaryCaption(-0.03)   -> "Summary - Down 3%"
//   ValuationLines(units, 2026) -> {"$40.00 as of 06/30/2026", ...}
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "club/records.h"

namespace pellmark {

// "Up <n>%", "Down <n>%" (n the whole percent, rounded), or "Even" for none:
// a gain too small to round to a percent is still "Up 0%".
std::string PerformanceText(double ratio);
std::string SummaryCaption(double ratio);

// "$<unit value> as of <date>" a valuation, in the order given; "No Valuations
// for <year>" when there are none.
std::vector<std::string> ValuationLines(const std::vector<TUnitValueRec>& valuations, std::int32_t year);

}  // namespace pellmark
