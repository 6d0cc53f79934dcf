#include "reports/valuation_statement.h"

#include <cmath>
#include <stdexcept>

#include <fmt/format.h>

#include "club/club_info_file.h"
#include "club/dates.h"
#include "club/money.h"
#include "club/number_format.h"
#include "club/real48.h"

namespace pellmark::reports {

namespace {

constexpr const char* kInvestmentFormat =
    "<0.13|<1.32|>0.63|>0.63|>0.63|>0.63|>0.63|>0.63|>0.63|>0.63|>0.63|>0.13";
constexpr const char* kMembershipFormat = "<0.13|<1.65|<0.40|<0.13|<1.29|<1.65|<0.40|<0.13|<1.29";
constexpr const char* kIndividualFormat = "<0.12|^1.19|^1.19|^1.19|^1.19|^1.19|^1.19|<0.12";
constexpr const char* kNoSecurities =
    "  ***************************** No Securities Were Held At Valuation Statement Printing Time "
    "******************************";

std::string Fixed(double value, int decimals) { return FormatFixed(value, decimals); }

// Whole when within 0.001 of a whole number.
std::string Shares(double shares) {
  double whole = std::round(shares);
  if (std::fabs(shares - whole) < 0.001) return Fixed(whole, 0);
  return Fixed(shares, 3);
}

// A whole percent, ties to even; a zero base gives 0 rather than a division by zero.
std::string WholePercent(double part, double base) {
  if (base == 0) return "0";
  return Fixed(std::nearbyint(part / base * 100), 0);
}

std::string Row(const std::vector<std::string>& cells) {
  std::string row;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) row += '|';
    row += cells[i];
  }
  return row;
}

}  // namespace

double TotalReturn(const valuation::StatementSecurity& s) {
  double value = ((s.price - s.cost_per_share) * s.shares + s.dividends) / (s.cost_per_share * s.shares);
  return RoundThroughReal48(value);
}

ValuationStatementReport::ValuationStatementReport(valuation::Statement statement, std::string club_name, bool sort)
    : statement_(std::move(statement)), club_name_(std::move(club_name)) {
  options.Add("&Non-Member", kNonMemberTag, true);
  options.Add("&Membership Summary", kMembershipSummaryTag, true);
  options.Add("&All Members", kAllMembersTag);
  int position = 0;
  for (const valuation::StatementMember& member : statement_.members) options.Add(member.name, ++position);
  options.SetSelection(kNonMemberTag);
  if (sort) {
    // Each security goes before the first one of lower return, after those of equal return.
    std::vector<valuation::StatementSecurity> sorted;
    for (valuation::StatementSecurity& security : statement_.securities) {
      double r = TotalReturn(security);
      auto at = sorted.begin();
      while (at != sorted.end() && !(TotalReturn(*at) < r)) ++at;
      sorted.insert(at, std::move(security));
    }
    statement_.securities = std::move(sorted);
  }
}

bool ValuationStatementReport::ChooseMember(std::string_view name) {
  for (std::size_t i = 0; i < statement_.members.size(); ++i) {
    if (statement_.members[i].name == name) {
      options.Click(MemberItem(static_cast<int>(i) + 1));
      return true;
    }
  }
  return false;
}

std::unique_ptr<ValuationStatementReport> LoadValuationStatement(store::FileLayer& files,
                                                                 const std::filesystem::path& file,
                                                                 const std::filesystem::path& club_folder) {
  valuation::Statement statement = valuation::ReadStatementFile(files, file);
  std::optional<TClubInfoRec> info = ReadClubInfo(club_folder, files);
  return std::make_unique<ValuationStatementReport>(std::move(statement), info ? info->club : std::string(),
                                                    info && info->sort);
}

ValuationStatementReport::InvestmentRows ValuationStatementReport::Investments() const {
  InvestmentRows rows;
  // Every money figure is rounded to the cent as it is printed, and every
  // total is the sum of the printed figures above it.
  double total_cost = 0, total_value = 0, total_gain = 0, dividends = 0;
  for (const valuation::StatementSecurity& s : statement_.securities) {
    const double cost = RoundCents(s.shares * s.cost_per_share);
    const double value = RoundCents(s.shares * s.price);
    const double gain = value - cost;
    const double paid = RoundCents(s.dividends);
    rows.securities.push_back(Row({" ", "@" + s.name, Shares(s.shares), Fixed(s.cost_per_share, 3), Fixed(cost, 2),
                                   Fixed(s.price, 3), Fixed(value, 2), Fixed(s.price - s.cost_per_share, 2),
                                   Fixed(gain, 2), WholePercent(gain, cost), Fixed(paid, 2), " "}));
    total_cost += cost;
    total_value += value;
    total_gain += gain;
    dividends += paid;
  }
  if (!statement_.securities.empty()) {
    rows.totals = Row({" ", " ", " ", " ", Fixed(total_cost, 2), " ", Fixed(total_value, 2), " ", Fixed(total_gain, 2),
                       WholePercent(total_gain, total_cost), Fixed(dividends, 2), " "});
    const double year = RoundCents(statement_.dividends.value_or(0));
    if (year != 0 && year - dividends > 0.005) {
      rows.sold_dividends = " |Sold Security Dividends| | | | | | | | |" + Fixed(year - dividends, 2) + "| ";
      dividends = year;
    }
  }
  double gross_assets = total_value;
  for (const valuation::StatementAccount& a : statement_.accounts) {
    const double balance = RoundCents(a.balance);
    const double interest = RoundCents(a.interest);
    rows.accounts.push_back(" |@" + a.name + "| | | | |" + Fixed(balance, 2) + "| | | |" + Fixed(interest, 2) + "| ");
    gross_assets += balance;
    dividends += interest;
  }
  if (!statement_.summary) throw std::runtime_error("the statement has no summary record");
  rows.gross_assets = " |Gross Assets| | | | |$" + Fixed(gross_assets, 2) + "| | | |$" + Fixed(dividends, 2) + "| ";
  return rows;
}

