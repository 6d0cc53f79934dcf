#include "reports/club_tables.h"

#include <algorithm>
#include <map>

#include <fmt/format.h>

#include "club/record_kinds.h"
#include "members/member_posting.h"

namespace pellmark::reports {

ReportYear::ReportYear(DayNumber date)
    : first(DayNumberFromCivil({CivilFromDayNumber(date).year, 1, 1})),
      last(date),
      year(CivilFromDayNumber(date).year),
      month(MonthIndex(date)) {}

std::string ReportYear::TransactionFilter() const { return fmt::format("<_{}_>", year); }

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

CategoryTable ReadCategoryTable(ClubSession& club, const ReportYear& year) {
  CategoryTable table;
  table.categories = club.categories.Select();
  std::int32_t highest = 0;
  for (const TCategoryRec& category : table.categories) highest = std::max(highest, category.catid);
  table.columns.assign(static_cast<std::size_t>(highest), MonthAmounts{});

  std::map<std::int32_t, std::string> account_names;
  club.accounts.ForEach("", [&](TAccountRec&& account) { account_names.emplace(account.actid, account.name); });
  club.actrecs.ForEach(year.TransactionFilter(), [&](TAccountTranRec&& tran) {
    if (!year.Holds(tran.trandate)) return;
    if (tran.catid < 1 || tran.catid > highest) {
      auto name = account_names.find(tran.actid);
      throw InvalidCategory(name == account_names.end() ? std::string() : name->second, tran.catid);
    }
    MonthAmounts& column = table.columns[static_cast<std::size_t>(tran.catid) - 1];
    column[ReportYear::MonthIndex(tran.trandate)] += tran.amount;
    column[kYearTotal] += tran.amount;
  });
  return table;
}

MonthAmounts ReadForeignTaxes(ClubSession& club, const ReportYear& year) {
  MonthAmounts taxes{};
  club.stkrecs.ForEach(year.TransactionFilter(), [&](TSecurityTranRec&& tran) {
    if (KindOf(tran) != SecurityTranKind::ForeignTax || !year.Holds(tran.trandate)) return;
    taxes[ReportYear::MonthIndex(tran.trandate)] += tran.amount;
    taxes[kYearTotal] += tran.amount;
  });
  return taxes;
}

MemberUnitTable ReadMemberUnits(ClubSession& club, const ReportYear& year) {
  MemberUnitTable table;
  std::map<std::int32_t, std::size_t> by_id;
  club.members.ForEach("", [&](TMemberRec&& member) {
    by_id.emplace(member.memid, table.members.size());
    table.members.push_back({std::move(member)});
  });
  // Each member's totals from the transactions before the year, by the posting rules.
  std::vector<TMemberRec> opening(table.members.size());
  club.memrecs.ForEach("", [&](TMemberTranRec&& tran) {
    auto found = by_id.find(tran.memid);
    if (found == by_id.end() || tran.trandate > year.last) return;
    MemberUnits& held = table.members[found->second];
    if (tran.trandate < year.first) {
      ledger::ApplyMemberPosting(opening[found->second], tran, +1);
      return;
    }
    const double units = ledger::UnitsOf(tran);
    const std::size_t from = ReportYear::MonthIndex(tran.trandate);
    switch (KindOf(tran)) {
      case MemberTranKind::Payment:
        for (std::size_t m = from; m <= year.month; ++m) held.months[m] += units;
        break;
      case MemberTranKind::Payout:
        for (std::size_t m = from; m <= year.month; ++m) held.months[m] -= units;
        held.payouts.push_back(tran);
        break;
      case MemberTranKind::Earnings:
        held.earned_units += units;
        held.has_earnings = true;
        table.any_earnings = true;
        break;
      default:
        break;
    }
  });
  for (std::size_t i = 0; i < table.members.size(); ++i) {
    MemberUnits& held = table.members[i];
    // Every unit held on January 1, whichever way it came, counts all year.
    for (double& month : held.months) month += opening[i].tunits;
    for (std::size_t m = 0; m <= year.month; ++m) table.totals[m] += held.months[m];
  }
  return table;
}

}  // namespace pellmark::reports
