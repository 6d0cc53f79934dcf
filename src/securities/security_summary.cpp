#include "securities/security_summary.h"

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
  return summary;
}

}  // namespace pellmark::ledger
