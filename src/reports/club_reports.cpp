#include "reports/club_reports.h"

#include <algorithm>

#include "club/dates.h"
#include "club/number_format.h"

namespace pellmark::reports {

namespace {

constexpr const char* kAccountsFormat = "<0.39|<2.37|<0.95|>1.42|>1.50";
constexpr const char* kGainsFormat = "<1.96|<0.69|>0.92|>0.92|>0.92|>0.92|>0.92";
constexpr const char* kDistributionFormatWithTaxes =
    "<1.13|>0.61|>0.61|>0.61|>0.61|>0.61|>0.61|>0.61|>0.61|>0.61|>0.61";
constexpr const char* kDistributionFormat = "<1.13|>0.68|>0.68|>0.68|>0.68|>0.68|>0.68|>0.68|>0.68|>0.68";

std::string Money(double amount) { return FormatFixed(amount, 2); }
std::string Units(double units) { return FormatFixed(units, 3); }

// A filler of `c` as wide as `digits` digits of the current font.
std::string Filler(TPagePrinter& printer, char c, int digits) {
  return std::string(static_cast<std::size_t>(std::max(printer.RepeatCount(std::string(1, c), digits), 0)), c);
}

std::string Join(const std::vector<std::string>& cells) {
  std::string row;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) row += '|';
    row += cells[i];
  }
  return row;
}

void BlankLines(TPagePrinter& printer) {
  printer.WriteLine(" ");
  printer.WriteLine(" ");
}

void Bold(TPagePrinter& printer, double points, const std::string& line) {
  printer.BoldOn();
  printer.SetFontSize(points);
  printer.WriteLine(line);
  printer.BoldOff();
}

// " |name|....|amount| " and its like.
std::string DottedRow(TPagePrinter& printer, const std::string& name, double amount, bool trailing_blank = true) {
  return " |" + name + "|" + Filler(printer, '.', 10) + "|" + Money(amount) + (trailing_blank ? "| " : "");
}

std::string Underline(TPagePrinter& printer) { return " | | |" + Filler(printer, '-', 10) + " "; }
std::string DoubleUnderline(TPagePrinter& printer) { return " | | | |" + Filler(printer, '=', 10); }

// Rows go through Lines and WriteLines, as every report's tables do.
void WriteRows(TPagePrinter& printer, const std::vector<std::string>& rows) {
  printer.Lines = rows;
  printer.WriteLines(true);
  printer.Lines.clear();
}

}  // namespace

void BalanceSheetReport::Lay(TPagePrinter& printer) {
  const BalanceSheet& s = sheet_;
  layout::Heading(printer, club_name_, "Club Balance Sheet as of " + FormatDate(s.date) + ".");
  layout::HalfGap(printer);
  printer.SetFontSize(14);
  printer.WriteLine("ASSETS");
  layout::HalfGap(printer);
  Bold(printer, 12, "  Cash");
  printer.SetFontSize(10);
  layout::HalfGap(printer);
  printer.SetTableFormat(kAccountsFormat);

  std::vector<std::string> rows;
  for (const BalanceSheetLine& line : s.cash) rows.push_back(DottedRow(printer, "@" + line.name, line.amount));
  rows.push_back(Underline(printer));
  WriteRows(printer, rows);

  if (s.total_investments != 0) {
    layout::HalfGap(printer);
    Bold(printer, 12, "  Investments");
    printer.SetFontSize(10);
    rows.clear();
    for (const BalanceSheetLine& line : s.investments) rows.push_back(DottedRow(printer, "@" + line.name, line.amount));
    rows.push_back(Underline(printer));
    WriteRows(printer, rows);
  }
  printer.BoldOn();
  WriteRows(printer, {" |Total Assets| | |$" + Money(s.total_assets), DoubleUnderline(printer)});
  printer.BoldOff();

  layout::HalfGap(printer);
  printer.SetFontSize(14);
  printer.WriteLine("EQUITIES");
  layout::HalfGap(printer);
  Bold(printer, 12, "  Member Contributions");
  printer.SetFontSize(10);
  rows.clear();
  for (const BalanceSheetLine& line : s.members) rows.push_back(DottedRow(printer, "@" + line.name, line.amount));
  WriteRows(printer, rows);

  layout::HalfGap(printer);
  Bold(printer, 12, "  Profits/Losses");
  printer.SetFontSize(10);
  WriteRows(printer, {DottedRow(printer, s.gain_for_year < 0 ? "Loss For Year" : "Gain For Year", s.gain_for_year),
                      Underline(printer)});
  printer.BoldOn();
  WriteRows(printer, {" |Total Equities| | |$" + Money(s.total_equities), DoubleUnderline(printer)});
  printer.BoldOff();
}

