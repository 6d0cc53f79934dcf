#include "members/member_posting.h"

#include <cmath>

#include "club/real48.h"
#include "club/record_kinds.h"

namespace pellmark::ledger {

double UnitsOf(const TMemberTranRec& tran) {
  if (tran.cunit == 0) return 0;
  return RoundThroughReal48(tran.dues / tran.cunit);
}

void ApplyMemberPosting(TMemberRec& member, const TMemberTranRec& tran, int sign) {
  const double units = sign * UnitsOf(tran);
  const double amount = sign * tran.dues;
  switch (KindOf(tran)) {
    case MemberTranKind::Payment:
    case MemberTranKind::NuPayment:
      member.tunits += units;
      member.totalc += amount;
      break;
    case MemberTranKind::Payout:
      member.tunits -= units;
      member.totalc -= amount;
      break;
    case MemberTranKind::NuEarnings:
    case MemberTranKind::Earnings:
      member.tunits += units;
      member.totale += amount;
      break;
    default:
      break;
  }
  if ((sign < 0 || KindOf(tran) == MemberTranKind::Payout) && std::fabs(member.tunits) < kShareTolerance) {
    member.tunits = 0;
  }
}

TMemberRec MemberTotalsFrom(TMemberRec member, const std::vector<TMemberTranRec>& transactions) {
  member.tunits = member.totalc = member.totale = 0;
  for (const TMemberTranRec& tran : transactions) ApplyMemberPosting(member, tran, +1);
  return member;
}

TMemberRec MemberAsOf(TMemberRec member, const std::vector<TMemberTranRec>& transactions, double date) {
  for (auto tran = transactions.rbegin(); tran != transactions.rend(); ++tran) {
    if (tran->trandate > date) ApplyMemberPosting(member, *tran, -1);
  }
  return member;
}

std::string DisplayName(const TMemberRec& member) {
  if (member.mtype == 'G') return member.lname + member.fname;
  return member.fname + " " + member.lname;
}

}  // namespace pellmark::ledger
