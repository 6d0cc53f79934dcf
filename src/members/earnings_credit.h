// The year close's earnings credit: each member's share of the year's
// earnings recorded as a member transaction on the closing valuation's date,
// without an account. An active member's share buys units at the closing unit
// value ("Earnings"); any other member's share carries none ("NU Earnings").
//
//   std::vector<TMemberTranRec> credited = CreditEarnings(club, {{7, 120.50}}, closing_unit);
#pragma once

#include <cstdint>
#include <vector>

#include "club/club_session.h"
#include "club/records.h"

namespace pellmark::ledger {

struct EarningsShare {
  std::int32_t memid = 0;
  double amount = 0;  // whole cents
};

// Posts each share whose amount is not zero at cents to its member (shares of
// members that no longer exist are skipped) and saves the member; returns the
// transactions written, in the order of `shares`.
std::vector<TMemberTranRec> CreditEarnings(ClubSession& club, const std::vector<EarningsShare>& shares,
                                           const TUnitValueRec& closing);

}  // namespace pellmark::ledger
