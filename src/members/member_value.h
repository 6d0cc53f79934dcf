// What a member's units are worth: its units at the club's latest official unit
// value. The figure of every members list (pellmark-cli members, the window's
// Members list).
//
//   const double value = MemberValue(member, club.Info());  // 12.5 units x $10.1234
#pragma once

#include "club/records.h"

namespace pellmark::ledger {

double MemberValue(const TMemberRec& member, const TClubInfoRec& info);

}  // namespace pellmark::ledger