void IncomeStatementReport::Lay(TPagePrinter& printer) {
  const IncomeStatement& s = statement_;
  const std::string january = FormatDate(DayNumberFromCivil({CivilFromDayNumber(s.date).year, 1, 1}));
  layout::Heading(printer, club_name_,
                  "Club Income/Expense Statement from " + january + " thru " + FormatDate(s.date) + ".");
  BlankLines(printer);
  Bold(printer, 14, "INCOME");
  printer.SetFontSize(10);
  layout::HalfGap(printer);
  printer.SetTableFormat(kAccountsFormat);

  std::vector<std::string> rows;
  for (const IncomeLine& line : s.income) rows.push_back(DottedRow(printer, line.category, line.amount));
  rows.push_back(DottedRow(printer, "Net Short-Term Gain", s.short_term));
  rows.push_back(DottedRow(printer, "Net Medium-Term Gain", s.medium_term));
  rows.push_back(DottedRow(printer, "Net Long-Term Gain", s.long_term, false));
  rows.push_back(Underline(printer));
  WriteRows(printer, rows);

  Bold(printer, 12, "  Total Income");
  printer.SetFontSize(10);
  WriteRows(printer, {" | | | |$" + Money(s.total_income), DoubleUnderline(printer)});

  BlankLines(printer);
  Bold(printer, 14, "EXPENSES");
  printer.SetFontSize(10);
  layout::HalfGap(printer);
  rows.clear();
  for (const IncomeLine& line : s.expenses) rows.push_back(DottedRow(printer, line.category, line.amount));
  // Foreign taxes count in the expenses whether or not a category has any.
  if (s.foreign_taxes != 0) rows.push_back(DottedRow(printer, "Foreign Taxes", s.foreign_taxes));
  if (!rows.empty()) {
    rows.push_back(Underline(printer));
    WriteRows(printer, rows);
  }

  Bold(printer, 12, "  Total Expenses");
  printer.SetFontSize(10);
  WriteRows(printer, {" | | | |$" + Money(s.total_expenses), DoubleUnderline(printer)});
  BlankLines(printer);
  printer.BoldOn();
  WriteRows(printer, {" |Net Profit| | |$" + Money(s.net_profit)});
  printer.BoldOff();
}

void CapitalGainsReport::Lay(TPagePrinter& printer) {
  const CapitalGains& g = gains_;
  const std::string january = FormatDate(DayNumberFromCivil({CivilFromDayNumber(g.date).year, 1, 1}));
  layout::Heading(printer, club_name_, "Club Capital Gains from " + january + " thru " + FormatDate(g.date) + ".");
  printer.SetFontSize(8);
  BlankLines(printer);
  printer.SetTableFormat(kGainsFormat);

  const std::string rule = Join({Filler(printer, '=', 27), Filler(printer, '=', 7), Filler(printer, '=', 10),
                                 Filler(printer, '=', 10), Filler(printer, '=', 10), Filler(printer, '=', 10),
                                 Filler(printer, '=', 10)});
  std::vector<std::string> rows;
  for (const CapitalGainRow& row : g.rows) {
    if (rows.empty()) {
      rows.push_back("Name|Type|Buy Date|Cost|Sell Date|Return|Gain");
      rows.push_back(rule);
    }
    if (row.source == GainSource::Distribution) {
      rows.push_back("@" + row.security + "|" + TermWord(row.term) + "| | |" + FormatDate(row.sell_date) + "||" +
                     Money(row.gain));
    } else {
      rows.push_back(Join({"@" + row.security, TermWord(row.term), FormatDate(*row.buy_date), Money(*row.cost),
                           FormatDate(row.sell_date), Money(*row.proceeds), Money(row.gain)}));
    }
  }
  WriteRows(printer, rows);
  if (g.short_term == 0 && g.medium_term == 0 && g.long_term == 0) {
    Bold(printer, 10, "No Capital Gains to report for specified date.");
    return;
  }
  WriteRows(printer, {rule, "Total Long Term Capital Gains:| | | | | |$" + Money(g.long_term),
                      "Total Medium Term Capital Gains:| | | | | |$" + Money(g.medium_term),
                      "Total Short Term Capital Gains:| | | | | |$" + Money(g.short_term),
                      "Total Capital Gains:| | | | | |$" + Money(g.total)});
}

