// The club's income and expense statement from January 1 of a date's year
// through the date: the taxable income categories, the capital gains of each
// holding period, the taxable expense categories and the foreign taxes.
//
//   IncomeStatement statement = ComputeIncomeStatement(club, date);   // throws InvalidCategory
//   statement.net_profit == statement.total_income - statement.total_expenses;
//
// Every money figure is in whole cents (rounded half away from zero) as the
// report prints it, and every total is the sum of the lines above it.
#pragma once

#include <string>
#include <vector>

#include "club/club_session.h"
#include "club/dates.h"
#include "reports/club_tables.h"
#include "reports/year_records.h"

namespace pellmark::reports {

struct IncomeLine {
  std::string category;
  double amount = 0;
  friend bool operator==(const IncomeLine&, const IncomeLine&) = default;
};

struct IncomeStatement {
  DayNumber date = 0;
  std::vector<IncomeLine> income;    // taxable income categories with a year's total, in store order
  double short_term = 0, medium_term = 0, long_term = 0;
  double total_income = 0;
  std::vector<IncomeLine> expenses;  // taxable expense categories with a year's total, in store order
  double foreign_taxes = 0;
  double total_expenses = 0;
  double net_profit = 0;
  friend bool operator==(const IncomeStatement&, const IncomeStatement&) = default;
};

// Throws InvalidCategory (reports/club_tables.h) when an account transaction
// of the year names a category the store does not have.
IncomeStatement ComputeIncomeStatement(ClubSession& club, DayNumber date);
// The same from records of the date's year with the categories, accounts and
// securities read.
IncomeStatement ComputeIncomeStatement(const YearRecords& records, DayNumber date);

}  // namespace pellmark::reports
