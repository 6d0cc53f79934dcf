// The summary groups of the Securities pages for one security: its figures and
// the performance captions.
//
//   SecuritySummary summary = SummarizeSecurity(acme);
//   summary.caption   -> "Summary - Up 12%"   (or "Summary - Even", "Summary - Down 3%")
//   summary.small     -> "Up 12%"
#pragma once

#include <string>

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
  std::string caption;  // "Summary - Up <n>%", "Summary - Even", "Summary - Down <n>%"
  std::string small;    // "Up <n>%", "Even", "Down <n>%"
};

SecuritySummary SummarizeSecurity(const TSecurityRec& security);

}  // namespace pellmark::ledger
