// The write-off of a worthless security, as the price entry calls it: a price
// entered for a security without a current price first removes the security's
// earlier write-offs, and a security whose current price is 0 after the entry is
// written off: a loss of its cost for each lot still open, bought or reinvested
// (a sold lot's loss was realised at its sale), then the offer to hide it.
//
//   WriteOffs write_offs(club, securities);
//   if (security.pricec == 0) write_offs.Forget(security);
//   ... the price is stored ...
//   if (security.pricec == 0) write_offs.Record(security, price.trandate);
#pragma once

#include "club/club_session.h"
#include "club/dates.h"
#include "club/records.h"
#include "securities/security_records.h"

namespace pellmark::ledger {

class WriteOffs {
 public:
  WriteOffs(ClubSession& club, SecurityRecords& securities) : club_(club), securities_(securities) {}

  // Deletes the security's earlier write-off records (capital gain records that
  // name a lot).
  void Forget(TSecurityRec& security);
  // Writes off every open lot of the security as of `date`, saves the
  // security, then offers to hide it.
  void Record(TSecurityRec& security, DayNumber date);

 private:
  ClubSession& club_;
  SecurityRecords& securities_;
};

}  // namespace pellmark::ledger
