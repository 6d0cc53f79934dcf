// The texts of the price history grid as the Prices sheet and the command
// line's `prices` show them.
//
//   PriceRowTexts(row)  -> {"11/03/2026", "4.50"}
#pragma once

#include <string>

#include "securities/price_ledger.h"

namespace pellmark {

struct PriceRowText {
  std::string date;   // "mm/dd/yyyy"
  std::string price;  // as FormatPrice writes it
};

PriceRowText PriceRowTexts(const ledger::PriceRow& row);

}  // namespace pellmark
