// The interest of the open year (`interesty`) that statements show for each
// account: taken again from the account's register when the open year moves
// on, so the new year starts from the interest dated in it.
//
//   club.Info().year += 1;
//   RestartYearInterest(club);
#pragma once

#include "club/club_session.h"

namespace pellmark::ledger {

// Every account's `interesty` from its interest dated in the club's open
// year; an account whose figure changes is saved under its stored key.
void RestartYearInterest(ClubSession& club);

}  // namespace pellmark::ledger
