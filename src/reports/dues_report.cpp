#include "reports/dues_report.h"

#include "club/money.h"
#include "club/number_format.h"
#include "club/record_kinds.h"

namespace pellmark::reports {

namespace {

constexpr const char* kDuesFormat =
    "<1.01|>0.52|>0.52|>0.52|>0.52|>0.52|>0.52|>0.52|>0.52|>0.52|>0.52|>0.52|>0.52";
constexpr std::array<const char*, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

DayNumber YearStart(DayNumber date) { return DayNumberFromCivil({CivilFromDayNumber(date).year, 1, 1}); }

std::string Rule() {
  std::string rule(17, '=');
  for (int month = 0; month < 12; ++month) rule += "|" + std::string(7, '=');
  return rule;
}

}  // namespace

DuesPayments ComputeDuesPayments(const std::vector<BookMember>& book, DayNumber date) {
  DuesPayments dues;
  dues.date = date;
  const DayNumber start = YearStart(date);
  for (const BookMember& member : book) {
    DuesMember row{MemberName(member.record), {}};
    bool in_year = false;
    for (const TMemberTranRec& tran : member.transactions) {
      if (tran.trandate < start || tran.trandate > date) continue;
      in_year = true;
      if (KindOf(tran) != MemberTranKind::Payment) continue;
      row.months[static_cast<std::size_t>(CivilFromDayNumber(tran.trandate).month - 1)] += tran.dues;
    }
    if (!in_year && !member.record.active) continue;
    for (std::size_t m = 0; m < 12; ++m) {
      row.months[m] = RoundCents(row.months[m]);
      dues.totals[m] += row.months[m];
    }
    dues.members.push_back(std::move(row));
  }
  for (double& total : dues.totals) {
    total = RoundCents(total);
    dues.total += total;
  }
  dues.total = RoundCents(dues.total);
  return dues;
}

std::vector<std::string> DuesTableRows(const DuesPayments& dues) {
  std::string header = "Name";
  for (const char* month : kMonths) header += std::string("|") + month;
  std::vector<std::string> rows = {header, Rule()};
  for (const DuesMember& member : dues.members) {
    std::string row = member.name;
    for (double amount : member.months) row += IsZeroMoney(amount) ? "| " : "|" + FormatFixed(amount, 2);
    rows.push_back(std::move(row));
  }
  rows.push_back(Rule());
  std::string totals = "Totals";
  for (double total : dues.totals) totals += "|" + FormatFixed(total, 2);
  rows.push_back(std::move(totals));
  return rows;
}

void DuesPaymentReport::Lay(TPagePrinter& printer) {
  layout::Heading(printer, club_name_,
                  "Membership Dues : " + FormatDate(YearStart(dues_.date)) + " thru " + FormatDate(dues_.date) + ".");
  printer.SetFontSize(7);
  printer.WriteLine(" ");
  printer.WriteLine(" ");
  printer.SetTableFormat(kDuesFormat);
  printer.Lines = DuesTableRows(dues_);
  printer.WriteLines(true);
  printer.Lines.clear();
  printer.WriteLine(" ");
  printer.WriteLine(" ");
  printer.BoldOn();
  printer.SetFontSize(10);
  printer.WriteLine("Total Dues Collected $" + FormatFixed(dues_.total, 2));
  printer.BoldOff();
}

}  // namespace pellmark::reports