std::vector<std::string> DistributionCells(const DistributionRow& row, bool foreign_taxes_column) {
  auto negated = [](double amount) { return Money(amount == 0 ? 0 : -amount); };
  std::vector<std::string> cells = {row.units ? Units(*row.units) : "x.xxx", Money(row.dividends),
                                    Money(row.interest),    Money(row.short_term),
                                    Money(row.medium_term), Money(row.long_term),
                                    negated(row.costs)};
  if (foreign_taxes_column) cells.push_back(negated(row.foreign_taxes));
  cells.push_back(Money(row.net));
  cells.push_back(row.earned_units ? Units(*row.earned_units) : "x.xxx");
  return cells;
}

void EarningsDistributionReport::Lay(TPagePrinter& printer) {
  const EarningsDistribution& d = distribution_;
  layout::Heading(printer, club_name_, "Club Earnings Distribution as of " + FormatDate(d.date) + ".");
  if (!d.HasUnits()) {
    Bold(printer, 10, "No Distributions are available for the report date.");
    return;
  }
  BlankLines(printer);
  printer.SetFontSize(9);
  const bool taxes = d.foreign_taxes_column;
  printer.SetTableFormat(taxes ? kDistributionFormatWithTaxes : kDistributionFormat);
  const std::size_t columns = taxes ? 11 : 10;
  auto rule = [&](char c) {
    std::vector<std::string> cells = {Filler(printer, c, 20)};
    for (std::size_t i = 1; i < columns; ++i) cells.push_back(Filler(printer, c, 8));
    return Join(cells);
  };
  auto row_of = [&](const std::string& name, const DistributionRow& row) {
    std::vector<std::string> cells = {name};
    for (std::string& cell : DistributionCells(row, taxes)) cells.push_back(std::move(cell));
    return Join(cells);
  };

  std::vector<std::string> rows;
  if (taxes) {
    rows.push_back(" |Total|Dividend|Interest|Short|Medium|Long|Total|Foreign|Net|Earned");
    rows.push_back("Name|Units|Income|Income|Gains|Gains|Gains|Costs|Taxes|Profit|Units");
  } else {
    rows.push_back(" |Total|Dividend|Interest|Short|Medium|Long|Total|Net|Earned");
    rows.push_back("Name|Units|Income|Income|Gains|Gains|Gains|Costs|Profit|Units");
  }
  rows.push_back(rule('='));
  rows.push_back(row_of("TOTAL", d.total));
  if (!d.paid_off.empty()) {
    rows.push_back(rule('-'));
    for (const DistributionRow& row : d.paid_off) {
      rows.push_back(row_of(row.group ? "@*" + row.fname + row.lname : "@*" + row.lname + "," + row.fname, row));
    }
    rows.push_back(rule('-'));
    rows.push_back(row_of("ADJUSTED", *d.adjusted));
    rows.push_back(rule('='));
  }
  for (const DistributionRow& row : d.members) {
    rows.push_back(row_of(row.group ? "@" + row.lname + row.fname : "@" + row.lname + ", " + row.fname, row));
  }
  rows.push_back(rule('='));
  WriteRows(printer, rows);
  if (!d.paid_off.empty()) {
    BlankLines(printer);
    printer.WriteLine("* Indicates a paid off member");
  }
}

std::unique_ptr<Report> SetUpClubReport(ClubReportKind kind, ClubSession& club, DayNumber date) {
  const std::string& name = club.Info().club;
  switch (kind) {
    case ClubReportKind::BalanceSheet:
      return std::make_unique<BalanceSheetReport>(ComputeBalanceSheet(club, date), name);
    case ClubReportKind::IncomeExpense:
      return std::make_unique<IncomeStatementReport>(ComputeIncomeStatement(club, date), name);
    case ClubReportKind::CapitalGains:
      return std::make_unique<CapitalGainsReport>(ComputeCapitalGains(club, date), name);
    case ClubReportKind::Distribution:
      break;
  }
  return std::make_unique<EarningsDistributionReport>(ComputeEarningsDistribution(club, date), name);
}

}  // namespace pellmark::reports
