#include "ledger/connect_ledgers.h"

#include "ledger/member_ledger.h"

namespace pellmark::ledger {

void ConnectLedgers(ClubSession& club) {
  club.recalculate_member = [&club](TMemberRec& member) { MemberLedger(club).RecalculateMember(member); };
}

}  // namespace pellmark::ledger
