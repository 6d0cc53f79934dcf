// The texts of the security history grid `stockgrid` as the Transactions sheet
// and the command line's `stxns` show them.
//
//   StockGridCaption(2026)           -> "2026 Transaction History"
//   StockRowTexts(split).shares      -> "3 for 2"
//   StockRowTexts(sale).amount       -> "282.50"; a negative amount "(12.50)"
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "club/records.h"
#include "securities/security_ledger.h"

namespace pellmark {

// "<year> Transaction History" or "Complete Transaction History".
std::string StockGridCaption(std::optional<std::int32_t> year);

// The label of column "Type" ("Buy (Sold)", "ST Cap-Gain" ...).
std::string StockTypeLabel(const TSecurityTranRec& tran);

struct StockRowText {
  std::string date;  // "mm/dd/yyyy"
  std::string type;
  std::string shares, amount, price, comm;
};

StockRowText StockRowTexts(const ledger::StockRow& row);

}  // namespace pellmark
