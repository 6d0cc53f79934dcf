#include "reports/club_tables.h"

#include <algorithm>

#include <fmt/format.h>

#include "club/record_kinds.h"
#include "members/member_posting.h"

namespace pellmark::reports {

ReportYear::ReportYear(DayNumber date)
    : first(DayNumberFromCivil({CivilFromDayNumber(date).year, 1, 1})),
      last(date),
      year(CivilFromDayNumber(date).year),
      month(MonthIndex(date)) {}

std::size_t ReportYear::MonthIndex(DayNumber day) {
  return static_cast<std::size_t>(CivilFromDayNumber(day).month - 1);
}

InvalidCategory::InvalidCategory(const std::string& account, std::int32_t catid)
    : std::runtime_error(fmt::format("{} (Invalid Category: {})", account, catid)) {}

MonthAmounts CategoryTable::TaxableTotal(std::uint8_t kind, std::int32_t except) const {
  MonthAmounts sum{};
  for (const TCategoryRec& category : categories) {
    if (category.typ != kind || !category.tax || category.catid == except) continue;
    if (category.catid < 1 || static_cast<std::size_t>(category.catid) > columns.size()) continue;
    const MonthAmounts& column = Column(category.catid);
    for (std::size_t m = 0; m < sum.size(); ++m) sum[m] += column[m];
  }
  return sum;
}

CategoryTable CategoryTableOf(const YearRecords& records, const ReportYear& year) {
  records.RequireYearOf(year.last);
  CategoryTable table;
  table.categories = records.categories;
  std::int32_t highest = 0;
  for (const TCategoryRec& category : table.categories) highest = std::max(highest, category.catid);
  table.columns.assign(static_cast<std::size_t>(highest), MonthAmounts{});

  for (std::size_t position : records.year_account_transactions) {
    const TAccountTranRec& tran = records.account_transactions[position];
    if (!year.Holds(tran.trandate)) continue;
    if (tran.catid < 1 || tran.catid > highest) {
      auto account = std::find_if(records.accounts.begin(), records.accounts.end(),
                                  [&](const TAccountRec& a) { return a.actid == tran.actid; });
      throw InvalidCategory(account == records.accounts.end() ? std::string() : account->name, tran.catid);
    }
    MonthAmounts& column = table.columns[static_cast<std::size_t>(tran.catid) - 1];
    column[ReportYear::MonthIndex(tran.trandate)] += tran.amount;
    column[kYearTotal] += tran.amount;
  }
  return table;
}

MonthAmounts ForeignTaxesOf(const YearRecords& records, const ReportYear& year) {
  records.RequireYearOf(year.last);
  MonthAmounts taxes{};
  for (TransactionPlace place : records.year_security_transactions) {
    const TSecurityTranRec& tran = records.At(place);
    if (KindOf(tran) != SecurityTranKind::ForeignTax || !year.Holds(tran.trandate)) continue;
    taxes[ReportYear::MonthIndex(tran.trandate)] += tran.amount;
    taxes[kYearTotal] += tran.amount;
  }
  return taxes;
}

MemberUnitTable MemberUnitsOf(const YearRecords& records, const ReportYear& year) {
  records.RequireYearOf(year.last);
  MemberUnitTable table;
  table.members.reserve(records.members.size());
  for (const MemberYear& member : records.members) {
    MemberUnits held{&member.record};
    for (const MemberYear::OfYear& of_year : member.of_year) {
      const TMemberTranRec& tran = member.transactions[of_year.index];
      if (tran.trandate > year.last) continue;
      const double units = of_year.units;
      const std::size_t from = ReportYear::MonthIndex(tran.trandate);
      switch (KindOf(tran)) {
        case MemberTranKind::Payment:
          for (std::size_t m = from; m <= year.month; ++m) held.months[m] += units;
          break;
        case MemberTranKind::Payout:
          for (std::size_t m = from; m <= year.month; ++m) held.months[m] -= units;
          held.payouts.push_back(&tran);
          break;
        case MemberTranKind::Earnings:
          held.earned_units += units;
          held.has_earnings = true;
          table.any_earnings = true;
          break;
        default:
          break;
      }
    }
    // Every unit held on January 1, whichever way it came, counts all year.
    for (double& month : held.months) month += member.opening.tunits;
    for (std::size_t m = 0; m <= year.month; ++m) table.totals[m] += held.months[m];
    table.members.push_back(std::move(held));
  }
  return table;
}

}  // namespace pellmark::reports
