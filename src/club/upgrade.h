// Bringing data written by earlier releases to the current layouts. Both steps
// run when the club is opened (and after a restore or an import) and clear their
// own trigger, so a club is converted once.
#pragma once

#include <cstdint>
#include <vector>

#include "club/interaction.h"
#include "club/records.h"
#include "store/qdb.h"

namespace pellmark {

// The older, 230-byte member record as it was stored.
TMemberRec ConvertOldMemberRecord(std::string_view bytes);

// Rewrites every member in the current layout, then deletes each member
// transaction whose amount is within 0.005 of zero and returns the ids of the
// members that lost one, in key order: their totals need recalculating. Run
// when `cnthndl` is 255; the caller resets it and writes the club information.
std::vector<std::int32_t> UpgradeMemberRecords(store::TQDB& members, store::TQDB& memrecs);

// The data-format update, run when `unitkey` is -1: re-keys the unit values in
// order, links member transactions to their unit values, tidies members, points
// the club information at the unit value of `vunit`, and keeps one price per
// security and date. The caller writes the club information.
void UpdateDataFormats(Interaction& ui, TClubInfoRec& info, store::TQDB& unitfile, store::TQDB& memrecs,
                       store::TQDB& prices, store::TQDB& securities, store::TQDB& members);

}  // namespace pellmark
