// The club's balance sheet as of a date: the cash accounts' balances and the
// securities' cost as the records stood at the end of that day, the members'
// contributions and earnings, and the year's gain or loss between them.
//
//   BalanceSheet sheet = ComputeBalanceSheet(club, date);
//   sheet.total_assets == sheet.total_equities;   // always, to the cent
//
// Every money figure is in whole cents (rounded half away from zero) as the
// report prints it, and every total is the sum of the lines above it.
#pragma once

#include <string>
#include <vector>

#include "club/club_session.h"
#include "club/dates.h"
#include "reports/year_records.h"

namespace pellmark::reports {

struct BalanceSheetLine {
  std::string name;  // an account's, security's or member's ("Last, First"; a group's whole name)
  double amount = 0;
  friend bool operator==(const BalanceSheetLine&, const BalanceSheetLine&) = default;
};

struct BalanceSheet {
  DayNumber date = 0;
  std::vector<BalanceSheetLine> cash;         // accounts whose balance is not 0, in store order
  double total_cash = 0;
  std::vector<BalanceSheetLine> investments;  // securities holding shares and cost, in store order
  double total_investments = 0;
  double total_assets = 0;
  std::vector<BalanceSheetLine> members;      // members holding units: contributions plus earnings
  double members_equity = 0;
  double gain_for_year = 0;                   // negative: a loss
  double total_equities = 0;
  friend bool operator==(const BalanceSheet&, const BalanceSheet&) = default;
};

BalanceSheet ComputeBalanceSheet(ClubSession& club, DayNumber date);
// The same from records of any year with the accounts, securities and members read.
BalanceSheet ComputeBalanceSheet(const YearRecords& records, DayNumber date);

}  // namespace pellmark::reports
