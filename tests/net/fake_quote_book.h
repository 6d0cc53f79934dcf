// The securities of a quote run without a club: a list and the prices entered.
#pragma once

#include <string>
#include <vector>

#include "net/quote_book.h"

namespace pellmark::testing {

class FakeQuoteBook : public net::QuoteBook {
 public:
  struct Entered {
    std::string name;
    DayNumber date;
    double price;
    friend bool operator==(const Entered&, const Entered&) = default;
  };

  explicit FakeQuoteBook(std::vector<net::ListedSecurity> listed) : listed_(std::move(listed)) {}

  std::vector<net::ListedSecurity> ListedSecurities() override { return listed_; }
  void EnterPrice(const net::ListedSecurity& security, DayNumber date, double price) override {
    entered_.push_back({security.name, date, price});
  }

  const std::vector<Entered>& Prices() const { return entered_; }

 private:
  std::vector<net::ListedSecurity> listed_;
  std::vector<Entered> entered_;
};

}  // namespace pellmark::testing
