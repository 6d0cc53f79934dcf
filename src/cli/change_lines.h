// The one line a command that changes the books prints on success: what it
// did, with its figures, read from the books before and after the work.
//
//   BookFigures before = TakeFigures(books);
//   ... the work ...
//   *context.out << TradeLine(StockEntry::Buy, before, TakeFigures(books), "Acme Tools", 282.5, 5) << '\n';
//   // "Bought 10.000 shares of Acme Tools for $282.50 and $5.00 commission; Broker balance $1,217.50."
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "books/books.h"
#include "club/records.h"
#include "securities/security_ledger.h"

namespace pellmark::cli {

struct BookFigures {
  std::map<std::int32_t, TAccountRec> accounts;
  std::map<std::int32_t, TMemberRec> members;
  std::map<std::int32_t, TSecurityRec> securities;
};

BookFigures TakeFigures(Books& books);

// "; Bank balance $746.25" for every account whose balance moved, in the
// order of their ids; empty when none did.
std::string BalanceNote(const BookFigures& before, const BookFigures& after);

// A purchase, sale, dividend or reinvestment of `security` (Windows-1252), whose
// shares were counted by `shares_of` (the reinvested-in security for --into).
// `lots` is the number of lots a sale relieved.
std::string TradeLine(ledger::StockEntry kind, const BookFigures& before, const BookFigures& after, const std::string& security,
                      const std::string& shares_of, double amount, double commission, int lots);

// "Acme Tools priced at $28.25 on 12/01/2026."
std::string PriceLine(const TSecurityRec& security);

// "Prices of 3 securities entered for 12/01/2026."
std::string PricesLine(const BookFigures& before, const BookFigures& after, DayNumber date);

// A payoff or fee of `tran`, the member transaction the command made.
std::string MemberLine(const TMemberRec& member, const TMemberTranRec& tran, const BookFigures& before,
                       const BookFigures& after);

// "Split Acme Tools 2 for 1: 5.000 shares are now 10.000."
std::string SplitLine(const std::string& security, const std::string& ratio_new, const std::string& ratio_old,
                      const BookFigures& before, const BookFigures& after);

}  // namespace pellmark::cli
