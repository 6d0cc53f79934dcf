// report charts on the demo club: a PDF of the unit value chart, one chart per
// active member (or the one named) and the holdings, read back with pdftotext.
#include <algorithm>
#include <charconv>
#include <regex>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/cli_runner.h"
#include "club/money.h"
#include "support/temp_folder.h"

namespace pellmark::cli {
namespace {

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::Not;

class ChartCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(RunInClub(folder.Path(), {"demo", folder.Path().string()}).status, kDone); }
  std::string Path(const char* name) { return (folder.Path() / name).string(); }
  std::string Charts(std::vector<std::string> args) {
    args.insert(args.begin(), {"report", "charts", "--pdf", Path("charts.pdf")});
    CliRun run = RunInClub(folder.Path(), args);
    EXPECT_EQ(run.status, kDone) << run.err;
    const std::string text = PdfText(Path("charts.pdf"));
    EXPECT_FALSE(text.empty()) << "pdftotext (poppler-utils) is missing: run scripts/install-deps";
    return text;
  }
  static std::vector<std::string> Pages(const std::string& text) {
    std::vector<std::string> pages(1);
    for (char c : text) {
      if (c == '\f') {
        pages.emplace_back();
      } else {
        pages.back().push_back(c);
      }
    }
    if (pages.back().find_first_not_of(" \n") == std::string::npos) pages.pop_back();
    return pages;
  }
  pellmark::testing::TempFolder folder;
};

double Dollars(std::string text) {
  std::erase(text, ',');
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

TEST_F(ChartCommandTest, EveryActiveMemberHasAPageBetweenTheUnitValueAndTheHoldings) {
  const std::vector<std::string> pages = Pages(Charts({}));
  ASSERT_EQ(pages.size(), 7u);  // the unit value, five members, the holdings
  EXPECT_THAT(pages[0], HasSubstr("Unit Value at Each Official Valuation"));
  EXPECT_THAT(pages[0], HasSubstr("Valuation date"));
  // The heading's date and the date axis's seven ticks.
  const std::regex date(R"(\d\d/\d\d/20\d\d)");
  EXPECT_EQ(std::distance(std::sregex_iterator(pages[0].begin(), pages[0].end(), date), std::sregex_iterator()), 8)
      << pages[0];
  for (const char* member : {"Ann Smith", "Bob Jones", "Maria Garcia", "Wei Chen", "Elm Street Family Trust"}) {
    const bool found = std::any_of(pages.begin() + 1, pages.end() - 1, [&](const std::string& page) {
      return page.find(std::string("Value of ") + member + "'s Units") != std::string::npos;
    });
    EXPECT_TRUE(found) << member;
  }
  // The holdings' total in the title, its first amount in cents, is the sum of
  // the values beside the names (the axis prints whole dollars).
  const std::string& holdings = pages.back();
  ASSERT_THAT(holdings, ContainsRegex("Holdings by Value: \\$[0-9,.]+ in 3 securities"));
  std::vector<double> amounts;
  const std::regex cents(R"(\$([0-9,]+\.[0-9]{2}))");
  for (auto it = std::sregex_iterator(holdings.begin(), holdings.end(), cents); it != std::sregex_iterator(); ++it) {
    amounts.push_back(Dollars((*it)[1]));
  }
  ASSERT_EQ(amounts.size(), 4u) << holdings;
  EXPECT_TRUE(SameMoney(amounts[0], amounts[1] + amounts[2] + amounts[3])) << holdings;
}

TEST_F(ChartCommandTest, TheMemberNamedAloneByEitherName) {
  for (const char* name : {"Smith, Ann", "Ann Smith"}) {
    const std::string text = Charts({"--member", name});
    EXPECT_EQ(Pages(text).size(), 3u) << name;
    EXPECT_THAT(text, HasSubstr("Value of Ann Smith's Units"));
    EXPECT_THAT(text, Not(HasSubstr("Bob Jones")));
  }
  CliRun unknown = RunInClub(folder.Path(), {"report", "charts", "--pdf", Path("x.pdf"), "--member", "Nobody"});
  EXPECT_EQ(unknown.status, kRefused);
  EXPECT_THAT(unknown.err, HasSubstr("Member Nobody is not on file."));
  EXPECT_EQ(RunInClub(folder.Path(), {"report", "charts"}).status, kUsage);
}

}  // namespace
}  // namespace pellmark::cli
