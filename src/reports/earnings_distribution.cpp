#include "reports/earnings_distribution.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "club/money.h"
#include "club/record_kinds.h"
#include "reports/capital_gains.h"
#include "reports/club_tables.h"

namespace pellmark::reports {

namespace {

// The seven amounts a row divides, in the report's column order.
constexpr std::size_t kColumns = 7;
using Amounts = std::array<double, kColumns>;
using MonthlyAmounts = std::array<Amounts, 12>;

double DistributionRow::*const kColumnFields[kColumns] = {
    &DistributionRow::dividends,   &DistributionRow::interest, &DistributionRow::short_term,
    &DistributionRow::medium_term, &DistributionRow::long_term, &DistributionRow::costs,
    &DistributionRow::foreign_taxes};

double RoundUnits(double units) {
  const double rounded = std::round(units * 1000) / 1000;
  return rounded == 0 ? 0.0 : rounded;
}

// A row of figures rounded to cents with its net.
DistributionRow RoundedRow(const Amounts& amounts) {
  DistributionRow row;
  for (std::size_t c = 0; c < kColumns; ++c) row.*kColumnFields[c] = RoundCents(amounts[c]);
  return row;
}

void SetNet(DistributionRow& row) {
  row.net = RoundCents(row.dividends + row.interest + row.short_term + row.medium_term + row.long_term - row.costs -
                       row.foreign_taxes);
}

void NameRow(DistributionRow& row, const TMemberRec& member) {
  row.memid = member.memid;
  row.lname = member.lname;
  row.fname = member.fname;
  row.group = member.mtype == 'G';
}

// The exact shares rounded to cents so that they add up to `target` cents: the
// cents left over go one each to the shares that rounding moved furthest the
// other way, the earlier row first among equals.
std::vector<double> Apportion(const std::vector<double>& exact, double target) {
  std::vector<double> rounded(exact.size());
  long long sum_cents = 0;
  for (std::size_t i = 0; i < exact.size(); ++i) {
    rounded[i] = RoundCents(exact[i]);
    sum_cents += std::llround(rounded[i] * 100);
  }
  long long left = std::llround(target * 100) - sum_cents;
  if (left == 0 || exact.empty()) return rounded;
  const int step = left > 0 ? 1 : -1;
  std::vector<std::size_t> order(exact.size());
  std::iota(order.begin(), order.end(), 0);
  // How far rounding moved each share against the direction of the cents left.
  auto cut = [&](std::size_t i) { return (exact[i] - rounded[i]) * step; };
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return cut(a) > cut(b); });
  for (std::size_t k = 0; left != 0; k = (k + 1) % order.size()) {
    rounded[order[k]] = RoundCents(rounded[order[k]] + step * 0.01);
    left -= step;
  }
  return rounded;
}

}  // namespace

const DistributionRow* EarningsDistribution::MemberRow(std::int32_t memid) const {
  for (const DistributionRow& row : members) {
    if (row.memid == memid) return &row;
  }
  return nullptr;
}

EarningsDistribution ComputeEarningsDistribution(ClubSession& club, DayNumber date) {
  return ComputeEarningsDistribution(ReadYearRecords(club, CivilFromDayNumber(date).year), date);
}

