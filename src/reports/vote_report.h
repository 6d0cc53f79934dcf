// The membership vote (kind 13): each member's units as of the report date,
// their value at the unit value in force then, and the member's share of the
// vote. The printed percentages always add up to 100.00: each is the exact
// share rounded down to the hundredth, and the hundredths left over go to the
// members with the largest remainders (the earliest in store order on a tie).
//
//   MemberVote vote = ComputeVote(ReadMemberBook(club), VoteUnitValue(club.unitfile, date), date);
#pragma once

#include <string>
#include <vector>

#include "club/dates.h"
#include "club/table.h"
#include "reports/member_book.h"
#include "reports/report.h"

namespace pellmark::reports {

struct VoteMember {
  std::string name;  // "First Last", or the group's name
  double units = 0;
  double value = 0;    // units × unit value, in cents
  double percent = 0;  // in hundredths
};

struct MemberVote {
  DayNumber date = 0;
  double unit_value = 0;
  std::vector<VoteMember> members;  // those with units, in store order
  double total_units = 0;
};

// The unit value in force at `date`: the newest unit record's on or before it
// (the oldest record's when all are later, the value those units were bought
// at); 0 without any.
double VoteUnitValue(Table<TUnitValueRec>& unitfile, DayNumber date);

// Every member whose units as of `date` are not 0, in store order.
MemberVote ComputeVote(const std::vector<BookMember>& book, double unit_value, DayNumber date);

// Hundredths of 100 shared out in proportion to `weights` (all at least 0,
// their sum above 0): the shares add up to exactly 10 000.
std::vector<long long> ShareOfHundred(const std::vector<double>& weights);

// The table's rows after the header and its rule, cells joined by "|".
std::vector<std::string> VoteRows(const MemberVote& vote);

class VoteReport : public Report {
 public:
  VoteReport(std::string club_name, MemberVote vote) : club_name_(std::move(club_name)), vote_(std::move(vote)) {}
  int Kind() const override { return 13; }
  std::string Caption() const override { return "Membership Vote Report"; }
  void Lay(TPagePrinter& printer) override;

 private:
  std::string club_name_;
  MemberVote vote_;
};

}  // namespace pellmark::reports
