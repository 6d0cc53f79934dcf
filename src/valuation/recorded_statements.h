// The statements of valuations the club's unit records hold but no valuation
// of this program wrote: those of a club loaded from another program's files.
// Each lists what the books hold on its date and keeps the unit value and id
// its record was made with, so that every official valuation has its
// statement, as one made here has.
//
//   StageRecordedStatements(club);   // then club.Commit() writes them with the stores
#pragma once

#include "club/club_session.h"

namespace pellmark::valuation {

// One statement ("V" + mmddyyyy + ".stm") for each date of the unit records
// but the club's first record (its starting value, which has none), for the
// first record of that date in key order; its previous unit value is that of
// the newest record dated before it. Staged in the club's unit of work over
// whatever file of that name the folder holds. Returns how many were staged.
// An amount beyond what a statement holds throws StatementError naming whose.
int StageRecordedStatements(ClubSession& club);

}  // namespace pellmark::valuation
