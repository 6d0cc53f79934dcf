// Each member's return and the club's: what a member asks every year ("what
// did I earn?").
//
// A member's return is money-weighted: the yearly rate (XIRR, years of 365
// days) at which the dues and fees paid in, the payouts received (less their
// fees) and the value of the units at the report date balance. The value is
// counted at the end of the report date, so that money paid in on January 1
// and valued on December 31 has been in for one whole year. A member whose
// first payment is less than a year before the end of the report date gets
// the return of that period itself, not annualised.
//
// The club's returns are time-weighted, from the official unit values: the
// ratio of the unit value in force at the report date to the one in force at
// the start of the period, annualised over 1, 3, 5 and 10 years and since the
// first unit value (that one unannualised when it is less than a year old).
//
//   MemberReturns returns = ComputeMemberReturns(ReadMemberBook(club), club.unitfile.Select(), date);
//   MemberReturnsReport report(info.club, returns);
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "club/dates.h"
#include "club/records.h"
#include "reports/member_book.h"
#include "reports/report.h"

namespace pellmark::reports {

// Money as the member sees it: paid in below 0, received above 0.
struct CashFlow {
  DayNumber date = 0;
  double amount = 0;
};

// The rate r per period of `year_days` days at which the flows' present value
// at the first flow's date, Σ amount ÷ (1 + r)^((date − first date) ÷ year_days), is 0.
// Nothing when no rate above −100% makes it 0 (all flows of one sign, or none).
std::optional<double> RateOfReturn(const std::vector<CashFlow>& flows, double year_days = 365);

struct MemberReturn {
  std::string name;  // "First Last", or the group's name
  DayNumber first_flow = 0;
  double paid_in = 0, paid_out = 0, value = 0, gain = 0;  // in cents; gain = paid out + value − paid in
  std::optional<double> rate;  // 0.1 for 10%; nothing without flows
  bool annualised = true;      // false for less than a year
};

struct ClubReturn {
  std::string period;  // "1 Year", "3 Years", "5 Years", "10 Years", "Since Start"
  DayNumber from = 0;
  double from_unit_value = 0;
  std::optional<double> rate;  // nothing when the club's history is shorter
  bool annualised = true;
};

struct MemberReturns {
  DayNumber date = 0;
  double unit_value = 0;  // in force at the date
  std::vector<MemberReturn> members;  // active members, and hidden ones with flows up to the date
  std::vector<ClubReturn> club;
  double paid_in = 0, paid_out = 0, value = 0, gain = 0;  // sums of the members' printed figures
};

// `units` are the unit value records in key (date) order.
MemberReturns ComputeMemberReturns(const std::vector<BookMember>& book, const std::vector<TUnitValueRec>& units,
                                   DayNumber date);

// The report's one sentence on its method.
std::string ReturnsMethod(DayNumber date);

// The rate as a percentage with two decimals and, in a cell of its own, "*"
// when it is not annualised: "12.34| ", "5.00|*", "n/a| ". (A number cell
// carrying a sign after it would lose its minus in print.)
std::string RateCells(const std::optional<double>& rate, bool annualised);

// The member table's rows after the header and its rule, then the total row.
std::vector<std::string> MemberReturnRows(const MemberReturns& returns);
std::vector<std::string> ClubReturnRows(const MemberReturns& returns);

class MemberReturnsReport : public Report {
 public:
  MemberReturnsReport(std::string club_name, MemberReturns returns)
      : club_name_(std::move(club_name)), returns_(std::move(returns)) {}
  int Kind() const override { return 14; }
  std::string Caption() const override { return "Member Returns"; }
  void Lay(TPagePrinter& printer) override;

 private:
  std::string club_name_;
  MemberReturns returns_;
};

}  // namespace pellmark::reports
