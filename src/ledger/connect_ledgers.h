// The club session calls back into the ledgers for work that belongs to them
// (recalculating a member during the upgrade of old data). Every program that
// opens a club connects the ledgers first.
//
//   ClubSession club(folder, ui, clock);
//   ConnectLedgers(club);
//   club.OpenClub(false);
#pragma once

#include "club/club_session.h"

namespace pellmark::ledger {

void ConnectLedgers(ClubSession& club);

}  // namespace pellmark::ledger
