// The members as the member reports read them: every member in store order
// (active first, then hidden), each with its transactions in key order, from
// one walk of each of the two stores.
//
//   for (const BookMember& m : ReadMemberBook(club)) Sum(m.transactions);
#pragma once

#include <string>
#include <vector>

#include "club/club_session.h"
#include "club/records.h"

namespace pellmark::reports {

struct BookMember {
  TMemberRec record;
  std::vector<TMemberTranRec> transactions;
};

std::vector<BookMember> ReadMemberBook(ClubSession& club);

// A rule cell: `fill` repeated to the width of `digits` digits of the printer's font.
std::string Filler(class TPagePrinter& printer, char fill, int digits);

}  // namespace pellmark::reports
