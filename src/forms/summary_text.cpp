#include "forms/summary_text.h"

#include <cmath>

#include "club/dates.h"
#include "club/money.h"
#include "club/number_format.h"

namespace pellmark {

std::string PerformanceText(double ratio) {
  const long percent = std::lround(std::fabs(ratio) * 100);
  if (ratio > 0) return "Up " + std::to_string(percent) + "%";
  if (ratio < 0) return "Down " + std::to_string(percent) + "%";
  return "Even";
}

std::string SummaryCaption(double ratio) { return "Summary - " + PerformanceText(ratio); }

std::vector<std::string> ValuationLines(const std::vector<TUnitValueRec>& valuations, std::int32_t year) {
  std::vector<std::string> lines;
  for (const TUnitValueRec& unit : valuations) {
    // Rounded as the summary's unit value is, half a cent away from zero.
    lines.push_back("$" + FormatFixed(RoundCents(unit.unitval), 2) + " as of " + FormatDate(unit.date));
  }
  if (lines.empty()) lines.push_back("No Valuations for " + std::to_string(year));
  return lines;
}

}  // namespace pellmark
