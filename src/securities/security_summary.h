// The summary groups of the Securities pages for one security: its figures and
// its performance (shown as "Up 12%" by forms/summary_text).
//
//   SecuritySummary summary = SummarizeSecurity(acme);
//   summary.performance   -> 0.12
#pragma once

#include "club/records.h"

namespace pellmark::ledger {

struct SecuritySummary {
  double price = 0;            // pricec
  double shares = 0;           // sharest
  double cost = 0;             // tspent
  double value = 0;            // pricec * sharest
  double dividends_year = 0;   // dividendy
  double dividends_total = 0;  // dividendt
  // (shares * (price - average cost) + total dividends) / (shares * average cost);
  // 0 without shares or without a cost.
  double performance = 0;
};

SecuritySummary SummarizeSecurity(const TSecurityRec& security);

}  // namespace pellmark::ledger
