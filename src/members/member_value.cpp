#include "members/member_value.h"

namespace pellmark::ledger {

double MemberValue(const TMemberRec& member, const TClubInfoRec& info) { return member.tunits * info.vunit; }

}  // namespace pellmark::ledger
