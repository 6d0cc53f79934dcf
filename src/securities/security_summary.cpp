#include "securities/security_summary.h"

#include <cmath>

namespace pellmark::ledger {

SecuritySummary SummarizeSecurity(const TSecurityRec& security) {
  SecuritySummary summary;
  summary.price = security.pricec;
  summary.shares = security.sharest;
  summary.cost = security.tspent;
  summary.value = security.pricec * security.sharest;
  summary.dividends_year = security.dividendy;
  summary.dividends_total = security.dividendt;
  // Shares held at no cost (a gift, a spin-off) have no ratio to show.
  const double invested = security.sharest * security.pricep;
  if (security.sharest != 0 && invested != 0) {
    summary.performance =
        (security.sharest * (security.pricec - security.pricep) + security.dividendt) / invested;
  }
  const long percent = std::lround(std::fabs(summary.performance) * 100);
  if (summary.performance > 0) {
    summary.small = "Up " + std::to_string(percent) + "%";
  } else if (summary.performance < 0) {
    summary.small = "Down " + std::to_string(percent) + "%";
  } else {
    summary.small = "Even";
  }
  summary.caption = "Summary - " + summary.small;
  return summary;
}

}  // namespace pellmark::ledger
