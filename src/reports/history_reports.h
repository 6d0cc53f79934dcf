// The transaction and price history reports of the Reports page: an account's
// transactions of the year (kind 7), the security transactions of one security
// or of all (kind 11) and a security's 52-week price history graph (kind 9).
// Each reads the club when laid out, for the choice made under "&Options".
//
//   SecurityTransactionsReport report(club, info.club, date);
//   report.options.Click(0);                        // "All Active Securities"
//   GenerateReport(report, printer, ui);
#pragma once

#include <string>
#include <vector>

#include "club/club_session.h"
#include "reports/report.h"
#include "reports/transaction_history.h"

namespace pellmark::reports {

class AccountTransactionsReport : public Report {
 public:
  // With two or more accounts "&Options" offers one item per account (tags 1, 2, …), the first chosen.
  AccountTransactionsReport(ClubSession& club, std::string club_name, DayNumber date);
  int Kind() const override { return 7; }
  std::string Caption() const override { return "Account Transactions"; }
  void Lay(TPagePrinter& printer) override;
  // Chooses the account of this name; false when there is none.
  bool Choose(const std::string& name);
  // The chosen account, none when the club has no account.
  const TAccountRec* Chosen() const;

 private:
  ClubSession& club_;
  std::string club_name_;
  DayNumber date_;
  std::vector<TAccountRec> accounts_;
};

class SecurityTransactionsReport : public Report {
 public:
  static constexpr int kAllActiveTag = -2;
  static constexpr int kAllOnRecordTag = -3;

  // With two or more securities "&Options" offers "All Active Securities",
  // "All Securities on Record" and one item per security (tags 1, 2, …), the
  // first security chosen.
  SecurityTransactionsReport(ClubSession& club, std::string club_name, DayNumber date);
  int Kind() const override { return 11; }
  std::string Caption() const override { return "Security Transactions"; }
  void Lay(TPagePrinter& printer) override;
  bool Choose(const std::string& name);
  void ChooseAllActive() { options.Click(0); }
  void ChooseAllOnRecord() { options.Click(1); }
  // What the current choice lists, none without securities.
  SecurityHistories Histories();

 private:
  ClubSession& club_;
  std::string club_name_;
  DayNumber date_;
  std::vector<std::string> names_;
};

class PriceHistoryReport : public Report {
 public:
  // "&Options" offers one item per security with prices (tags 1, 2, …), the first chosen.
  PriceHistoryReport(ClubSession& club, std::string club_name, DayNumber date);
  int Kind() const override { return 9; }
  std::string Caption() const override { return "Price History Report"; }
  void Lay(TPagePrinter& printer) override;
  bool Choose(const std::string& name);
  // The chosen security's prices, none without a security that has prices.
  std::optional<PriceHistory> History();

 private:
  ClubSession& club_;
  std::string club_name_;
  DayNumber date_;
  std::vector<TSecurityRec> securities_;
};

}  // namespace pellmark::reports
