// What the books held on a date, as a valuation statement lists it: each
// security's shares and price, the year's dividends, each account's balance
// and each member's units, with what came after the date backed out of
// working copies. The summary and trailer are the caller's: a valuation
// divides the totals, an imported valuation keeps the value it was recorded
// with.
//
//   HeldOnDate held = StatementOfDate(books, club.Info(), date, /*current=*/false);
//   held.statement.summary = StatementSummary{held.total_value / held.total_units, previous,
//                                             held.total_value, held.total_units};
#pragma once

#include "club/dates.h"
#include "club/records.h"
#include "valuation/statement_file.h"
#include "valuation/valuation_books.h"

namespace pellmark::valuation {

struct HeldOnDate {
  Statement statement;  // header, securities, dividends, accounts and members
  double total_value = 0;
  double total_units = 0;
};

// `current` (a date of today or tomorrow): the active items with their stored
// figures; otherwise hidden items too, with figures rebuilt as of `date`.
// The members' contributions of the date are backed out with their cash.
HeldOnDate StatementOfDate(ValuationBooks& books, const TClubInfoRec& info, DayNumber date, bool current);

}  // namespace pellmark::valuation
