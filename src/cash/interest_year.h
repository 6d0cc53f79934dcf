// The interest of the open year (`interesty`) that statements show for each
// account: taken again from the account's register when the open year moves
// on, so the new year starts from the interest dated in it.
//
//   club.Info().year += 1;
//   RestartYearInterest(club, club.actrecs.Select());
#pragma once

#include <vector>

#include "club/club_session.h"

namespace pellmark::ledger {

// Every account's `interesty` from its interest dated in the club's open
// year, taken from every account transaction (key order; the caller has
// them read already); an account whose figure changes is saved under its
// stored key.
void RestartYearInterest(ClubSession& club, const std::vector<TAccountTranRec>& transactions);

}  // namespace pellmark::ledger
