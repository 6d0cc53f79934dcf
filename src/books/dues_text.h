// The texts of a dues grid row as the Members page and the command line's
// `dues-history` show them: amounts and units taken out in parentheses.
//
//   DuesRowTexts(payout).amount  -> "(240.00)"
//   DuesRowTexts(payout).units   -> "(2.000)"   (the units redeemed)
#pragma once

#include <string>

#include "members/member_ledger.h"

namespace pellmark {

struct DuesRowText {
  std::string date;  // "mm/dd/yyyy"
  std::string kind;
  std::string amount;  // two decimals
  std::string units;   // three decimals; blank without units
};

DuesRowText DuesRowTexts(const ledger::DuesRow& row);

}  // namespace pellmark
