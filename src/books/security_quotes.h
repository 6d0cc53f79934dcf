// The club's securities as the quote run sees them: the securities the list
// shows, in list order (the hidden ones after the active ones, when the list
// shows them), and each downloaded quote entered through RecordPrice without
// dialog.
//
//   SecurityQuotes book(books, club.View().showhiddensecurities);
//   books.Settle(net::FetchOnlineQuotes(books.Club(), books.Club().Ui(), book, service, dialog));
#pragma once

#include "books/books.h"
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

 private:
  Books& books_;
  bool show_hidden_;
};

}  // namespace pellmark
