#include "reports/text_statements.h"

#include <cmath>
#include <initializer_list>

#include "club/money.h"
#include "club/number_format.h"
#include "members/member_posting.h"

namespace pellmark::reports {

namespace {

constexpr std::size_t kRuleWidth = 80;
constexpr const char* kNoSecurities =
    "********* No Securities Were Held At Valuation Statement Printing Time *********";

struct Field {
  std::string_view text;
  std::size_t width;
  FieldAlign align = FieldAlign::kRight;
};

// The lines of one file, each ended by a line end.
class TextLines {
 public:
  void Line(std::string_view text) {
    text_ += text;
    text_ += '\n';
  }
  void Fields(std::initializer_list<Field> fields) {
    std::string line;
    for (const Field& field : fields) line += TextField(field.text, field.width, field.align);
    Line(line);
  }
  void Rule(char fill = '-') { Line(TextRule(fill)); }
  void Blank() { Line(" "); }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

std::string Fixed(double value, int decimals) { return FormatFixed(value, decimals); }

// Shares as the printed statement shows them: whole within 0.001 of a whole number.
std::string Shares(double shares) {
  const double whole = std::round(shares);
  if (std::fabs(shares - whole) < 0.001) return Fixed(whole, 0);
  return Fixed(shares, 3);
}

// One decimal and "%"; a zero base gives 0.0% rather than a division by zero.
std::string Percent(double part, double base) { return Fixed(base == 0 ? 0 : part / base * 100, 1) + "%"; }

bool IsPlaceholder(std::string_view text, std::string_view placeholder) {
  return text.empty() || text == placeholder;
}

}  // namespace

std::string_view TextStatementFileName(TextStatementKind kind) {
  switch (kind) {
    case TextStatementKind::kValuation:
      return "valuerpt.txt";
    case TextStatementKind::kDistribution:
      return "distrpt.txt";
    case TextStatementKind::kVote:
      return "voterpt.txt";
    case TextStatementKind::kRoster:
      return "rosterrpt.txt";
  }
  return "valuerpt.txt";
}

std::string TextField(std::string_view text, std::size_t width, FieldAlign align) {
  std::string field;
  const std::size_t pad = text.size() < width ? width - text.size() : 0;
  if (align == FieldAlign::kRight) field.append(pad, ' ');
  field += text;
  if (align == FieldAlign::kLeft) field.append(pad, ' ');
  field += ' ';
  return field;
}

std::string TextRule(char fill) { return std::string(kRuleWidth, fill); }

std::string ValuationStatementText(const valuation::Statement& statement, std::string_view club_name,
                                   bool membership_summary) {
  if (!statement.summary) throw valuation::StatementError("the statement has no summary record");
  const valuation::StatementSummary& summary = *statement.summary;
  TextLines out;
  out.Line(club_name);
  out.Line("Valuation as of " + FormatDate(statement.date));
  out.Rule();
  out.Blank();
  out.Line("1. Investment Summary");
  out.Rule();

  // Every money figure is rounded to the cent as it is written, and every
  // total is the sum of the written figures, as on the printed statement.
  double total_value = 0, total_cost = 0, dividends = 0;
  if (statement.securities.empty()) {
    out.Fields({{kNoSecurities, kRuleWidth, FieldAlign::kLeft}});
    out.Rule();
  } else {
    out.Fields({{"Name", 25, FieldAlign::kLeft},
                {"Shares", 10},
                {"Price", 10},
                {"Value", 10},
                {"Gain", 10},
                {"Dividend", 10}});
    out.Rule();
    for (const valuation::StatementSecurity& s : statement.securities) {
      const double value = RoundCents(s.shares * s.price);
      const double cost = RoundCents(s.shares * s.cost_per_share);
      const double paid = RoundCents(s.dividends);
      out.Fields({{s.name, 25, FieldAlign::kLeft},
                  {Shares(s.shares), 10},
                  {Fixed(s.price, 3), 10},
                  {Fixed(value, 2), 10},
                  {Percent(value - cost, cost), 10},
                  {Fixed(paid, 2), 10}});
      total_value += value;
      total_cost += cost;
      dividends += paid;
    }
    out.Rule();
    out.Fields({{"", 47},
                {Fixed(total_value, 2), 10},
                {Percent(total_value - total_cost, total_cost), 10},
                {Fixed(dividends, 2), 10}});
    const double year = RoundCents(statement.dividends.value_or(0));
    if (year != 0 && year - dividends > 0.005) {
      out.Fields({{"Dividends for Sold Securities", 69, FieldAlign::kLeft}, {Fixed(year - dividends, 2), 10}});
      dividends = year;
    }
  }
  double gross_assets = total_value;
  for (const valuation::StatementAccount& a : statement.accounts) {
    const double balance = RoundCents(a.balance);
    const double interest = RoundCents(a.interest);
    out.Fields({{a.name, 47, FieldAlign::kLeft}, {Fixed(balance, 2), 10}, {Fixed(interest, 2), 21}});
    gross_assets += balance;
    dividends += interest;
  }
  out.Rule();
  out.Fields({{"Gross Assets", 47, FieldAlign::kLeft}, {Fixed(gross_assets, 2), 10}, {Fixed(dividends, 2), 21}});

  out.Blank();
  out.Line("2. Membership Summary");
  out.Rule();
  const double change = summary.previous_unit_value == 0 ? 0
                                                         : (summary.new_unit_value - summary.previous_unit_value) /
                                                               summary.previous_unit_value * 100;
  out.Line("Total Valuation Units of " + Fixed(summary.total_units, 3) + " with unit value of $" +
           Fixed(summary.new_unit_value, 2) + ";");
  out.Line("value has changed from previous statement by " + Fixed(change, 2) + "%");
  out.Blank();
  if (membership_summary) {
    for (const valuation::StatementMember& m : statement.members) {
      out.Fields({{m.name, 31, FieldAlign::kLeft},
                  {"------>", 7, FieldAlign::kLeft},
                  {Fixed(m.units, 3) + " at $" + Fixed(RoundCents(m.units * summary.new_unit_value), 2), 20,
                   FieldAlign::kLeft}});
    }
  }
  return out.Take();
}

std::string VoteStatementText(const MembershipVote& vote, std::string_view club_name) {
  TextLines out;
  out.Line(club_name);
  out.Line("Membership Voting Percentages as of " + FormatDate(vote.date) + ".");
  out.Rule();
  out.Blank();
  if (vote.total_units == 0) {
    out.Line("No Member Assets on record for specified date.");
    return out.Take();
  }
  out.Fields({{"Name", 32, FieldAlign::kLeft}, {"Units", 11}, {"Value", 11}, {"Percentage", 11}});
  out.Rule();
  for (const VoteLine& member : vote.members) {
    out.Fields({{member.name, 32, FieldAlign::kLeft},
                {Fixed(member.units, 3), 11},
                {"$" + Fixed(RoundCents(member.units * vote.unit_value), 2), 11},
                {Fixed(member.units * 100 / vote.total_units, 2) + "%", 11}});
  }
  out.Rule();
  return out.Take();
}

std::string RosterStatementText(const std::vector<TMemberRec>& members, std::string_view club_name) {
  TextLines out;
  out.Line(club_name);
  out.Line("Membership Roster");
  out.Rule();
  out.Blank();
  out.Fields({{"Name", 32, FieldAlign::kLeft}, {"Address", 30, FieldAlign::kLeft}, {"Phone", 16, FieldAlign::kLeft}});
  out.Rule();
  // A field still holding the member form's placeholder text is empty.
  auto shown = [](const std::string& text, std::string_view placeholder) {
    return IsPlaceholder(text, placeholder) ? std::string() : text;
  };
  for (const TMemberRec& m : members) {
    const std::string email = shown(m.email, "Email Address");
    bool email_shown = email.empty();
    out.Fields({{ledger::DisplayName(m), 32, FieldAlign::kLeft},
                {shown(m.addr, "Address"), 30, FieldAlign::kLeft},
                {"(H)" + shown(m.hphone, "Home Phone"), 16, FieldAlign::kLeft}});
    out.Fields({{"", 32, FieldAlign::kLeft},
                {m.city + ", " + m.state + " " + m.zip, 30, FieldAlign::kLeft},
                {"(W)" + shown(m.wphone, "Work Phone"), 16, FieldAlign::kLeft}});
    auto other_number = [&](const std::string& number, std::string_view placeholder, std::string_view label) {
      if (IsPlaceholder(number, placeholder)) return;
      out.Fields({{"", 32, FieldAlign::kLeft},
                  {email_shown ? std::string() : email, 30, FieldAlign::kLeft},
                  {std::string(label) + number, 16, FieldAlign::kLeft}});
      email_shown = true;
    };
    other_number(m.fphone, "Fax Phone", "(F)");
    other_number(m.ophone, "Other Phone", "(O)");
    if (!email_shown) {
      out.Fields({{"", 32, FieldAlign::kLeft}, {email, 30, FieldAlign::kLeft}, {"", 16, FieldAlign::kLeft}});
    }
    out.Blank();
  }
  out.Rule('=');
  return out.Take();
}

std::string DistributionStatementText(const EarningsDistribution& distribution, std::string_view club_name) {
  TextLines out;
  out.Line(club_name);
  out.Line("Club Earnings Distribution as of " + FormatDate(distribution.date) + ".");
  out.Rule();
  out.Blank();
  if (!distribution.HasUnits()) {
    out.Line("No Distributions are available for the report date.");
    return out.Take();
  }
  const bool foreign = distribution.foreign_taxes_column;
  auto line = [&](const std::string& name, std::vector<std::string> cells) {
    std::string text = TextField(name, 17, FieldAlign::kLeft);
    for (const std::string& cell : cells) text += TextField(cell, 8, FieldAlign::kRight);
    out.Line(text);
  };
  if (foreign) {
    line("", {"Dividend", "Interest", "Short", "Medium", "Long", "Foreign", "Total"});
    line("Name", {"Income", "Income", "Gains", "Gains", "Gains", "Taxes", "Costs"});
  } else {
    line("", {"Dividend", "Interest", "Short", "Medium", "Long", "Total"});
    line("Name", {"Income", "Income", "Gains", "Gains", "Gains", "Costs"});
  }
  out.Rule();
  // Costs and foreign taxes are spent: written as negative amounts.
  auto amounts = [&](const DistributionRow& row) {
    std::vector<std::string> cells{Fixed(row.dividends, 2), Fixed(row.interest, 2), Fixed(row.short_term, 2),
                                   Fixed(row.medium_term, 2), Fixed(row.long_term, 2)};
    if (foreign) cells.push_back(Fixed(-row.foreign_taxes, 2));
    cells.push_back(Fixed(-row.costs, 2));
    return cells;
  };
  line("TOTAL", amounts(distribution.total));
  if (!distribution.paid_off.empty()) {
    out.Rule();
    for (const DistributionRow& row : distribution.paid_off) {
      line("*" + (row.group ? row.lname + row.fname : row.lname + "," + row.fname), amounts(row));
    }
    out.Rule();
    if (distribution.adjusted) line("ADJUSTED", amounts(*distribution.adjusted));
  }
  for (const DistributionRow& row : distribution.members) {
    const std::string initial = row.fname.substr(0, 1);
    line(row.group ? row.lname + initial : row.lname + "," + initial, amounts(row));
  }
  out.Rule();
  if (!distribution.paid_off.empty()) {
    out.Blank();
    out.Line("* Indicates a paid off member");
  }
  return out.Take();
}

}  // namespace pellmark::reports
