// The dues payment report (kind 1): each member's dues payments of the year
// up to the report date, month by month, with the month totals.
//
//   DuesPayments dues = ComputeDuesPayments(ReadMemberBook(club), date);
//   DuesPaymentReport report(info.club, dues);
//   GenerateReport(report, printer, ui);
#pragma once

#include <array>
#include <string>
#include <vector>

#include "club/dates.h"
#include "reports/member_book.h"
#include "reports/report.h"

namespace pellmark::reports {

struct DuesMember {
  std::string name;                // "Last, First", or the group's name
  std::array<double, 12> months{};  // in cents
};

struct DuesPayments {
  DayNumber date = 0;
  std::vector<DuesMember> members;
  std::array<double, 12> totals{};  // the sums of the members' months
  double total = 0;                 // the sum of the twelve totals
};

// Every member with a transaction from January 1 to `date`, or active, in
// store order; each payment of that time adds its dues to its month.
DuesPayments ComputeDuesPayments(const std::vector<BookMember>& book, DayNumber date);

// The table's rows, cells joined by "|": the header, the rule, one row a
// member, the rule again and the totals.
std::vector<std::string> DuesTableRows(const DuesPayments& dues);

class DuesPaymentReport : public Report {
 public:
  DuesPaymentReport(std::string club_name, DuesPayments dues)
      : club_name_(std::move(club_name)), dues_(std::move(dues)) {}
  int Kind() const override { return 1; }
  std::string Caption() const override { return "Dues Payment Report"; }
  void Lay(TPagePrinter& printer) override;

 private:
  std::string club_name_;
  DuesPayments dues_;
};

}  // namespace pellmark::reports
