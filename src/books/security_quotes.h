// The club's securities as the quote run sees them: the active securities in
// list order, and each downloaded quote entered through RecordPrice without
// dialog, kept as a row of the run.
//
//   SecurityQuotes book(books);
//   net::MatchQuotes(book.ListedSecurities(), reply, book, ui);
//   for (const EnteredQuote& quote : book.Entered()) ...
#pragma once

#include <vector>

#include "books/books.h"
#include "books/quote_run.h"
#include "net/quote_book.h"

namespace pellmark {

class SecurityQuotes : public net::QuoteBook {
 public:
  explicit SecurityQuotes(Books& books) : books_(books) {}

  std::vector<net::ListedSecurity> ListedSecurities() override;
  // A security renamed or removed since the list was read takes no price.
  void EnterPrice(const net::ListedSecurity& security, DayNumber date, double price) override;

  // The prices entered so far, in order.
  const std::vector<EnteredQuote>& Entered() const { return entered_; }

 private:
  Books& books_;
  std::vector<EnteredQuote> entered_;
};

}  // namespace pellmark
