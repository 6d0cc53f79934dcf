#include "books/security_quotes.h"

namespace pellmark {

std::vector<net::ListedSecurity> SecurityQuotes::ListedSecurities() {
  std::vector<net::ListedSecurity> listed;
  for (const TSecurityRec& security : books_.Securities().List(/*active_only=*/!show_hidden_)) {
    listed.push_back({security.name, security.symbol});
  }
  return listed;
}

void SecurityQuotes::EnterPrice(const net::ListedSecurity& security, DayNumber date, double price) {
  const std::optional<TSecurityRec> record = books_.Securities().Find(security.name);
  if (!record || (!record->active && !show_hidden_)) return;
  TPriceRec quote;
  quote.price = price;
  quote.trandate = date;
  books_.Prices().RecordPrice(record->stkid, ledger::PriceMode::NewWithoutDialog, quote);
}

}  // namespace pellmark
