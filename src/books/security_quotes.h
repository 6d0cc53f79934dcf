// The club's securities as the quote run sees them: the active securities in
// list order, and each downloaded quote entered through RecordPrice without
// dialog.
//
//   SecurityQuotes book(books);
//   books.Settle(net::FetchOnlineQuotes(books.Club(), books.Club().Ui(), book, service, dialog));
#pragma once

#include "books/books.h"
#include "net/quote_book.h"

namespace pellmark {

class SecurityQuotes : public net::QuoteBook {
 public:
  explicit SecurityQuotes(Books& books) : books_(books) {}

  std::vector<net::ListedSecurity> ListedSecurities() override;
  // A security renamed or removed since the list was read takes no price.
  void EnterPrice(const net::ListedSecurity& security, DayNumber date, double price) override;

 private:
  Books& books_;
};

}  // namespace pellmark
