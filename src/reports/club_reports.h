// The four club reports of the report window (the Reports page's "Club"
// group): each computed once when it is set up, and laid out from its figures
// as often as the window asks.
//
//   std::unique_ptr<Report> report = SetUpClubReport(ClubReportKind::Distribution, club, date);
//   GenerateReport(*report, printer, ui);
//
// Set-up throws InvalidCategory (reports/club_tables.h), whose message the
// window shows instead of the report; any other failure is "Report Generation failed".
#pragma once

#include <memory>
#include <string>

#include "club/club_session.h"
#include "reports/balance_sheet.h"
#include "reports/capital_gains.h"
#include "reports/earnings_distribution.h"
#include "reports/income_statement.h"
#include "reports/report.h"

namespace pellmark::reports {

enum class ClubReportKind { BalanceSheet, IncomeExpense, CapitalGains, Distribution };

class BalanceSheetReport : public Report {
 public:
  BalanceSheetReport(BalanceSheet sheet, std::string club_name)
      : sheet_(std::move(sheet)), club_name_(std::move(club_name)) {}
  int Kind() const override { return 2; }
  std::string Caption() const override { return "Balance Sheet"; }
  void Lay(TPagePrinter& printer) override;
  const BalanceSheet& Figures() const { return sheet_; }

 private:
  BalanceSheet sheet_;
  std::string club_name_;
};

class IncomeStatementReport : public Report {
 public:
  IncomeStatementReport(IncomeStatement statement, std::string club_name)
      : statement_(std::move(statement)), club_name_(std::move(club_name)) {}
  int Kind() const override { return 4; }
  std::string Caption() const override { return "Income and Expense Report"; }
  void Lay(TPagePrinter& printer) override;
  const IncomeStatement& Figures() const { return statement_; }

 private:
  IncomeStatement statement_;
  std::string club_name_;
};

class CapitalGainsReport : public Report {
 public:
  CapitalGainsReport(CapitalGains gains, std::string club_name)
      : gains_(std::move(gains)), club_name_(std::move(club_name)) {}
  int Kind() const override { return 6; }
  std::string Caption() const override { return "Capital Gains Report"; }
  void Lay(TPagePrinter& printer) override;
  const CapitalGains& Figures() const { return gains_; }

 private:
  CapitalGains gains_;
  std::string club_name_;
};

class EarningsDistributionReport : public Report {
 public:
  EarningsDistributionReport(EarningsDistribution distribution, std::string club_name)
      : distribution_(std::move(distribution)), club_name_(std::move(club_name)) {}
  int Kind() const override { return 5; }
  std::string Caption() const override { return "Earnings Distribution Report"; }
  void Lay(TPagePrinter& printer) override;
  const EarningsDistribution& Figures() const { return distribution_; }

 private:
  EarningsDistribution distribution_;
  std::string club_name_;
};

// The report of that kind for the date, computed from the club's stores.
std::unique_ptr<Report> SetUpClubReport(ClubReportKind kind, ClubSession& club, DayNumber date);

// The cells of a distribution row as the report prints them, from the units to
// the earned units: "x.xxx" where there is no figure, costs and foreign taxes
// negated, the foreign taxes only when `foreign_taxes_column`.
std::vector<std::string> DistributionCells(const DistributionRow& row, bool foreign_taxes_column);

}  // namespace pellmark::reports
