// The transaction histories of the Reports page as plain data: an account's
// register for the year up to the report date, a security's transactions up to
// it with their totals, and a security's prices of the 52 weeks before it.
// The layouts (reports/history_reports.h) and the command line read these.
//
//   AccountHistory broker = ComputeAccountHistory(club, account, date);
//   SecurityHistories all = ComputeSecurityHistories(club, SecurityChoice::kAllActive, {}, date);
//   all.total_costs;   // the purchases and reinvestments of every security listed, with their commissions
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "club/club_session.h"
#include "club/dates.h"
#include "club/records.h"

namespace pellmark::reports {

struct AccountHistoryRow {
  DayNumber date = 0;
  std::string type;  // "Check 101", "Deposit", "Withdrawal", "Service Charge", "Interest", "Transfer Out", "Transfer In"
  std::string description;
  std::string category;
  double amount = 0;    // to the cent
  bool credit = false;  // deposits, interest and transfers in
};

struct AccountHistory {
  std::string name;
  double balance = 0;  // the account's current balance
  DayNumber from = 0;  // January 1 of the date's year
  DayNumber to = 0;
  std::vector<AccountHistoryRow> rows;
  double debits = 0, credits = 0;  // sums of the rows' amounts
};

// The account's transactions dated from January 1 of `date`'s year to `date`, in key order.
AccountHistory ComputeAccountHistory(ClubSession& club, const TAccountRec& account, DayNumber date);

struct SecurityHistoryRow {
  DayNumber date = 0;
  std::string type;  // "Buy", "Sell", "Short Sell", "Dividend", "ReInvestment", "Capital Reduction",
                     // "Clear Shares", "Foreign Tax"; empty for a kind without a label
  std::optional<double> dividend, amount, shares, price, commission;
};

struct SecurityHistory {
  std::string name;
  // The holding's current value as a percent of all active securities' value; none when it is worth 0.
  std::optional<double> percent_of_holdings;
  std::vector<SecurityHistoryRow> rows;
  double dividends = 0, shares = 0, commissions = 0;
  double costs = 0;     // purchases and reinvestments with their commissions
  double proceeds = 0;  // sales less their commissions
};

enum class SecurityChoice { kAllActive, kAllOnRecord, kOne };

struct SecurityHistories {
  std::vector<SecurityHistory> securities;
  double total_costs = 0, total_proceeds = 0;  // sums over the securities listed
};

// The transactions of each chosen security dated up to `date`, splits left
// out. kOne takes `name` (the display name); kAllActive leaves out hidden and
// inactive securities.
SecurityHistories ComputeSecurityHistories(ClubSession& club, SecurityChoice choice, const std::string& name,
                                           DayNumber date);

struct PricePoint {
  DayNumber date = 0;
  double price = 0;
  int column = 0;  // the month column of the graph, 1 … 12 (12 is the date's month)
};

struct PriceHistory {
  std::string name;
  DayNumber date = 0;
  double current = 0, purchase = 0;
  std::vector<PricePoint> prices;  // in date order
  double high = 0, low = 0;
};

// The security's prices dated from `date` − 365 days to `date`, leaving out
// those of the date's month a year before (the graph has twelve months).
PriceHistory ComputePriceHistory(ClubSession& club, const TSecurityRec& security, DayNumber date);

// The top of the graph's scale for the highest price: from 1, times 10 until
// it reaches the high, halved while half still exceeds it, then less 10 while
// that still exceeds it.
double PriceScaleTop(double high);

}  // namespace pellmark::reports
