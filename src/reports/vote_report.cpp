#include "reports/vote_report.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "club/money.h"
#include "club/number_format.h"
#include "club/unit_values.h"
#include "members/member_posting.h"

namespace pellmark::reports {

namespace {

constexpr const char* kVoteFormat = "<2.5|>1.46|>1.46|>1.46";

}  // namespace

std::vector<long long> ShareOfHundred(const std::vector<double>& weights) {
  const double sum = std::accumulate(weights.begin(), weights.end(), 0.0);
  std::vector<long long> shares(weights.size());
  std::vector<double> remainders(weights.size());
  long long given = 0;
  for (std::size_t i = 0; i < weights.size(); ++i) {
    const double exact = weights[i] * 10000 / sum;
    shares[i] = static_cast<long long>(std::floor(exact));
    remainders[i] = exact - static_cast<double>(shares[i]);
    given += shares[i];
  }
  std::vector<std::size_t> order(weights.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return remainders[a] > remainders[b]; });
  for (std::size_t i = 0; given < 10000 && !order.empty(); i = (i + 1) % order.size(), ++given) ++shares[order[i]];
  return shares;
}

double VoteUnitValue(Table<TUnitValueRec>& unitfile, DayNumber date) {
  const std::optional<UnitValue> unit = UnitValueAt(unitfile, date);
  return unit ? unit->unitval : 0;
}

MemberVote ComputeVote(const std::vector<BookMember>& book, double unit_value, DayNumber date) {
  MemberVote vote;
  vote.date = date;
  vote.unit_value = unit_value;
  for (const BookMember& member : book) {
    const TMemberRec then = ledger::MemberAsOf(member.record, member.transactions, date);
    if (then.tunits == 0) continue;
    vote.members.push_back({ledger::DisplayName(then), then.tunits, RoundCents(then.tunits * vote.unit_value), 0});
    vote.total_units += then.tunits;
  }
  if (vote.total_units == 0) return vote;
  std::vector<double> units;
  for (const VoteMember& member : vote.members) units.push_back(std::max(member.units, 0.0));
  if (std::accumulate(units.begin(), units.end(), 0.0) <= 0) return vote;
  const std::vector<long long> hundredths = ShareOfHundred(units);
  for (std::size_t i = 0; i < vote.members.size(); ++i) vote.members[i].percent = static_cast<double>(hundredths[i]) / 100;
  return vote;
}

std::vector<std::string> VoteRows(const MemberVote& vote) {
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < vote.members.size(); ++i) {
    const VoteMember& m = vote.members[i];
    if (i > 0) rows.push_back(" | | | ");
    rows.push_back(m.name + "|" + FormatFixed(m.units, 3) + "|$" + FormatFixed(m.value, 2) + "|" +
                   FormatFixed(m.percent, 2) + "%");
  }
  return rows;
}

void VoteReport::Lay(TPagePrinter& printer) {
  layout::Heading(printer, club_name_, "Membership Voting Percentages as of " + FormatDate(vote_.date) + ".");
  printer.WriteLine(" ");
  printer.WriteLine(" ");
  if (vote_.total_units == 0) {
    printer.BoldOn();
    printer.WriteLine("No Member Assets on record for specified date.");
    printer.BoldOff();
    return;
  }
  printer.SetTableFormat(kVoteFormat);
  const std::string rule =
      Filler(printer, '=', 31) + "|" + Filler(printer, '=', 14) + "|" + Filler(printer, '=', 14) + "|" + Filler(printer, '=', 14);
  printer.Lines = {"Name|Units|Value|Percentage", rule};
  for (std::string& row : VoteRows(vote_)) printer.Lines.push_back(std::move(row));
  printer.Lines.push_back(rule);
  printer.WriteLines(true);
  printer.Lines.clear();
}

}  // namespace pellmark::reports
