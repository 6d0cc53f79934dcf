#include "members/earnings_credit.h"

#include <map>
#include <string>

#include "club/money.h"
#include "club/record_kinds.h"
#include "club/table.h"
#include "members/member_posting.h"

namespace pellmark::ledger {

std::vector<TMemberTranRec> CreditEarnings(ClubSession& club, const std::vector<EarningsShare>& shares,
                                           const TUnitValueRec& closing) {
  // Every member under the key it is stored under, by id (the first of an id in key order).
  std::map<std::int32_t, std::pair<std::string, TMemberRec>> members;
  club.members.ForEachKeyed("", [&](const std::string& key, TMemberRec&& member) {
    members.try_emplace(member.memid, key, std::move(member));
  });
  std::vector<TMemberTranRec> credited;
  for (const EarningsShare& share : shares) {
    const auto found = members.find(share.memid);
    if (found == members.end() || IsZeroMoney(share.amount)) continue;
    auto& [key, member] = found->second;
    TMemberTranRec tran;
    tran.dues = share.amount;
    tran.fee = 0;
    tran.gain = 0;
    tran.memid = member.memid;
    tran.actid = -1;
    tran.tranid = -1;
    tran.trandate = closing.date;
    // An active member's share buys units at the closing valuation, which the
    // transaction links to as every purchase of units does.
    if (member.active) {
      tran.typ = Code(MemberTranKind::Earnings);
      tran.cunit = closing.unitval;
      tran.unitind = closing.unitid;
    } else {
      tran.typ = Code(MemberTranKind::NuEarnings);
      tran.cunit = 0;
      tran.unitind = -1;
    }
    tran.duestran = AllocateTranId(member.duescount);
    ApplyMemberPosting(member, tran, +1);
    club.memrecs.Put(tran);
    club.members.PutAt(key, member);
    credited.push_back(tran);
  }
  return credited;
}

}  // namespace pellmark::ledger