void ValuationStatementReport::Lay(TPagePrinter& printer) {
  if (options.Selection() != kAllMembersTag) {
    LayFor(printer, options.Selection());
    return;
  }
  // One statement a member, each from a new page; no blank page after the last.
  for (std::size_t m = 1; m <= statement_.members.size(); ++m) {
    if (m > 1) printer.NewPage();
    LayFor(printer, static_cast<int>(m));
  }
}

void ValuationStatementReport::LayFor(TPagePrinter& printer, int selection) {
  const valuation::StatementMember* member =
      selection >= 1 && static_cast<std::size_t>(selection) <= statement_.members.size()
          ? &statement_.members[static_cast<std::size_t>(selection) - 1]
          : nullptr;
  InvestmentRows rows = Investments();
  const valuation::StatementSummary& summary = *statement_.summary;

  // 1. Heading.
  std::string title = "Valuation as of " + FormatDate(statement_.date);
  if (member) title += ": Prepared for " + member->name;
  layout::Heading(printer, club_name_, title);

  // 2. Investment summary.
  printer.SetFontSize(8);
  layout::HalfGap(printer);
  layout::SectionTitle(printer, "1. Investment Summary");
  printer.SetFontSize(8);
  layout::HalfGap(printer);
  layout::Box investments(printer);
  printer.SetTableFormat(kInvestmentFormat);
  printer.WriteTableLine(" | |Shares|Purchase|Purchase|Current|Current|Share|Total|Percent|Years| ");
  printer.WriteTableLine(" |Security|Owned|Price|Cost|Price|Value|Gain|Gain|Gain|Dividend| ");
  printer.DrawHorizontalRule(-1);
  if (rows.securities.empty()) {
    // 5. Nothing held.
    printer.WriteLine(kNoSecurities);
    printer.DrawHorizontalRule(-1);
  } else {
    // 3, 4. Securities and their totals.
    for (const std::string& row : rows.securities) printer.WriteTableLine(row);
    printer.DrawHorizontalRule(-1);
    printer.WriteTableLine(rows.totals);
    if (!rows.sold_dividends.empty()) printer.WriteTableLine(rows.sold_dividends);
  }
  // 6, 7. Cash accounts and gross assets.
  for (const std::string& row : rows.accounts) printer.WriteTableLine(row);
  printer.DrawHorizontalRule(-1);
  printer.WriteTableLine(rows.gross_assets);
  investments.Close();

  // 8. Membership summary.
  printer.WriteLine(" ");
  printer.WriteLine(" ");
  layout::SectionTitle(printer, "2. Membership Summary");
  printer.SetFontSize(8);
  layout::HalfGap(printer);
  layout::Box membership(printer);
  double change = summary.previous_unit_value == 0
                      ? 0
                      : (summary.new_unit_value - summary.previous_unit_value) / summary.previous_unit_value * 100;
  printer.WriteLine("  Total Valuation Units of " + Fixed(summary.total_units, 3) + " with unit value of $" +
                    Fixed(summary.new_unit_value, 2) + "; value has changed from previous statement by " +
                    Fixed(change, 2) + "%");
  layout::HalfGap(printer);
  // 9. Two members a row.
  if (options.Checked(kMembershipSummaryTag)) {
    printer.SetTableFormat(kMembershipFormat);
    const std::string filler(static_cast<std::size_t>(std::max(printer.RepeatCount("-", 5), 0)), '-');
    std::vector<std::string> cells{" "};
    for (const valuation::StatementMember& m : statement_.members) {
      cells.insert(cells.end(), {"@" + m.name, filler, ">",
                                 Fixed(m.units, 3) + " at $" + Fixed(m.units * summary.new_unit_value, 2)});
      if (cells.size() == 9) {
        printer.WriteTableLine(Row(cells));
        cells = {" "};
      }
    }
    if (cells.size() > 1) {
      cells.insert(cells.end(), {" ", " ", " ", " "});
      printer.WriteTableLine(Row(cells));
    }
  }
  // 10.
  membership.Close();

  // 11. The member's own account.
  if (member) {
    printer.WriteLine(" ");
    printer.WriteLine(" ");
    layout::SectionTitle(printer, "3. Individual Account");
    printer.SetFontSize(8);
    layout::HalfGap(printer);
    layout::Box account(printer);
    printer.SetTableFormat(kIndividualFormat);
    printer.WriteTableLine(" |Total Contributions|Total Units Owned|Total Valuation|"
                           "Total Earnings|Percent Ownership|Total Net Profit| ");
    double value = member->units * summary.new_unit_value;
    double percent = summary.total_units == 0 ? 0 : member->units / summary.total_units * 100;
    printer.WriteTableLine(Row({" ", "$" + Fixed(member->contributions, 2), Fixed(member->units, 3),
                                "$" + Fixed(value, 2), Fixed(member->earnings, 2), Fixed(percent, 2) + "%",
                                "$" + Fixed(value - member->contributions, 2), " "}));
    account.Close();
  }
}

}  // namespace pellmark::reports
