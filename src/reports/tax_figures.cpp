#include "reports/tax_figures.h"

#include "club/dates.h"
#include "club/money.h"
#include "club/number_format.h"
#include "club/record_kinds.h"
#include "members/member_posting.h"
#include "members/payout_basis.h"
#include "reports/balance_sheet.h"
#include "reports/capital_gains.h"
#include "reports/earnings_distribution.h"
#include "reports/income_statement.h"

namespace pellmark::reports {

namespace {

// "Other Income(loss) ... - [Schedule 1]" when the amount is not 0.
std::string WithSchedule(std::string label, double amount, const char* schedule) {
  if (!IsZeroMoney(amount)) label += std::string(" - [Schedule ") + schedule + "]";
  return label;
}

std::string GainLine(const CapitalGainRow& row) {
  std::string line = TermWord(row.term) + " Term " + (row.gain > 0 ? "Gain" : "Loss");
  line += row.source == GainSource::Distribution ? " from " : " from sale of ";
  return line + row.security;
}

// The holding period a payout's code gives its gain: 2 medium, 1 short, any other long.
HoldingTermClass PayoutTerm(const TMemberTranRec& payout) {
  if (payout.gain == kMediumTerm) return kMediumTerm;
  if (payout.gain == kShortTerm) return kShortTerm;
  return kLongTerm;
}

double& GainOf(TaxMemberRow& row, HoldingTermClass term) {
  return term == kShortTerm ? row.short_term : term == kMediumTerm ? row.medium_term : row.long_term;
}

void AddShares(TaxMemberRow& row, const DistributionRow& shares) {
  row.dividends += shares.dividends;
  row.interest += shares.interest;
  row.short_term += shares.short_term;
  row.medium_term += shares.medium_term;
  row.long_term += shares.long_term;
  row.deductions += shares.costs;
  row.foreign_taxes += shares.foreign_taxes;
}

std::string Amount(double amount) { return "|$" + FormatFixed(RoundCents(amount), 2); }

}  // namespace

std::vector<ledger::EarningsShare> TaxFigures::Earnings() const {
  std::vector<ledger::EarningsShare> shares;
  for (const TaxMemberRow& row : members) shares.push_back({row.memid, row.earnings});
  return shares;
}

TaxFigures ComputeTaxFigures(ClubSession& club, std::int32_t year) {
  return ComputeTaxFigures(ReadYearRecords(club, year), year);
}

TaxFigures ComputeTaxFigures(const YearRecords& records, std::int32_t year) {
  const DayNumber first = DayNumberFromCivil({year, 1, 1});
  const DayNumber last = DayNumberFromCivil({year, 12, 31});
  const EarningsDistribution distribution = ComputeEarningsDistribution(records, last);
  const CapitalGains gains = ComputeCapitalGains(records, last);
  const IncomeStatement income = ComputeIncomeStatement(records, last);
  const BalanceSheet opening = ComputeBalanceSheet(records, first - 1);
  const BalanceSheet closing = ComputeBalanceSheet(records, last);

  TaxFigures figures;
  figures.year = year;
  figures.foreign_taxes = distribution.foreign_taxes_column;

  // Schedule 1: the taxable income categories, each gain of the year, the gains of the payouts.
  std::vector<TaxLine>& other_income = figures.schedules[0];
  for (const IncomeLine& line : income.income) other_income.push_back({line.category, line.amount});
  for (const CapitalGainRow& row : gains.rows) other_income.push_back({GainLine(row), row.gain});
  // Schedule 2: the taxable expense categories, as deductions.
  double deductions = 0;
  for (const IncomeLine& line : income.expenses) {
    figures.schedules[1].push_back({line.category, -line.amount});
    deductions += line.amount;
  }
  // Schedules 3 and 4: the portfolio at cost at the end and at the beginning of the year.
  for (const BalanceSheetLine& line : closing.investments) figures.schedules[2].push_back({line.name, line.amount});
  for (const BalanceSheetLine& line : opening.investments) figures.schedules[3].push_back({line.name, line.amount});

  // The members: their transactions, their totals as the year began, their shares.
  double beginning_all = 0, contributed_all = 0, paid_out_all = 0, payout_gains = 0;
  std::array<double, 3> payout_gains_by_term{};
  bool any_payout = false;
  for (const MemberYear& entry : records.members) {
    const TMemberRec& member = entry.record;
    const std::vector<TMemberTranRec>& history = entry.transactions;
    TaxMemberRow row;
    row.memid = member.memid;
    row.name = ledger::DisplayName(member);
    TMemberRec before = member;
    for (auto tran = history.rbegin(); tran != history.rend(); ++tran) {
      if (tran->trandate >= first) ledger::ApplyMemberPosting(before, *tran, -1);
    }
    row.beginning = RoundCents(before.totalc + before.totale);
    for (const TMemberTranRec& tran : history) {
      if (tran.trandate < first || tran.trandate > last) continue;
      const MemberTranKind kind = KindOf(tran);
      if (kind == MemberTranKind::Payment || kind == MemberTranKind::NuPayment) row.capital_in += RoundCents(tran.dues);
    }
    beginning_all += row.beginning;
    contributed_all += row.capital_in;
    bool paid_off = false;
    for (const DistributionRow& shares : distribution.paid_off) {
      if (shares.memid != member.memid) continue;
      paid_off = any_payout = true;
      AddShares(row, shares);
      for (const TMemberTranRec& payout : history) {
        if (payout.duestran != shares.duestran || KindOf(payout) != MemberTranKind::Payout) continue;
        const double gain = RoundCents(payout.dues - ledger::PayoutTaxBasis(history, payout));
        const HoldingTermClass term = PayoutTerm(payout);
        GainOf(row, term) += gain;
        payout_gains_by_term[term - 1] += gain;
        payout_gains += gain;
        row.capital_out += RoundCents(payout.dues);
      }
    }
    paid_out_all += row.capital_out;
    if (const DistributionRow* shares = distribution.MemberRow(member.memid)) AddShares(row, *shares);
    if (!member.active && !paid_off) continue;
    for (double* figure : {&row.dividends, &row.interest, &row.short_term, &row.medium_term, &row.long_term,
                           &row.deductions, &row.foreign_taxes, &row.capital_in, &row.capital_out}) {
      *figure = RoundCents(*figure);
    }
    row.ordinary =
        RoundCents(row.dividends + row.interest + row.short_term + row.medium_term + row.long_term - row.deductions);
    row.earnings = RoundCents(row.ordinary - row.foreign_taxes);
    row.ending = RoundCents(row.beginning + row.capital_in + row.earnings - row.capital_out);
    figures.members.push_back(std::move(row));
  }
  if (any_payout) {
    other_income.push_back({payout_gains < 0 ? "Losses due to distributions" : "Gains due to distributions",
                            RoundCents(payout_gains)});
  }

  double other = 0;
  for (const TaxLine& line : other_income) other += line.amount;
  other = RoundCents(other);
  deductions = RoundCents(deductions);
  const double ordinary = RoundCents(other - deductions);
  const DistributionRow& year_total = distribution.total;
  const double beginning = RoundCents(beginning_all);
  const double contributed = RoundCents(contributed_all);
  const double paid_out = RoundCents(paid_out_all);
  const double totals = RoundCents(beginning + contributed + ordinary);

  std::vector<TaxLine>& lines = figures.lines;
  lines.push_back({WithSchedule("Other Income(loss) - Form 1120S (Line 5) Form 1065 (Line 7)", other, "1"), other});
  lines.push_back({WithSchedule("Total Income(loss) - Form 1120S (Line 6) Form 1065 (Line 8)", other, "1"), other});
  lines.push_back(
      {WithSchedule("Other Deductions - Form 1120S (Line 19) Form 1065 (Line 20)", deductions, "2"), -deductions});
  lines.push_back(
      {WithSchedule("Total Deductions - Form 1120S (Line 20) Form 1065 (Line 21)", deductions, "2"), -deductions});
  lines.push_back({"Ordinary income(loss) - Form 1120S (Line 21) Form 1065 (Line 22)", ordinary});
  lines.push_back({"Ordinary income(loss) - Form 1120S,1065 Schedule K (Line 1)", ordinary});
  lines.push_back({"Interest income - Form 1120S,1065 Schedule K (Line 4a)", year_total.interest});
  lines.push_back({"Dividend income - Form 1120S,1065 Schedule K (Line 4b)", year_total.dividends});
  lines.push_back({"Net short-term capital gain(loss) - Form 1120S,1065 Schedule K (Line 4d)",
                   RoundCents(year_total.short_term + payout_gains_by_term[kShortTerm - 1])});
  lines.push_back({"Net medium-term capital gain(loss) - Form 1120S,1065 Schedule K (Line 4e1)",
                   RoundCents(year_total.medium_term + payout_gains_by_term[kMediumTerm - 1])});
  lines.push_back({"Net long-term capital gain(loss) - Form 1120S,1065 Schedule K (Line 4e2)",
                   RoundCents(year_total.long_term + payout_gains_by_term[kLongTerm - 1])});
  lines.push_back({"Other deductions - Form 1120S (Line 10),Form 1065 (Line 11) Schedule K", -year_total.costs});
  if (figures.foreign_taxes) {
    lines.push_back({"Total Foreign Taxes - Form 1120S (Line  15e),Form 1065 (Line 17E) Schedule K",
                     -year_total.foreign_taxes});
  }
  lines.push_back({"Income(loss) - Form 1120S (Line 23),Form 1065 (Line 25a) Schedule K", ordinary});
  lines.push_back({"Cash - Form 1120S,1065 (Line 1b) Schedule L", opening.total_cash});
  lines.push_back({"Cash - Form 1120S,1065 (Line 1d) Schedule L", closing.total_cash});
  // Column (b) of Schedule L is the beginning of the year, whose portfolio Schedule 4 lists.
  lines.push_back({"Other Investments - Form 1120S (Line 9b),Form 1065 (Line 8b) Schedule L - [Schedule 4]",
                   opening.total_investments});
  lines.push_back({"Other Investments - Form 1120S (Line 9d),Form 1065 (Line 8d) Schedule L - [Schedule 3]",
                   closing.total_investments});
  lines.push_back({"Total Assets - Form 1120S (Line 15b),Form 1065 (Line 14b) Schedule L", opening.total_assets});
  lines.push_back({"Total Assets - Form 1120S (Line 15d),Form 1065 (Line 14d) Schedule L", closing.total_assets});
  lines.push_back({"Net income(loss) - Form 1120S,1065 (Line 1) Schedule M-1", ordinary});
  lines.push_back({"Total - Form 1120S (Line 4),1065 (Line 5) Schedule M-1", ordinary});
  lines.push_back({"Income(loss) - Form 1120S (Line 8),1065 (Line 9) Schedule M-1", ordinary});
  lines.push_back({"Balance at beginning of year - Form 1120S,1065 (Line 1) Schedule M-2", beginning});
  lines.push_back({"Capital contributed during year - Form 1120S (Line 3), Form 1065 (Line 2) Schedule M-2", contributed});
  lines.push_back({"Net income(loss) per books - Form 1120S (Line 2), Form 1065 (Line 3) Schedule M-2", ordinary});
  lines.push_back({"Totals - Form 1120S (Line 6), Form 1065 (Line 5) Schedule M-2", totals});
  lines.push_back({"Distributions - Form 1120S (Line 7), Form 1065 (Line 6a) Schedule M-2", -paid_out});
  lines.push_back({"Balance at end of year - Form 1120S (Line 8), Form 1065 (Line 9) Schedule M-2",
                   RoundCents(totals - paid_out)});
  return figures;
}

TaxFile TaxFileOf(const TaxFigures& figures) {
  TaxFile file;
  file.medium = true;
  file.year = std::to_string(figures.year);
  file.foreign = figures.foreign_taxes;
  auto add = [&](TaxSection section, const std::vector<TaxLine>& lines) {
    for (const TaxLine& line : lines) file.Section(section).push_back(line.label + Amount(line.amount));
  };
  add(TaxSection::kReturnLines, figures.lines);
  for (std::size_t s = 0; s < figures.schedules.size(); ++s) add(static_cast<TaxSection>(s + 1), figures.schedules[s]);
  for (const TaxMemberRow& row : figures.members) {
    std::string k1 = row.name + Amount(row.ordinary) + Amount(row.interest) + Amount(row.dividends) +
                     Amount(row.short_term) + Amount(row.medium_term) + Amount(row.long_term) +
                     Amount(-row.deductions);
    if (figures.foreign_taxes) k1 += Amount(-row.foreign_taxes);
    file.Section(TaxSection::kK1).push_back(k1);
    file.Section(TaxSection::kCapital)
        .push_back(row.name + Amount(row.beginning) + Amount(row.capital_in) + Amount(row.earnings) +
                   Amount(-row.capital_out) + Amount(row.ending));
    if (figures.foreign_taxes) file.Section(TaxSection::kForeign).push_back(row.name + Amount(-row.foreign_taxes));
  }
  return file;
}

}  // namespace pellmark::reports
