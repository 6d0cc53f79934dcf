#include "reports/valuation_statement.h"

#include <map>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "reports/printer_fixture.h"
#include "support/scripted_interaction.h"

namespace pellmark::reports::testing {
namespace {

using ::testing::ElementsAre;
using valuation::Statement;

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

TEST(ValuationStatementRowsTest, SecuritiesTotalsAccountsAndGrossAssets) {
  ValuationStatementReport report(KnownStatement(), "Pellmark Investors", false);
  auto rows = report.Investments();
  // cost = S × B and value = S × Q to the cent, half away from zero; the gain
  // and every total are sums and differences of the printed figures.
  EXPECT_THAT(rows.securities,
              ElementsAre(" |@Acme|100|10.000|1000.00|12.500|1250.01|2.50|250.01|25|4.00| ",
                          " |@Bolt|100.500|20.000|2010.00|18.000|1809.00|-2.00|-201.00|-10|0.00| "));
  EXPECT_EQ(rows.totals, " | | | |3010.00| |3059.01| |49.01|2|4.00| ");
  EXPECT_EQ(rows.sold_dividends, " |Sold Security Dividends| | | | | | | | |6.00| ");
  EXPECT_THAT(rows.accounts, ElementsAre(" |@Brokerage| | | | |250.75| | | |1.25| "));
  // The securities' value and the account balance printed above it.
  EXPECT_EQ(rows.gross_assets, " |Gross Assets| | | | |$3309.76| | | |$11.25| ");
}

TEST(ValuationStatementRowsTest, TotalsAreTheSumsOfThePrintedRowsNeverACentMore) {
  Statement s = KnownStatement();
  s.securities = {{30.5, 31, 0, 10, "Acme"}, {25, 25.75, 0, 3, "Bolt"}};
  s.accounts.clear();
  ValuationStatementReport report(s, "Club", false);
  const auto rows = report.Investments();
  EXPECT_THAT(rows.securities, ElementsAre(" |@Acme|10|30.500|305.00|31.000|310.00|0.50|5.00|2|0.00| ",
                                           " |@Bolt|3|25.000|75.00|25.750|77.25|0.75|2.25|3|0.00| "));
  EXPECT_EQ(rows.totals, " | | | |380.00| |387.25| |7.25|2|0.00| ");
  EXPECT_EQ(rows.gross_assets, " |Gross Assets| | | | |$387.25| | | |$10.00| ");
}

TEST(ValuationStatementRowsTest, DividendsOfTheYearWithinHalfACentOfTheSecuritiesGiveNoSoldRow) {
  Statement s = KnownStatement();
  s.dividends = 4.004;
  ValuationStatementReport report(s, "Club", false);
  EXPECT_EQ(report.Investments().sold_dividends, "");
  EXPECT_EQ(report.Investments().gross_assets, " |Gross Assets| | | | |$3309.76| | | |$5.25| ");
}

TEST(ValuationStatementRowsTest, SortingPutsTheHighestTotalReturnFirstAndKeepsTiesInFileOrder) {
  Statement s = KnownStatement();
  s.securities = {{10, 10, 0, 5, "Flat A"}, {10, 12, 0, 5, "Up"}, {10, 10, 0, 7, "Flat B"}, {10, 8, 5, 5, "Down"}};
  ValuationStatementReport sorted(s, "Club", true);
  std::vector<std::string> names;
  for (const auto& security : sorted.Statement().securities) names.push_back(security.name);
  // Returns: 0, 0.2, 0, -0.1 (the dividend of 5 lifts Down from -0.2).
  EXPECT_THAT(names, ElementsAre("Up", "Flat A", "Flat B", "Down"));
  ValuationStatementReport unsorted(s, "Club", false);
  EXPECT_EQ(unsorted.Statement().securities[0].name, "Flat A");
}

class ValuationStatementLayoutTest : public PrinterTest {
 protected:
  ValuationStatementLayoutTest() {
    printer_.SetFont({"Arial", 10});
    printer_.SetMarginTop(0.25);
    printer_.SetMarginBottom(0.25);
    printer_.SetMarginLeft(0.75);
    printer_.SetMarginRight(0.5);
    printer_.SetWordWrap(false);
  }
  std::vector<std::string> AllTexts(int page) const {
    std::vector<std::string> texts;
    for (const Drawn& d : Texts(page)) {
      if (d.text != " ") texts.push_back(d.text);  // the blank lines of the gaps
    }
    return texts;
  }
  bool Has(int page, const std::string& text) const {
    for (const Drawn& d : Texts(page)) {
      if (d.text == text) return true;
    }
    return false;
  }
  // The fixed device's characters are wider than Arial's, so a long line is cut.
  bool HasStart(int page, const std::string& start) const {
    for (const Drawn& d : Texts(page)) {
      if (d.text.rfind(start, 0) == 0) return true;
    }
    return false;
  }
  pellmark::testing::ScriptedInteraction ui_;
};

TEST_F(ValuationStatementLayoutTest, NonMemberStatementHasTwoSections) {
  ValuationStatementReport report(KnownStatement(), "Pellmark Investors", false);
  ASSERT_TRUE(GenerateReport(report, printer_, ui_));
  EXPECT_EQ(printer_.PageCount(), 1);
  std::vector<std::string> texts = AllTexts(1);
  EXPECT_EQ(texts[0], "Pellmark Investors");
  EXPECT_EQ(texts[1], "Valuation as of 12/31/1999");
  EXPECT_TRUE(Has(1, "1. Investment Summary"));
  EXPECT_TRUE(Has(1, "2. Membership Summary"));
  EXPECT_FALSE(Has(1, "3. Individual Account"));
  EXPECT_TRUE(HasStart(1, "  Total Valuation Units of 100.000 with unit value of $20.50; value has changed from "
                          "previous"));
  EXPECT_TRUE(Has(1, "60.000 at $1230.00"));
  EXPECT_TRUE(Has(1, "Bob Jones"));
}

TEST_F(ValuationStatementLayoutTest, AMembersStatementAddsTheIndividualAccount) {
  ValuationStatementReport report(KnownStatement(), "Club", false);
  report.options.Click(report.MemberItem(2));
  EXPECT_EQ(report.options.Selection(), 2);
  EXPECT_FALSE(report.options.Checked(ValuationStatementReport::kNonMemberTag));
  ASSERT_TRUE(GenerateReport(report, printer_, ui_));
  EXPECT_EQ(AllTexts(1)[1], "Valuation as of 12/31/1999: Prepared for Bob Jones");
  EXPECT_TRUE(Has(1, "3. Individual Account"));
  for (const char* cell : {"$300.00", "40.000", "$820.00", "2.00", "40.00%", "$520.00"}) EXPECT_TRUE(Has(1, cell)) << cell;
}

TEST_F(ValuationStatementLayoutTest, AllMembersGivesOneStatementAPageWithoutABlankLastPage) {
  ValuationStatementReport report(KnownStatement(), "Club", false);
  report.options.Click(2);  // "&All Members"
  ASSERT_TRUE(GenerateReport(report, printer_, ui_));
  ASSERT_EQ(printer_.PageCount(), 2);
  EXPECT_EQ(AllTexts(1)[1], "Valuation as of 12/31/1999: Prepared for Ann Smith");
  EXPECT_EQ(AllTexts(2)[1], "Valuation as of 12/31/1999: Prepared for Bob Jones");
}

TEST_F(ValuationStatementLayoutTest, FiveMembersTakeThreeRowsAndTheToggleDropsThem) {
  Statement s = KnownStatement();
  s.members.clear();
  for (int i = 1; i <= 5; ++i) s.members.push_back({10.0 * i, 0, 0, "M" + std::to_string(i)});
  ValuationStatementReport report(s, "Club", false);
  ASSERT_TRUE(GenerateReport(report, printer_, ui_));
  std::map<int, std::vector<std::string>> rows;  // by height on the page
  for (const Drawn& d : Texts(1)) {
    if (d.text.find(" at $") != std::string::npos || (d.text.size() == 2 && d.text[0] == 'M')) rows[d.y].push_back(d.text);
  }
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_THAT(rows.rbegin()->second, ElementsAre("M5", "50.000 at $1025.00"));

  report.options.Click(1);  // "&Membership Summary" off
  EXPECT_EQ(report.options.Selection(), ValuationStatementReport::kNonMemberTag);
  ASSERT_TRUE(GenerateReport(report, printer_, ui_));
  EXPECT_FALSE(Has(1, "M1"));
  EXPECT_TRUE(HasStart(1, "  Total Valuation Units of 100.000 with unit value of $20.50; value has changed from "
                          "previous"));
}

TEST_F(ValuationStatementLayoutTest, WithoutSecuritiesTheAsterisksSayNothingWasHeld) {
  Statement s = KnownStatement();
  s.securities.clear();
  ValuationStatementReport report(s, "Club", false);
  ASSERT_TRUE(GenerateReport(report, printer_, ui_));
  EXPECT_TRUE(Has(1, "Owned"));  // the header rows stay
  std::string asterisks(29, '*');
  bool found = false;
  for (const Drawn& d : Texts(1)) found = found || d.text.rfind("  " + asterisks + " No Securities Were Held", 0) == 0;
  EXPECT_TRUE(found);
  EXPECT_TRUE(Has(1, "Brokerage"));
  EXPECT_TRUE(Has(1, "Gross Assets"));
}

TEST_F(ValuationStatementLayoutTest, AStatementWithoutSummarySaysReportGenerationFailed) {
  Statement s = KnownStatement();
  s.summary.reset();
  ValuationStatementReport report(s, "Club", false);
  EXPECT_FALSE(GenerateReport(report, printer_, ui_));
  EXPECT_THAT(ui_.Messages(), ElementsAre("Report Generation failed"));
  EXPECT_FALSE(ui_.Busy());
  EXPECT_FALSE(printer_.Building());
}

}  // namespace
}  // namespace pellmark::reports::testing
