// The write-off of a worthless security, as the price entry calls it: a price
// entered for a security without a current price first removes the security's
// earlier write-offs, and a security whose current price is 0 after the entry is
// written off. Both steps post through the security ledger's write-off mode;
// until that ledger posts write-offs they change nothing.
//
//   WriteOffs write_offs(club);
//   if (security.pricec == 0) write_offs.Forget(security);
//   ... the price is stored ...
//   if (security.pricec == 0) write_offs.Record(security, price.trandate);
#pragma once

#include "club/club_session.h"
#include "club/dates.h"
#include "club/records.h"

namespace pellmark::ledger {

class WriteOffs {
 public:
  explicit WriteOffs(ClubSession& club) : club_(club) {}

  // Deletes the security's earlier write-off records (capital gain records that
  // name a lot).
  void Forget(TSecurityRec& security) { static_cast<void>(security); }
  // Writes off every purchase lot of the security as of `date`, then offers to
  // hide it.
  void Record(TSecurityRec& security, DayNumber date) {
    static_cast<void>(security);
    static_cast<void>(date);
  }

 private:
  [[maybe_unused]] ClubSession& club_;
};

}  // namespace pellmark::ledger
