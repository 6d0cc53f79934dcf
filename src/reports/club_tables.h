// The working tables of the club reports, each taken from the year's records
// (reports/year_records.h) for the reporting year: January 1 of the report
// date's year up to the report date, both included. Figures are placed by
// month (1–12 at index 0–11) with the year's total at index kYearTotal.
//
//   ReportYear year(date);
//   CategoryTable categories = CategoryTableOf(records, year);   // throws InvalidCategory
//   categories.Column(Code(PredefinedCategory::DividendIncome))[kYearTotal];
//   MonthAmounts foreign = ForeignTaxesOf(records, year);
//   MemberUnitTable units = MemberUnitsOf(records, year);
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "club/club_session.h"
#include "club/dates.h"
#include "club/records.h"
#include "reports/year_records.h"

namespace pellmark::reports {

inline constexpr std::size_t kYearTotal = 12;
using MonthAmounts = std::array<double, 13>;

// The reporting year of a report date.
struct ReportYear {
  explicit ReportYear(DayNumber date);
  bool Holds(DayNumber day) const { return day >= first && day <= last; }
  // 0 (January) … 11 of a day of the year.
  static std::size_t MonthIndex(DayNumber day);

  DayNumber first;      // January 1
  DayNumber last;       // the report date
  int year;
  std::size_t month;    // the report date's month, 0 … 11
};

// An account transaction names a category the store does not have; the
// message is the one the report stops with.
class InvalidCategory : public std::runtime_error {
 public:
  InvalidCategory(const std::string& account, std::int32_t catid);
};

// The categories in store order and, for each category id 1 … the highest,
// the amounts of the year's account transactions by month.
struct CategoryTable {
  std::vector<TCategoryRec> categories;
  std::vector<MonthAmounts> columns;  // column of id c at c - 1

  const MonthAmounts& Column(std::int32_t catid) const { return columns.at(static_cast<std::size_t>(catid) - 1); }
  // The sum of the columns of the categories of `kind` marked as taxable,
  // leaving out the category `except` (0 leaves out none).
  MonthAmounts TaxableTotal(std::uint8_t kind, std::int32_t except = 0) const;
};

// Throws InvalidCategory for a transaction whose category id is outside 1 …
// the highest id. `records` are of the report date's year, with the
// categories and accounts read.
CategoryTable CategoryTableOf(const YearRecords& records, const ReportYear& year);

// The year's foreign taxes (security transactions of that kind) by month.
MonthAmounts ForeignTaxesOf(const YearRecords& records, const ReportYear& year);

// One member's units through the year. Units held on January 1 count in every
// month; a purchase of the year counts from its month on and a payout is taken
// off from its month on. Units credited from earnings in the year are kept
// apart, as earned units.
struct MemberUnits {
  const TMemberRec* member = nullptr;  // the records' own
  std::array<double, 12> months{};
  double earned_units = 0;
  bool has_earnings = false;
  std::vector<const TMemberTranRec*> payouts;  // of the year, in store order
};

struct MemberUnitTable {
  std::vector<MemberUnits> members;  // in store order
  std::array<double, 12> totals{};
  bool any_earnings = false;

  // The units all members hold in the report date's month.
  double GrandTotal(const ReportYear& year) const { return totals[year.month]; }
};

// The table points into `records`, which must outlive it.
MemberUnitTable MemberUnitsOf(const YearRecords& records, const ReportYear& year);

}  // namespace pellmark::reports
