// The club's securities as the quote run sees them: the securities the list
// shows, in list order (the hidden ones after the active ones, when the list
// shows them), and each downloaded quote entered through RecordPrice without
// dialog, kept as a row of the run.
//
//   SecurityQuotes book(books, club.View().showhiddensecurities);
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
  // `show_hidden`: the list shows the hidden securities too.
  SecurityQuotes(Books& books, bool show_hidden) : books_(books), show_hidden_(show_hidden) {}

  std::vector<net::ListedSecurity> ListedSecurities() override;
  // A security renamed or removed since the list was read takes no price, nor
  // one hidden meanwhile from a list that leaves hidden ones out.
  void EnterPrice(const net::ListedSecurity& security, DayNumber date, double price) override;

  // The prices entered so far, in order.
  const std::vector<EnteredQuote>& Entered() const { return entered_; }

 private:
  Books& books_;
  bool show_hidden_;
  std::vector<EnteredQuote> entered_;
};

}  // namespace pellmark
