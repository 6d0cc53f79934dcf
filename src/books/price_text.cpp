#include "books/price_text.h"

#include "club/dates.h"

namespace pellmark {

PriceRowText PriceRowTexts(const ledger::PriceRow& row) {
  return {FormatDate(row.date), ledger::FormatPrice(row.price)};
}

}  // namespace pellmark
