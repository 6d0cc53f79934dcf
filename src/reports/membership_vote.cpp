#include "reports/membership_vote.h"

#include "club/keys.h"
#include "members/member_posting.h"

namespace pellmark::reports {

MembershipVote ComputeMembershipVote(ClubSession& club, DayNumber date) {
  MembershipVote vote;
  vote.date = date;
  // Unit records are keyed by date: the last one on or before the date is in force.
  club.unitfile.ForEach("", [&](TUnitValueRec&& unit) {
    if (unit.date <= date) vote.unit_value = unit.unitval;
  });
  club.members.ForEach("", [&](TMemberRec&& member) {
    club.memrecs.ForEach(OwnerFilter(member.memid), [&](TMemberTranRec&& tran) {
      if (tran.trandate > date) ledger::ApplyMemberPosting(member, tran, -1);
    });
    if (member.tunits == 0) return;
    vote.members.push_back({ledger::DisplayName(member), member.tunits});
    vote.total_units += member.tunits;
  });
  return vote;
}

}  // namespace pellmark::reports