EarningsDistribution ComputeEarningsDistribution(const YearRecords& records, DayNumber date) {
  const ReportYear year(date);
  EarningsDistribution result;
  result.date = date;

  // 1. The monthly amounts of the year.
  const CategoryTable categories = CategoryTableOf(records, year);
  const CapitalGains gains = ComputeCapitalGains(records, date);
  const MonthAmounts foreign = ForeignTaxesOf(records, year);
  const std::int32_t dividend_id = Code(PredefinedCategory::DividendIncome);
  MonthAmounts dividends{};
  if (static_cast<std::size_t>(dividend_id) <= categories.columns.size()) dividends = categories.Column(dividend_id);
  const MonthAmounts interest = categories.TaxableTotal(Code(CategoryKind::Income), dividend_id);
  const MonthAmounts costs = categories.TaxableTotal(Code(CategoryKind::Expense));
  const std::array<const MonthAmounts*, kColumns> sources = {
      &dividends, &interest, &gains.by_month[0], &gains.by_month[1], &gains.by_month[2], &costs, &foreign};
  MonthlyAmounts club_amounts{};
  Amounts year_amounts{};
  for (std::size_t c = 0; c < kColumns; ++c) {
    for (std::size_t m = 0; m < 12; ++m) club_amounts[m][c] = (*sources[c])[m];
    year_amounts[c] = (*sources[c])[kYearTotal];
  }
  result.foreign_taxes_column = !IsZeroMoney(foreign[kYearTotal]);

  // 2. Units by month.
  MemberUnitTable units = MemberUnitsOf(records, year);
  // The shares go by the units held; the printed units are rounded and their total is their sum.
  for (const MemberUnits& held : units.members) result.grand_total_units += RoundUnits(held.months[year.month]);
  result.grand_total_units = RoundUnits(result.grand_total_units);
  std::array<double, 12> totals = units.totals;

  double total_earned = 0;
  for (const MemberUnits& held : units.members) total_earned += RoundUnits(held.earned_units);

  result.total = RoundedRow(year_amounts);
  result.total.units = result.grand_total_units;
  if (units.any_earnings) result.total.earned_units = RoundUnits(total_earned);
  SetNet(result.total);
  // 3. Nothing held, nothing to divide.
  if (!result.HasUnits()) return result;

  // 4. Members paid off take the share of the months up to their payout.
  auto share = [&](const MemberUnits& held, std::size_t month) {
    return totals[month] == 0 ? 0.0 : held.months[month] / totals[month];
  };
  for (MemberUnits& held : units.members) {
    for (const TMemberTranRec* payout_of_year : held.payouts) {
      const TMemberTranRec& payout = *payout_of_year;
      const std::size_t payout_month = ReportYear::MonthIndex(payout.trandate);
      Amounts earned{};
      for (std::size_t m = 0; m <= payout_month; ++m) {
        const double s = share(held, m);
        for (std::size_t c = 0; c < kColumns; ++c) {
          const double part = s * club_amounts[m][c];
          earned[c] += part;
          club_amounts[m][c] -= part;
        }
      }
      for (std::size_t m = 0; m < payout_month; ++m) {
        totals[m] -= held.months[m];
        held.months[m] = 0;
      }
      DistributionRow row = RoundedRow(earned);
      NameRow(row, *held.member);
      row.payout_date = payout.trandate;
      row.duestran = payout.duestran;
      SetNet(row);
      result.paid_off.push_back(std::move(row));
    }
  }
  DistributionRow to_divide = result.total;
  if (!result.paid_off.empty()) {
    for (const DistributionRow& row : result.paid_off) {
      for (double DistributionRow::*field : kColumnFields) to_divide.*field -= row.*field;
    }
    for (double DistributionRow::*field : kColumnFields) to_divide.*field = RoundCents(to_divide.*field);
    SetNet(to_divide);
    result.adjusted = to_divide;
  }

  // 5. The active members holding units in the date's month share what is left.
  std::vector<const MemberUnits*> sharing;
  for (const MemberUnits& held : units.members) {
    if (held.member->active && held.months[year.month] != 0) sharing.push_back(&held);
  }
  for (std::size_t c = 0; c < kColumns; ++c) {
    std::vector<double> exact;
    double divided = 0;
    for (const MemberUnits* held : sharing) {
      double sum = 0;
      for (std::size_t m = 0; m <= year.month; ++m) sum += share(*held, m) * club_amounts[m][c];
      exact.push_back(sum);
      divided += sum;
    }
    double left = 0;
    for (std::size_t m = 0; m < 12; ++m) left += club_amounts[m][c];
    // What no sharing member held units for stays with the club, in whole cents.
    const double target = to_divide.*kColumnFields[c] - RoundCents(left - divided);
    const std::vector<double> rounded = Apportion(exact, target);
    if (result.members.empty()) result.members.resize(sharing.size());
    for (std::size_t i = 0; i < sharing.size(); ++i) result.members[i].*kColumnFields[c] = rounded[i];
  }
  for (std::size_t i = 0; i < sharing.size(); ++i) {
    DistributionRow& row = result.members[i];
    NameRow(row, *sharing[i]->member);
    row.units = RoundUnits(sharing[i]->months[year.month]);
    if (sharing[i]->has_earnings) row.earned_units = RoundUnits(sharing[i]->earned_units);
    SetNet(row);
  }
  return result;
}

}  // namespace pellmark::reports
