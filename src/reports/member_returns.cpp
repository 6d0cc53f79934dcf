#include "reports/member_returns.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "club/money.h"
#include "club/number_format.h"
#include "club/record_kinds.h"
#include "members/member_posting.h"

namespace pellmark::reports {

namespace {

constexpr const char* kMemberFormat = "<2.0|>1.0|>1.0|>1.0|>1.0|>0.8|<0.1";
constexpr const char* kClubFormat = "<2.0|>1.0|>1.0|>0.8|<0.1";
constexpr double kYearDays = 365;

// Σ amount × e^(−x t): the present value at the growth rate x = ln(1 + r).
double PresentValue(const std::vector<CashFlow>& flows, DayNumber first, double year_days, double x) {
  double sum = 0;
  for (const CashFlow& flow : flows) sum += flow.amount * std::exp(-x * (flow.date - first) / year_days);
  return sum;
}

// The same calendar day `years` earlier; February 29 falls back to the 28th.
DayNumber YearsBefore(DayNumber date, int years) {
  CivilDate day = CivilFromDayNumber(date);
  day.year -= years;
  day.day = std::min(day.day, DaysInMonth(day.year, day.month));
  return DayNumberFromCivil(day);
}

// The unit record in force at `date`: the newest dated on or before it.
const TUnitValueRec* InForce(const std::vector<TUnitValueRec>& units, DayNumber date) {
  const TUnitValueRec* found = nullptr;
  for (const TUnitValueRec& unit : units) {
    if (unit.date > date) break;
    found = &unit;
  }
  return found;
}

std::string Money(double amount) { return FormatFixed(amount, 2); }

}  // namespace

std::optional<double> RateOfReturn(const std::vector<CashFlow>& flows, double year_days) {
  if (flows.empty()) return std::nullopt;
  DayNumber first = flows.front().date;
  for (const CashFlow& flow : flows) first = std::min(first, flow.date);
  // The root in the growth rate x = ln(1 + r) between −99.995% and
  // +2 202 546% a period: Newton's steps, kept inside a bracket that
  // bisection narrows whenever a step would leave it. The present value falls
  // as the rate rises for money paid in before it comes back, and any sign
  // change inside the bracket holds a root.
  double low = -10, high = 10;
  double at_low = PresentValue(flows, first, year_days, low);
  const double at_high = PresentValue(flows, first, year_days, high);
  if (at_low == 0) return std::expm1(low);
  if (at_high == 0) return std::expm1(high);
  if (!std::isfinite(at_low) || !std::isfinite(at_high) || (at_low > 0) == (at_high > 0)) return std::nullopt;
  double x = 0;
  for (int step = 0; step < 200; ++step) {
    double value = 0, slope = 0;
    for (const CashFlow& flow : flows) {
      const double t = (flow.date - first) / year_days;
      const double term = flow.amount * std::exp(-x * t);
      value += term;
      slope -= t * term;
    }
    if (value == 0) break;
    if ((value > 0) == (at_low > 0)) {
      low = x;
      at_low = value;
    } else {
      high = x;
    }
    double next = slope != 0 ? x - value / slope : low;
    if (!(next > low && next < high)) next = (low + high) / 2;
    const bool settled = std::fabs(next - x) < 1e-13 || high - low < 1e-13;
    x = next;
    if (settled) break;
  }
  return std::expm1(x);
}

MemberReturns ComputeMemberReturns(const std::vector<BookMember>& book, const std::vector<TUnitValueRec>& units,
                                   DayNumber date) {
  MemberReturns returns;
  returns.date = date;
  const TUnitValueRec* now = InForce(units, date);
  returns.unit_value = now != nullptr ? now->unitval : 0;

  for (const BookMember& member : book) {
    MemberReturn entry;
    entry.name = ledger::DisplayName(member.record);
    std::vector<CashFlow> flows;
    for (const TMemberTranRec& tran : member.transactions) {
      if (tran.trandate > date) continue;
      switch (KindOf(tran)) {
        case MemberTranKind::Payment:
        case MemberTranKind::Fee:
          flows.push_back({tran.trandate, -tran.dues});
          entry.paid_in += tran.dues;
          break;
        case MemberTranKind::Payout:
          flows.push_back({tran.trandate, tran.dues - tran.fee});
          entry.paid_out += tran.dues - tran.fee;
          break;
        default:
          break;  // earnings credits and corrections of the totals move no money
      }
    }
    if (flows.empty() && !member.record.active) continue;
    entry.paid_in = RoundCents(entry.paid_in);
    entry.paid_out = RoundCents(entry.paid_out);
    entry.value = RoundCents(ledger::MemberAsOf(member.record, member.transactions, date).tunits * returns.unit_value);
    entry.gain = RoundCents(entry.paid_out + entry.value - entry.paid_in);
    if (!flows.empty()) {
      entry.first_flow = flows.front().date;
      for (const CashFlow& flow : flows) entry.first_flow = std::min(entry.first_flow, flow.date);
      if (entry.value != 0) flows.push_back({date + 1, entry.value});
      const double days = date + 1 - entry.first_flow;
      entry.annualised = days >= kYearDays;
      entry.rate = RateOfReturn(flows, entry.annualised ? kYearDays : days);
      // Everything paid in and nothing left: the whole stake is lost.
      if (!entry.rate && entry.paid_in > 0 && entry.paid_out == 0 && entry.value == 0) entry.rate = -1.0;
    }
    returns.paid_in += entry.paid_in;
    returns.paid_out += entry.paid_out;
    returns.value += entry.value;
    returns.gain += entry.gain;
    returns.members.push_back(std::move(entry));
  }
  returns.paid_in = RoundCents(returns.paid_in);
  returns.paid_out = RoundCents(returns.paid_out);
  returns.value = RoundCents(returns.value);
  returns.gain = RoundCents(returns.gain);

  for (const auto& [period, years] : std::array<std::pair<const char*, int>, 4>{
           {{"1 Year", 1}, {"3 Years", 3}, {"5 Years", 5}, {"10 Years", 10}}}) {
    ClubReturn club{period, YearsBefore(date, years), 0, std::nullopt, true};
    const TUnitValueRec* then = InForce(units, club.from);
    if (now != nullptr && then != nullptr && then->unitval > 0) {
      club.from_unit_value = then->unitval;
      club.rate = std::pow(now->unitval / then->unitval, 1.0 / years) - 1;
    }
    returns.club.push_back(club);
  }
  ClubReturn start{"Since Start", 0, 0, std::nullopt, true};
  if (now != nullptr && !units.empty() && units.front().unitval > 0) {
    start.from = units.front().date;
    start.from_unit_value = units.front().unitval;
    const double ratio = now->unitval / units.front().unitval;
    const double days = date - start.from;
    start.annualised = days >= kYearDays;
    start.rate = start.annualised ? std::pow(ratio, kYearDays / days) - 1 : ratio - 1;
  }
  returns.club.push_back(start);
  return returns;
}

std::string ReturnsMethod(DayNumber date) {
  return "Method: a member's return is money-weighted, the yearly rate (years of 365 days) at which the dues and "
         "fees paid in balance the payouts received and the value on " +
         FormatDate(date) +
         " counted at the end of that day, and is the return of the period itself (marked *) for less than a "
         "year; the club's returns are time-weighted, the ratio of the official unit values in force at the two "
         "ends of each period, annualised.";
}

std::string RateCells(const std::optional<double>& rate, bool annualised) {
  if (!rate) return "n/a| ";
  return FormatFixed(*rate * 100, 2) + (annualised ? "| " : "|*");
}

std::vector<std::string> MemberReturnRows(const MemberReturns& returns) {
  std::vector<std::string> rows;
  for (const MemberReturn& m : returns.members) {
    rows.push_back("@" + m.name + "|" + Money(m.paid_in) + "|" + Money(m.paid_out) + "|" + Money(m.value) + "|" +
                   Money(m.gain) + "|" + RateCells(m.rate, m.annualised));
  }
  rows.push_back("Total|" + Money(returns.paid_in) + "|" + Money(returns.paid_out) + "|" + Money(returns.value) + "|" +
                 Money(returns.gain) + "| | ");
  return rows;
}

std::vector<std::string> ClubReturnRows(const MemberReturns& returns) {
  std::vector<std::string> rows;
  for (const ClubReturn& c : returns.club) {
    const bool known = c.rate.has_value();
    rows.push_back(c.period + "|" + (known ? FormatDate(c.from) : " ") + "|" +
                   (known ? "$" + FormatFixed(c.from_unit_value, 2) : " ") + "|" + RateCells(c.rate, c.annualised));
  }
  return rows;
}

void MemberReturnsReport::Lay(TPagePrinter& printer) {
  layout::Heading(printer, club_name_, "Member Returns as of " + FormatDate(returns_.date) + ".");
  printer.WriteLine(" ");
  printer.WriteLine(" ");
  printer.SetFontSize(8);
  printer.SetTableFormat(kMemberFormat);
  const std::string member_rule = Filler(printer, '=', 30) + "|" + Filler(printer, '=', 14) + "|" +
                                  Filler(printer, '=', 14) + "|" + Filler(printer, '=', 14) + "|" +
                                  Filler(printer, '=', 14) + "|" + Filler(printer, '=', 12) + "| ";
  printer.Lines = {"Name|Paid In|Paid Out|Value|Gain|Return %| ", member_rule};
  std::vector<std::string> rows = MemberReturnRows(returns_);
  printer.Lines.insert(printer.Lines.end(), rows.begin(), rows.end() - 1);
  printer.Lines.push_back(member_rule);
  printer.Lines.push_back(rows.back());
  printer.WriteLines(true);
  printer.Lines.clear();

  printer.WriteLine(" ");
  printer.WriteLine(" ");
  layout::SectionTitle(printer, "Club Time-Weighted Returns");
  printer.SetFontSize(8);
  layout::HalfGap(printer);
  printer.WriteLine("Unit value in force on " + FormatDate(returns_.date) + ": $" + FormatFixed(returns_.unit_value, 2));
  printer.SetTableFormat(kClubFormat);
  const std::string club_rule = Filler(printer, '=', 30) + "|" + Filler(printer, '=', 14) + "|" +
                                Filler(printer, '=', 14) + "|" + Filler(printer, '=', 12) + "| ";
  printer.Lines = {"Period|From|Unit Value|Return %| ", club_rule};
  for (std::string& row : ClubReturnRows(returns_)) printer.Lines.push_back(std::move(row));
  printer.Lines.push_back(club_rule);
  printer.WriteLines(true);
  printer.Lines.clear();

  printer.WriteLine(" ");
  printer.WriteLine(" ");
  const bool wrap = printer.WordWrap();
  printer.SetWordWrap(true);
  printer.WriteLine(ReturnsMethod(returns_.date));
  printer.SetWordWrap(wrap);
}

}  // namespace pellmark::reports
