#include "members/member_posting.h"

#include <cmath>

#include "club/real48.h"

namespace pellmark::ledger {

std::string MemberKindLabel(std::uint8_t typ) {
  switch (typ) {
    case kPayment: return "Payment";
    case kPayout: return "Payout";
    case kNuPayment: return "NU Payment";
    case kNuEarnings: return "NU Earnings";
    case kEarnings: return "Earnings";
    case kFee: return "Fee";
    default: return "Unknown";
  }
}

double UnitsOf(const TMemberTranRec& tran) {
  if (tran.cunit == 0) return 0;
  return RoundThroughReal48(tran.dues / tran.cunit);
}

void ApplyMemberPosting(TMemberRec& member, const TMemberTranRec& tran, int sign) {
  const double units = sign * UnitsOf(tran);
  const double amount = sign * tran.dues;
  switch (tran.typ) {
    case kPayment:
    case kNuPayment:
      member.tunits += units;
      member.totalc += amount;
      break;
    case kPayout:
      member.tunits -= units;
      member.totalc -= amount;
      break;
    case kNuEarnings:
    case kEarnings:
      member.tunits += units;
      member.totale += amount;
      break;
    default:
      break;
  }
  if ((sign < 0 || tran.typ == kPayout) && std::fabs(member.tunits) < kShareTolerance) member.tunits = 0;
}

std::string DisplayName(const TMemberRec& member) {
  if (member.mtype == 'G') return member.lname + member.fname;
  return member.fname + " " + member.lname;
}

}  // namespace pellmark::ledger
