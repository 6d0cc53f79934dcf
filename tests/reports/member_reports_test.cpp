#include <cmath>
#include <numeric>
#include <random>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "club/number_format.h"
#include "reports/dues_report.h"
#include "reports/member_fixture.h"
#include "reports/printer_fixture.h"
#include "reports/roster_report.h"
#include "reports/vote_report.h"
#include "support/property_seed.h"
#include "support/scripted_interaction.h"

namespace pellmark::reports::testing {
namespace {

using ::testing::ElementsAre;
using K = MemberTranKind;

const std::string kRule = "=================|=======|=======|=======|=======|=======|=======|=======|=======|=======|"
                          "=======|=======|=======";

TEST(DuesPaymentsTest, PaymentsOfTheYearUpToTheDateByMonthWithTotals) {
  std::vector<BookMember> book = {
      Person("Ann", "Smith",
             {Tran(K::Payment, Day(2025, 12, 31), 99, 10),   // last year
              Tran(K::Payment, Day(2026, 1, 1), 25, 10),
              Tran(K::Payment, Day(2026, 1, 20), 25.5, 10),
              Tran(K::Fee, Day(2026, 2, 3), 5, 0),           // not a payment
              Tran(K::Payment, Day(2026, 3, 15), 40.125, 10),
              Tran(K::Payment, Day(2026, 7, 1), 77, 10)}),   // after the date
      Person("Bob", "Jones", {}),                            // active, nothing paid
      Person("Cy", "Old", {}, false),                        // hidden, nothing in the year
      Person("Di", "Gone", {Tran(K::Payout, Day(2026, 2, 1), 300, 12)}, false),
  };
  book[1].record.mtype = 'G';
  book[1].record.lname = "Jones Family Tr";
  book[1].record.fname = "ust";
  const DuesPayments dues = ComputeDuesPayments(book, Day(2026, 6, 30));
  EXPECT_THAT(DuesTableRows(dues),
              ElementsAre("Name|JAN|FEB|MAR|APR|MAY|JUN|JUL|AUG|SEP|OCT|NOV|DEC", kRule,
                          "Smith, Ann|50.50| |40.13| | | | | | | | | ",
                          "Jones Family Trust| | | | | | | | | | | | ",
                          "Gone, Di| | | | | | | | | | | | ", kRule,
                          "Totals|50.50|0.00|40.13|0.00|0.00|0.00|0.00|0.00|0.00|0.00|0.00|0.00"));
  EXPECT_DOUBLE_EQ(dues.total, 90.63);
}

TEST(DuesPaymentsTest, TheTotalIsTheSumOfThePrintedMonthTotals) {
  std::mt19937 random(pellmark::testing::PropertySeed());
  std::uniform_int_distribution<int> month(1, 12), cents(1, 99999), kind(0, 3);
  for (int round = 0; round < 50; ++round) {
    std::vector<BookMember> book;
    for (int m = 0; m < 5; ++m) {
      std::vector<TMemberTranRec> trans;
      for (int t = 0; t < 20; ++t) {
        const K k = kind(random) == 0 ? K::Fee : K::Payment;
        // Thousandths of a dollar, so each cell is rounded as it prints.
        trans.push_back(Tran(k, Day(2026, month(random), 1), cents(random) / 1000.0, 10));
      }
      book.push_back(Person("M", std::to_string(m), trans));
    }
    const DuesPayments dues = ComputeDuesPayments(book, Day(2026, 12, 31));
    double printed_total = 0;
    for (std::size_t i = 0; i < 12; ++i) {
      double column = 0;
      for (const DuesMember& m : dues.members) column += std::stod(FormatFixed(m.months[i], 2));
      ASSERT_EQ(FormatFixed(column, 2), FormatFixed(dues.totals[i], 2)) << "seed " << pellmark::testing::PropertySeed();
      printed_total += std::stod(FormatFixed(dues.totals[i], 2));
    }
    ASSERT_EQ(FormatFixed(printed_total, 2), FormatFixed(dues.total, 2)) << "seed " << pellmark::testing::PropertySeed();
  }
}

class MemberReportLayoutTest : public PrinterTest {
 protected:
  std::vector<std::string> AllTexts(int page = 1) const {
    std::vector<std::string> texts;
    for (const Drawn& d : Texts(page)) {
      if (d.text != " ") texts.push_back(d.text);
    }
    return texts;
  }
  pellmark::testing::ScriptedInteraction ui_;
};

TEST_F(MemberReportLayoutTest, DuesReportHeadingTableAndTotalLine) {
  DuesPaymentReport report("Elm Street Investors",
                           ComputeDuesPayments({Person("Ann", "Smith", {Tran(K::Payment, Day(2026, 2, 2), 30, 10)})},
                                               Day(2026, 6, 30)));
  ASSERT_TRUE(GenerateReport(report, printer_, ui_));
  const std::vector<std::string> texts = AllTexts();
  ASSERT_GE(texts.size(), 3u);
  EXPECT_EQ(texts[0], "Elm Street Investors");
  EXPECT_EQ(texts[1], "Membership Dues : 01/01/2026 thru 06/30/2026.");
  EXPECT_EQ(texts.back(), "Total Dues Collected $30.00");
  EXPECT_EQ(report.Caption(), "Dues Payment Report");
  EXPECT_FALSE(report.options.Visible());
}

TEST(RosterTest, PlaceholderTextsCountAsEmpty) {
  BookMember placeholders = Person("Pat", "Blank", {});
  TMemberRec& p = placeholders.record;
  p.addr = "Address";
  p.city = "Springfield";
  p.hphone = "Home Phone";
  p.wphone = "Work Phone";
  p.fphone = "Fax Phone";
  p.ophone = "Other Phone";
  p.email = "Email Address";
  const std::vector<RosterMember> roster = ComputeRoster({placeholders});
  ASSERT_EQ(roster.size(), 1u);
  for (const std::string* field : {&roster[0].address, &roster[0].home, &roster[0].work, &roster[0].fax,
                                   &roster[0].other, &roster[0].email}) {
    EXPECT_EQ(*field, "");
  }
  EXPECT_TRUE(IsBlankField("Email Address"));
  EXPECT_FALSE(IsBlankField("Email"));
}

class RosterRowsTest : public PrinterTest {};

TEST_F(RosterRowsTest, RowsOfEachMemberWithRulesBetween) {
  BookMember full = Person("Ann", "Smith", {});
  full.record.addr = "1 Elm St";
  full.record.city = "Oakdale";
  full.record.state = "CA";
  full.record.zip = "95361";
  full.record.hphone = "555-0101";
  full.record.fphone = "555-0103";
  full.record.ophone = "555-0104";
  full.record.email = "ann@example.com";
  BookMember mail_only = Person("Bob", "Jones", {});
  mail_only.record.email = "bob@example.com";
  mail_only.record.hphone = "Home Phone";
  BookMember placeholders = Person("Pat", "Blank", {});
  placeholders.record.addr = "Address";
  placeholders.record.wphone = "Work Phone";
  placeholders.record.email = "Email Address";
  BookMember hidden = Person("Cy", "Old", {}, false);
  printer_.SetFontSize(8);
  const std::string eq = Filler(printer_, '=', 25) + "|" + Filler(printer_, '=', 54) + "|" + Filler(printer_, '=', 16);
  const std::string dash = Filler(printer_, '-', 25) + "|" + Filler(printer_, '-', 54) + "|" + Filler(printer_, '-', 16);
  ASSERT_FALSE(Filler(printer_, '=', 25).empty());
  EXPECT_THAT(RosterRows(ComputeRoster({full, mail_only, placeholders, hidden}), printer_),
              ElementsAre("Name|Address|Phone", eq,
                          "Ann Smith|1 Elm St, Oakdale, CA 95361|(H)555-0101",
                          " |ann@example.com|(F)555-0103",
                          " | |(O)555-0104", dash,
                          "Bob Jones| | ",
                          " |bob@example.com| ", dash,
                          "Pat Blank| | ", eq));
}

TEST_F(MemberReportLayoutTest, RosterHeading) {
  RosterReport report("Elm Street Investors", ComputeRoster({Person("Ann", "Smith", {})}));
  ASSERT_TRUE(GenerateReport(report, printer_, ui_));
  EXPECT_THAT(AllTexts(), ::testing::Contains("Membership Roster"));
  EXPECT_THAT(AllTexts(), ::testing::Contains("Ann Smith"));
  EXPECT_EQ(report.Kind(), 8);
}

TEST(VoteTest, UnitsAsOfTheDateAtTheUnitValueInForce) {
  std::vector<BookMember> book = {
      Person("Ann", "Smith", {Tran(K::Payment, Day(2026, 1, 5), 100, 10), Tran(K::Payment, Day(2026, 8, 5), 100, 10)}),
      Person("Bob", "Jones", {Tran(K::Payment, Day(2026, 1, 5), 300, 10), Tran(K::Payout, Day(2026, 5, 1), 100, 10)}),
      Person("Cy", "Late", {Tran(K::Payment, Day(2026, 7, 1), 50, 10)}),  // nothing yet on the date
  };
  // The stored totals are those of every transaction.
  book[0].record.tunits = 20;
  book[1].record.tunits = 20;
  book[2].record.tunits = 5;
  const MemberVote vote = ComputeVote(book, 12.5, Day(2026, 6, 30));
  ASSERT_EQ(vote.members.size(), 2u);
  EXPECT_DOUBLE_EQ(vote.total_units, 30);
  EXPECT_THAT(VoteRows(vote), ElementsAre("Ann Smith|10.000|$125.00|33.33%", " | | | ", "Bob Jones|20.000|$250.00|66.67%"));
}

TEST(VoteTest, PrintedPercentagesAlwaysAddUpToOneHundred) {
  const unsigned seed = pellmark::testing::PropertySeed();
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> members(1, 60), units(1, 2000000);
  for (int round = 0; round < 300; ++round) {
    std::vector<BookMember> book;
    const int count = members(random);
    for (int m = 0; m < count; ++m) {
      BookMember member = Person("M", std::to_string(m), {});
      // Equal holdings now and then: the case that rounds to 99.99 naively.
      member.record.tunits = round % 3 == 0 ? 7 : units(random) / 1000.0;
      book.push_back(member);
    }
    const MemberVote vote = ComputeVote(book, 10, Day(2026, 6, 30));
    long long hundredths = 0;
    for (const std::string& row : VoteRows(vote)) {
      if (row == " | | | ") continue;
      const std::string percent = row.substr(row.rfind('|') + 1);
      hundredths += std::llround(std::stod(percent.substr(0, percent.size() - 1)) * 100);
    }
    ASSERT_EQ(hundredths, 10000) << "seed " << seed << " round " << round;
  }
}

TEST(VoteTest, ShareOfHundredFollowsTheWeights) {
  EXPECT_THAT(ShareOfHundred({1, 1, 1}), ElementsAre(3334, 3333, 3333));
  EXPECT_THAT(ShareOfHundred({1, 3}), ElementsAre(2500, 7500));
  EXPECT_THAT(ShareOfHundred({2, 1, 2}), ElementsAre(4000, 2000, 4000));
}

TEST_F(MemberReportLayoutTest, VoteWithoutUnitsSaysSo) {
  VoteReport report("Club", ComputeVote({Person("Cy", "Late", {})}, 10, Day(2026, 6, 30)));
  ASSERT_TRUE(GenerateReport(report, printer_, ui_));
  EXPECT_THAT(AllTexts(), ElementsAre("Club", "Membership Voting Percentages as of 06/30/2026.",
                                      "No Member Assets on record for specified date."));
}

}  // namespace
}  // namespace pellmark::reports::testing
