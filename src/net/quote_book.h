// What the quote run needs of the club's securities, supplied by the books:
// the securities as the security list shows them, and the entry of a price
// without dialog. The net library stands on the club alone; the books
// implement this over the price ledger's entry.
//
//   class SecurityQuotes : public net::QuoteBook { ... };
//   SecurityQuotes book(books);
//   net::MatchQuotes(book.ListedSecurities(), reply, book, ui);
#pragma once

#include <string>
#include <vector>

#include "club/dates.h"

namespace pellmark::net {

// One security as the list shows it; texts in Windows-1252 as stored.
struct ListedSecurity {
  std::string name;
  std::string symbol;
};

class QuoteBook {
 public:
  virtual ~QuoteBook() = default;

  // The listed securities in list order.
  virtual std::vector<ListedSecurity> ListedSecurities() = 0;
  // Enters `price` on `date` for the listed security as a new price without
  // dialog, by the rules of the price history (the current price moves forward
  // only, one price per date). Store errors propagate.
  virtual void EnterPrice(const ListedSecurity& security, DayNumber date, double price) = 0;
};

}  // namespace pellmark::net
