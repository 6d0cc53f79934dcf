// Each member's voting weight by units as of a date: the units a member held
// then (its total with every later transaction backed out) and the unit value
// of the newest valuation on or before the date.
//
//   MembershipVote vote = ComputeMembershipVote(club, date);
//   for (const VoteLine& line : vote.members) ... line.units / vote.total_units ...
#pragma once

#include <string>
#include <vector>

#include "club/club_session.h"
#include "club/dates.h"

namespace pellmark::reports {

struct VoteLine {
  std::string name;  // "First Last", or a group's whole name
  double units = 0;
};

struct MembershipVote {
  DayNumber date = 0;
  double unit_value = 0;  // 0 when no valuation is dated on or before the date
  double total_units = 0;
  std::vector<VoteLine> members;  // those with units, in store order
};

MembershipVote ComputeMembershipVote(ClubSession& club, DayNumber date);

}  // namespace pellmark::reports
