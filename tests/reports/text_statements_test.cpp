#include "reports/text_statements.h"

#include <charconv>
#include <random>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "club/money.h"
#include "support/property_seed.h"

namespace pellmark::reports::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using valuation::Statement;

std::vector<std::string> Lines(const std::string& text) {
  EXPECT_TRUE(text.empty() || text.back() == '\n') << "every line ends with a line end";
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

const std::string kDashes(80, '-');

Statement KnownStatement() {
  Statement s;
  s.date = DayNumberFromCivil({1999, 12, 31});
  s.securities = {{10, 12.5, 4, 100.0004, "Acme"}, {20, 18, 0, 100.5, "Bolt"}};
  s.dividends = 10;
  s.accounts = {{250.75, 1.25, "Brokerage"}};
  s.members = {{60, 500, 3, "Ann Smith"}, {40, 300, 2, "Bob Jones"}};
  s.summary = valuation::StatementSummary{20.5, 20, 2050, 100};
  return s;
}

TEST(TextFieldTest, PadsAfterOrBeforeThenOneBlankAndWritesALongTextWhole) {
  EXPECT_EQ(TextField("Name", 6, FieldAlign::kLeft), "Name   ");
  EXPECT_EQ(TextField("1.50", 6, FieldAlign::kRight), "  1.50 ");
  EXPECT_EQ(TextField("Exactly", 7, FieldAlign::kLeft), "Exactly ");
  EXPECT_EQ(TextField("Much longer", 4, FieldAlign::kRight), "Much longer ");
  EXPECT_EQ(TextRule('='), std::string(80, '='));
}

TEST(TextStatementFileNameTest, FixedNames) {
  EXPECT_EQ(TextStatementFileName(TextStatementKind::kValuation), "valuerpt.txt");
  EXPECT_EQ(TextStatementFileName(TextStatementKind::kDistribution), "distrpt.txt");
  EXPECT_EQ(TextStatementFileName(TextStatementKind::kVote), "voterpt.txt");
  EXPECT_EQ(TextStatementFileName(TextStatementKind::kRoster), "rosterrpt.txt");
}

TEST(ValuationStatementTextTest, EveryLineOfAKnownStatement) {
  // Acme: value 100.0004 × 12.5 = 1250.005 -> 1250.01, cost 1000.00, gain 25.0%;
  // Bolt: 1809.00 against 2010.00, -10.0%; totals 3059.01 against 3010.00, 1.6%;
  // dividends of the year 10 less the securities' 4 are the sold ones' 6.
  EXPECT_THAT(Lines(ValuationStatementText(KnownStatement(), "Pellmark Investors", true)),
              ElementsAre("Pellmark Investors", "Valuation as of 12/31/1999", kDashes, " ", "1. Investment Summary",
                          kDashes,
                          "Name                          Shares      Price      Value       Gain   Dividend ",
                          kDashes,
                          "Acme                             100     12.500    1250.01      25.0%       4.00 ",
                          "Bolt                         100.500     18.000    1809.00     -10.0%       0.00 ",
                          kDashes,
                          "                                                   3059.01       1.6%       4.00 ",
                          "Dividends for Sold Securities                                               6.00 ",
                          "Brokerage                                           250.75                  1.25 ",
                          kDashes,
                          "Gross Assets                                       3309.76                 11.25 ",
                          " ", "2. Membership Summary", kDashes,
                          "Total Valuation Units of 100.000 with unit value of $20.50;",
                          "value has changed from previous statement by 2.50%", " ",
                          "Ann Smith                       ------> 60.000 at $1230.00   ",
                          "Bob Jones                       ------> 40.000 at $820.00    "));
}

TEST(ValuationStatementTextTest, WithoutTheMembershipSummaryTheUnitsLinesEndIt) {
  std::vector<std::string> lines = Lines(ValuationStatementText(KnownStatement(), "Club", false));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_THAT(std::vector<std::string>(lines.end() - 3, lines.end()),
              ElementsAre("Total Valuation Units of 100.000 with unit value of $20.50;",
                          "value has changed from previous statement by 2.50%", " "));
}

TEST(ValuationStatementTextTest, APriceOfThreeDecimalsKeepsThemAndTheValueIsRoundedToTheCentOnce) {
  Statement s = KnownStatement();
  s.securities = {{1, 1.004, 0, 1, "Penny"}};
  s.dividends.reset();
  // 1.004 is 1.00 to the cent, as on the printed statement (not 1.004 + 0.005 = 1.01).
  std::vector<std::string> lines = Lines(ValuationStatementText(s, "Club", false));
  EXPECT_EQ(lines.at(8), "Penny                              1      1.004       1.00       0.0%       0.00 ");
  EXPECT_EQ(lines.at(10), "                                                      1.00       0.0%       0.00 ");
}

TEST(ValuationStatementTextTest, NoSecuritiesGivesTheLineOfAsterisksInsteadOfTheTable) {
  Statement s = KnownStatement();
  s.securities.clear();
  std::vector<std::string> lines = Lines(ValuationStatementText(s, "Club", false));
  EXPECT_THAT(std::vector<std::string>(lines.begin() + 4, lines.begin() + 11),
              ElementsAre("1. Investment Summary", kDashes,
                          "********* No Securities Were Held At Valuation Statement Printing Time ********* ",
                          kDashes, "Brokerage                                           250.75                  1.25 ",
                          kDashes, "Gross Assets                                        250.75                  1.25 "));
}

double Number(std::string_view field) {
  while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
  double value = 0;
  std::from_chars(field.data(), field.data() + field.size(), value);
  return value;
}

// Whatever the figures, the totals line is the sum of the values written above
// it and Gross Assets adds the written balances: never a cent apart.
TEST(ValuationStatementTextTest, TotalsAreTheSumsOfTheWrittenFigures) {
  const unsigned seed = pellmark::testing::PropertySeed();
  SCOPED_TRACE("PELLMARK_SEED=" + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> count(1, 8);
  std::uniform_real_distribution<double> figure(0.001, 5000);
  for (int round = 0; round < 200; ++round) {
    Statement s = KnownStatement();
    s.securities.clear();
    s.accounts.clear();
    s.dividends.reset();
    for (int i = count(random); i > 0; --i) {
      s.securities.push_back({figure(random), figure(random), figure(random) / 100, figure(random) / 10, "S"});
    }
    for (int i = count(random); i > 0; --i) s.accounts.push_back({figure(random), figure(random) / 100, "A"});
    const std::vector<std::string> lines = Lines(ValuationStatementText(s, "Club", false));
    double values = 0, dividends = 0, balances = 0, interest = 0;
    for (std::size_t i = 0; i < s.securities.size(); ++i) {
      const std::string& line = lines.at(8 + i);
      values += Number(std::string_view(line).substr(48, 10));
      dividends += Number(std::string_view(line).substr(70, 10));
    }
    const std::string& totals = lines.at(9 + s.securities.size());
    ASSERT_TRUE(SameMoney(Number(std::string_view(totals).substr(48, 10)), values)) << totals;
    ASSERT_TRUE(SameMoney(Number(std::string_view(totals).substr(70, 10)), dividends)) << totals;
    for (std::size_t i = 0; i < s.accounts.size(); ++i) {
      const std::string& line = lines.at(10 + s.securities.size() + i);
      balances += Number(std::string_view(line).substr(48, 10));
      interest += Number(std::string_view(line).substr(59, 21));
    }
    const std::string& gross = lines.at(11 + s.securities.size() + s.accounts.size());
    ASSERT_EQ(gross.substr(0, 12), "Gross Assets");
    ASSERT_TRUE(SameMoney(Number(std::string_view(gross).substr(48, 10)), values + balances)) << gross;
    ASSERT_TRUE(SameMoney(Number(std::string_view(gross).substr(59, 21)), dividends + interest)) << gross;
  }
}

DistributionRow Row(std::string lname, std::string fname, std::vector<double> amounts) {
  DistributionRow row;
  row.lname = std::move(lname);
  row.fname = std::move(fname);
  row.dividends = amounts[0];
  row.interest = amounts[1];
  row.short_term = amounts[2];
  row.medium_term = amounts[3];
  row.long_term = amounts[4];
  row.foreign_taxes = amounts[5];
  row.costs = amounts[6];
  return row;
}

TEST(DistributionStatementTextTest, WithoutForeignTaxesSixAmountColumns) {
  EarningsDistribution d;
  d.date = DayNumberFromCivil({2026, 12, 31});
  d.grand_total_units = 300;
  d.total = Row("", "", {120, 30.5, 0, 0, 75.25, 0, 12});
  d.members = {Row("Smith", "Ann", {80, 20.33, 0, 0, 50.17, 0, 8}), Row("Oak Group", "Trust", {40, 10.17, 0, 0, 25.08, 0, 4})};
  d.members[1].group = true;
  EXPECT_THAT(Lines(DistributionStatementText(d, "Elm Street Investors")),
              ElementsAre("Elm Street Investors", "Club Earnings Distribution as of 12/31/2026.", kDashes, " ",
                          "                  Dividend Interest    Short   Medium     Long    Total ",
                          "Name                Income   Income    Gains    Gains    Gains    Costs ", kDashes,
                          "TOTAL               120.00    30.50     0.00     0.00    75.25   -12.00 ",
                          "Smith,A              80.00    20.33     0.00     0.00    50.17    -8.00 ",
                          "Oak GroupT           40.00    10.17     0.00     0.00    25.08    -4.00 ", kDashes));
}

TEST(DistributionStatementTextTest, ForeignTaxesAndAPaidOffMemberAddTheirColumnAndSection) {
  EarningsDistribution d;
  d.date = DayNumberFromCivil({2026, 12, 31});
  d.grand_total_units = 300;
  d.foreign_taxes_column = true;
  d.total = Row("", "", {120, 30.5, 0, 0, 75.25, 3, 12});
  d.paid_off = {Row("Jones", "Bob", {10, 2, 0, 0, 0, 0.5, 1})};
  d.adjusted = Row("", "", {110, 28.5, 0, 0, 75.25, 2.5, 11});
  d.members = {Row("Smith", "Ann", {110, 28.5, 0, 0, 75.25, 2.5, 11})};
  EXPECT_THAT(Lines(DistributionStatementText(d, "Club")),
              ElementsAre("Club", "Club Earnings Distribution as of 12/31/2026.", kDashes, " ",
                          "                  Dividend Interest    Short   Medium     Long  Foreign    Total ",
                          "Name                Income   Income    Gains    Gains    Gains    Taxes    Costs ", kDashes,
                          "TOTAL               120.00    30.50     0.00     0.00    75.25    -3.00   -12.00 ", kDashes,
                          "*Jones,Bob           10.00     2.00     0.00     0.00     0.00    -0.50    -1.00 ", kDashes,
                          "ADJUSTED            110.00    28.50     0.00     0.00    75.25    -2.50   -11.00 ",
                          "Smith,A             110.00    28.50     0.00     0.00    75.25    -2.50   -11.00 ", kDashes,
                          " ", "* Indicates a paid off member"));
}

TEST(DistributionStatementTextTest, NoUnitsInTheMonthSaysSoAndNothingElse) {
  EarningsDistribution d;
  d.date = DayNumberFromCivil({2026, 12, 31});
  EXPECT_THAT(Lines(DistributionStatementText(d, "Club")),
              ElementsAre("Club", "Club Earnings Distribution as of 12/31/2026.", kDashes, " ",
                          "No Distributions are available for the report date."));
}

TEST(VoteStatementTextTest, EveryLine) {
  MembershipVote vote;
  vote.date = DayNumberFromCivil({2026, 3, 31});
  vote.unit_value = 12.345;
  vote.total_units = 300;
  vote.members = {{"Ann Smith", 100}, {"Oak Group", 200}};
  EXPECT_THAT(Lines(VoteStatementText(vote, "Elm Street Investors")),
              ElementsAre("Elm Street Investors", "Membership Voting Percentages as of 03/31/2026.", kDashes, " ",
                          "Name                                   Units       Value  Percentage ", kDashes,
                          "Ann Smith                            100.000    $1234.50      33.33% ",
                          "Oak Group                            200.000    $2469.00      66.67% ", kDashes));
}

TEST(VoteStatementTextTest, NoUnitsSaysSo) {
  MembershipVote vote;
  vote.date = DayNumberFromCivil({2026, 3, 31});
  EXPECT_THAT(Lines(VoteStatementText(vote, "Club")),
              ElementsAre("Club", "Membership Voting Percentages as of 03/31/2026.", kDashes, " ",
                          "No Member Assets on record for specified date."));
}

TEST(RosterStatementTextTest, PhonesEmailAndPlaceholders) {
  TMemberRec ann;
  ann.lname = "Smith";
  ann.fname = "Ann";
  ann.addr = "12 Elm St";
  ann.city = "Springfield";
  ann.state = "IL";
  ann.zip = "62701";
  ann.hphone = "555-0100";
  ann.wphone = "Work Phone";
  ann.fphone = "555-0199";
  ann.ophone = "Other Phone";
  ann.email = "ann@example.com";
  TMemberRec oak;
  oak.mtype = 'G';
  oak.lname = "Oak Group";
  oak.addr = "Address";
  oak.hphone = "Home Phone";
  oak.wphone = "Work Phone";
  oak.fphone = "Fax Phone";
  oak.ophone = "Other Phone";
  oak.email = "Email Address";
  TMemberRec bob;
  bob.lname = "Jones";
  bob.fname = "Bob";
  bob.city = "Salem";
  bob.state = "OR";
  bob.zip = "97301";
  bob.ophone = "555-0111";
  bob.email = "bob@example.com";
  TMemberRec cy = bob;
  cy.fname = "Cy";
  cy.ophone = "Other Phone";
  EXPECT_THAT(
      Lines(RosterStatementText({ann, oak, bob, cy}, "Elm Street Investors")),
      ElementsAreArray(std::vector<std::string>{
          "Elm Street Investors", "Membership Roster", kDashes, " ",
          "Name                             Address                        Phone            ", kDashes,
          "Ann Smith                        12 Elm St                      (H)555-0100      ",
          "                                 Springfield, IL 62701          (W)              ",
          "                                 ann@example.com                (F)555-0199      ", " ",
          // Placeholders still give the (H) and (W) fields, empty.
          "Oak Group                                                       (H)              ",
          "                                 ,                              (W)              ", " ",
          "Bob Jones                                                       (H)              ",
          "                                 Salem, OR 97301                (W)              ",
          "                                 bob@example.com                (O)555-0111      ", " ",
          "Cy Jones                                                        (H)              ",
          "                                 Salem, OR 97301                (W)              ",
          "                                 bob@example.com                                 ", " ",
          std::string(80, '=')}));
}

}  // namespace
}  // namespace pellmark::reports::testing
