#include "reports/payoff_letter.h"

#include <algorithm>
#include <map>

#include "club/money.h"
#include "club/number_format.h"
#include "club/record_keys.h"
#include "club/record_kinds.h"
#include "members/member_posting.h"
#include "members/payout_basis.h"

namespace pellmark::reports {

namespace {

constexpr const char* kLetterFormat = "<0.47|<5.00|>0.94";
constexpr const char* kBlankRow = " | | ";

std::string Money(double amount) { return FormatFixed(amount, 2); }

std::string GainClass(const TMemberTranRec& payout) {
  if (payout.gain == 2) return "medium";
  if (payout.gain == 1) return "short";
  return "long";
}

// "Share of Dividends is 12.50% of $800.00 = |$100.00"; where the percentage
// cannot be worked out (`in_place`: the club figure or the share is 0) the share
// stands in its place.
std::string ShareRow(const std::string& item, double share, double club, bool in_place, double sign = 1) {
  const std::string percent = in_place || club == 0 ? Money(sign * share) : Money(share / club * 100);
  return " |Share of " + item + " is " + percent + "% of $" + Money(sign * club) + " = |$" + Money(sign * share);
}

}  // namespace

PayoffLetters ComputePayoffLetters(ClubSession& club, DayNumber date) {
  return ComputePayoffLetters(ReadYearRecords(club, CivilFromDayNumber(date).year), date);
}

PayoffLetters ComputePayoffLetters(const YearRecords& records, DayNumber date) {
  records.RequireYearOf(date);
  PayoffLetters result;
  result.date = date;
  // Each payout of the year up to the date, in store (key) order, with its member and where it stands
  // among the member's transactions.
  struct Payout {
    const MemberYear* member;
    std::size_t index;
  };
  std::vector<Payout> payouts;
  for (const MemberYear& member : records.members) {
    for (const MemberYear::OfYear& of_year : member.of_year) {
      const TMemberTranRec& tran = member.transactions[of_year.index];
      if (KindOf(tran) == MemberTranKind::Payout && tran.trandate <= date) payouts.push_back({&member, of_year.index});
    }
  }
  std::stable_sort(payouts.begin(), payouts.end(), [](const Payout& a, const Payout& b) {
    return MemberTranKey(a.member->transactions[a.index]) < MemberTranKey(b.member->transactions[b.index]);
  });
  // One distribution a payout date: the shares of every payout of that date.
  std::map<DayNumber, EarningsDistribution> distributions;
  for (const auto& [member, index] : payouts) {
    const TMemberRec& record = member->record;
    const std::int32_t memid = record.memid;
    const TMemberTranRec& payout = member->transactions[index];
    if (!distributions.contains(payout.trandate)) {
      distributions.emplace(payout.trandate, ComputeEarningsDistribution(records, payout.trandate));
    }
    const EarningsDistribution& distribution = distributions.at(payout.trandate);
    PayoffLetter letter;
    letter.name = ledger::DisplayName(record);
    letter.listing_name = MemberName(record);
    letter.payout = payout;
    letter.club = distribution.total;
    letter.foreign_taxes = distribution.foreign_taxes_column;
    for (const DistributionRow& row : distribution.paid_off) {
      if (row.memid == memid && row.duestran == payout.duestran) letter.share = row;
    }
    letter.units = ledger::UnitsOf(payout);
    letter.basis = ledger::PayoutTaxBasis(member->transactions, index);
    letter.additional_gain = RoundCents(payout.dues - letter.basis);
    letter.gain_class = GainClass(payout);
    result.letters.push_back(std::move(letter));
  }
  return result;
}

PayoffRows PayoffLetterRows(const PayoffLetter& letter) {
  const DistributionRow& s = letter.share;
  const DistributionRow& c = letter.club;
  PayoffRows rows;
  auto add = [&](std::string row) {
    rows.shares.push_back(std::move(row));
    rows.shares.push_back(kBlankRow);
  };
  add(ShareRow("Dividends", s.dividends, c.dividends, false));
  add(ShareRow("Interest", s.interest, c.interest, false));
  add(ShareRow("Short Term Gains", s.short_term, c.short_term, s.short_term == 0));
  add(ShareRow("Medium Term Gains", s.medium_term, c.medium_term, s.medium_term == 0));
  add(ShareRow("Long Term Gains", s.long_term, c.long_term, s.long_term == 0));
  add(ShareRow("Expenses", s.costs, c.costs, s.costs == 0, -1));
  if (letter.foreign_taxes) add(ShareRow("Foreign Taxes", s.foreign_taxes, c.foreign_taxes, s.foreign_taxes == 0, -1));
  add(" |Share of club earnings = |$" + Money(s.net));

  const TMemberTranRec& p = letter.payout;
  if (!IsZeroMoney(p.fee)) {
    rows.payoff.push_back(" |Payoff Fee = |$" + Money(p.fee));
    rows.payoff.push_back(kBlankRow);
  }
  rows.payoff.push_back(" |Payoff Amount = " + FormatFixed(letter.units, 3) + " units X $" + Money(p.cunit) +
                        "/unit = |$" + Money(p.dues));

  rows.taxable.push_back(" |Tax Basis of your shares is =|$" + Money(letter.basis));
  rows.taxable.push_back(kBlankRow);
  if (!IsZeroMoney(letter.additional_gain)) {
    rows.taxable.push_back(" |Additional " + letter.gain_class + " gains due to portfolio changes =|$" +
                           Money(letter.additional_gain));
  }
  return rows;
}

PayoffLetterReport::PayoffLetterReport(std::string club_name, PayoffLetters letters)
    : club_name_(std::move(club_name)), letters_(std::move(letters)) {
  for (std::size_t i = 0; i < letters_.letters.size(); ++i) {
    options.Add(letters_.letters[i].name, static_cast<int>(i), i == 0);
  }
  if (!letters_.letters.empty()) options.SetSelection(0);
}

void PayoffLetterReport::Lay(TPagePrinter& printer) {
  if (letters_.letters.empty()) {
    layout::Heading(printer, club_name_, "Payoff Letters as of " + FormatDate(letters_.date) + ".");
    printer.WriteLine(" ");
    printer.WriteLine(" ");
    printer.BoldOn();
    printer.WriteLine("No Payoffs on record for specified date.");
    printer.BoldOff();
    return;
  }
  if (!all_) {
    const int selection = std::clamp(options.Selection(), 0, static_cast<int>(letters_.letters.size()) - 1);
    LayLetter(printer, letters_.letters[static_cast<std::size_t>(selection)]);
    return;
  }
  for (std::size_t i = 0; i < letters_.letters.size(); ++i) {
    if (i > 0) printer.NewPage();
    LayLetter(printer, letters_.letters[i]);
  }
}

void PayoffLetterReport::LayLetter(TPagePrinter& printer, const PayoffLetter& letter) {
  const PayoffRows rows = PayoffLetterRows(letter);
  auto bold = [&](const std::string& text) {
    printer.BoldOn();
    printer.WriteLine(text);
    printer.BoldOff();
  };
  auto table = [&](const std::vector<std::string>& lines) {
    printer.SetTableFormat(kLetterFormat);
    printer.Lines = lines;
    printer.WriteLines(true);
    printer.Lines.clear();
  };
  layout::Heading(printer, club_name_, "Payoff Letter for " + letter.name + " as of " + FormatDate(letters_.date) + ".");
  layout::HalfGap(printer);
  bold("Income and expenses to report in " + std::to_string(CivilFromDayNumber(letters_.date).year));
  layout::HalfGap(printer);
  table(rows.shares);
  layout::HalfGap(printer);
  bold("Calculation of Payoff Amount");
  layout::HalfGap(printer);
  table(rows.payoff);
  layout::HalfGap(printer);
  bold("Taxable Income");
  layout::HalfGap(printer);
  table(rows.taxable);
}

}  // namespace pellmark::reports
