#include "reports/income_statement.h"

#include "club/money.h"
#include "club/record_kinds.h"
#include "reports/capital_gains.h"
#include "reports/club_tables.h"

namespace pellmark::reports {

IncomeStatement ComputeIncomeStatement(ClubSession& club, DayNumber date) {
  return ComputeIncomeStatement(ReadYearRecords(club, CivilFromDayNumber(date).year, {.members = false}), date);
}

IncomeStatement ComputeIncomeStatement(const YearRecords& records, DayNumber date) {
  const ReportYear year(date);
  IncomeStatement statement;
  statement.date = date;
  const CategoryTable categories = CategoryTableOf(records, year);
  const CapitalGains gains = ComputeCapitalGains(records, date);
  const MonthAmounts foreign = ForeignTaxesOf(records, year);

  double income = 0, expenses = 0;
  for (const TCategoryRec& category : categories.categories) {
    if (!category.tax || category.catid < 1) continue;
    const double amount = RoundCents(categories.Column(category.catid)[kYearTotal]);
    if (amount == 0) continue;
    if (KindOf(category) == CategoryKind::Income) {
      statement.income.push_back({category.cat, amount});
      income += amount;
    } else if (KindOf(category) == CategoryKind::Expense) {
      statement.expenses.push_back({category.cat, amount});
      expenses += amount;
    }
  }
  statement.short_term = gains.short_term;
  statement.medium_term = gains.medium_term;
  statement.long_term = gains.long_term;
  statement.total_income = RoundCents(income + gains.total);
  statement.foreign_taxes = RoundCents(foreign[kYearTotal]);
  statement.total_expenses = RoundCents(expenses + statement.foreign_taxes);
  statement.net_profit = RoundCents(statement.total_income - statement.total_expenses);
  return statement;
}

}  // namespace pellmark::reports
