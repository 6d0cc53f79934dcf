#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/cli_runner.h"
#include "club/dates.h"
#include "store/posix_file_layer.h"
#include "support/temp_folder.h"
#include "valuation/statement_file.h"

namespace pellmark::cli {
namespace {

using ::testing::HasSubstr;

class ReportCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RunInClub(folder.Path(), {"init", "--name", "Elm Street Investors", "--year", "1999"}).status, kDone);
    valuation::Statement s;
    s.date = DayNumberFromCivil({1999, 12, 31});
    s.securities = {{10, 12.5, 4, 100, "Acme Widgets"}};
    s.dividends = 4;
    s.accounts = {{250.75, 1.25, "Brokerage"}};
    s.members = {{60, 500, 3, "Ann Smith"}, {40, 300, 2, "Bob Jones"}};
    s.summary = valuation::StatementSummary{20.5, 20, 2050, 100};
    s.unit_id = 2;  // an official statement ends with its trailer
    store::PosixFileLayer files;
    valuation::WriteStatementFile(files, Path("V12311999.stm"), s);
  }
  std::string Path(const char* name) const { return (folder.Path() / name).string(); }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  pellmark::testing::TempFolder folder;
};

TEST_F(ReportCommandTest, WritesTheStatementAsTextWithTheClubsName) {
  CliRun run = RunInClub(folder.Path(), {"report", "valuation", Path("V12311999.stm"), "--text", Path("v.txt")});
  ASSERT_EQ(run.status, kDone) << run.err;
  std::string text = Read(Path("v.txt"));
  EXPECT_EQ(text.rfind("Elm Street Investors\r\n", 0), 0u) << text;
  EXPECT_THAT(text, HasSubstr("Valuation as of 12/31/1999\r\n"));
  EXPECT_THAT(text, HasSubstr(" Acme Widgets             100   10.000  1000.00   12.500  1250.00     2.50   250.00"));
  EXPECT_THAT(text, Not(HasSubstr("Prepared for")));
}

TEST_F(ReportCommandTest, TextModeHoldsEveryHeadingAndTheWholeChangeLine) {
  CliRun run = RunInClub(folder.Path(), {"report", "valuation", Path("V12311999.stm"), "--text", Path("v.txt"),
                                         "--member", "Ann Smith"});
  ASSERT_EQ(run.status, kDone) << run.err;
  std::string text = Read(Path("v.txt"));
  EXPECT_THAT(text, HasSubstr(" Total Contributions Total Units Owned Total Valuation Total Earnings "
                              "Percent Ownership Total Net Profit "));
  EXPECT_THAT(text, HasSubstr("with unit value of $20.50; value has changed from previous statement by 2.50%\r\n"));
}

// The statement is looked for in the club folder, a member is named as every
// other command names one, and without a club the report is refused.
TEST_F(ReportCommandTest, NamesAsOtherCommandsTakeThem) {
  CliRun by_name = RunInClub(folder.Path(), {"report", "valuation", "V12311999.stm", "--text", Path("v.txt"),
                                             "--member", "Smith, Ann"});
  ASSERT_EQ(by_name.status, kDone) << by_name.err;
  EXPECT_THAT(Read(Path("v.txt")), HasSubstr("Valuation as of 12/31/1999: Prepared for Ann Smith\r\n"));
  EXPECT_EQ(RunInClub(folder.Path(), {"report", "valuation", "V12311999.stm", "--text", Path("w.txt"), "--member",
                                      "Bob Jones"})
                .status,
            kDone);
  EXPECT_EQ(RunInClub(folder.Path(), {"report", "valuation", "V01011999.stm", "--text", Path("x.txt")}).status, kUsage);
  pellmark::testing::TempFolder not_a_club;
  CliRun no_club = RunInClub(not_a_club.Path(), {"report", "valuation", Path("V12311999.stm"), "--text", Path("y.txt")});
  EXPECT_EQ(no_club.status, kRefused);
  EXPECT_EQ(no_club.err, not_a_club.Path().string() + " is not a club folder; `pellmark-cli init` sets one up\n");
  EXPECT_EQ(RunInClub(not_a_club.Path() / "none", {"report", "valuation", Path("V12311999.stm"), "--text",
                                                   Path("z.txt")})
                .status,
            kUsage);
}

TEST_F(ReportCommandTest, WritesAllMembersAsAPdfOfOnePageEach) {
  CliRun run = RunInClub(folder.Path(), {"report", "valuation", Path("V12311999.stm"), "--pdf", Path("v.pdf"),
                                         "--all-members"});
  ASSERT_EQ(run.status, kDone) << run.err;
  std::string text = PdfText(Path("v.pdf"));
  ASSERT_FALSE(text.empty()) << "pdftotext (poppler-utils) is missing: run scripts/install-deps";
  std::vector<std::string> pages;
  std::stringstream split(text);
  for (std::string page; std::getline(split, page, '\f');) {
    if (!page.empty()) pages.push_back(page);
  }
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_THAT(pages[0], HasSubstr("Elm Street Investors"));
  EXPECT_THAT(pages[0], HasSubstr("Valuation as of 12/31/1999: Prepared for Ann Smith"));
  EXPECT_THAT(pages[1], HasSubstr("Valuation as of 12/31/1999: Prepared for Bob Jones"));
  EXPECT_THAT(pages[1], HasSubstr("$820.00"));
}

TEST_F(ReportCommandTest, AMemberNotInTheStatementIsRefused) {
  CliRun run = RunInClub(folder.Path(), {"report", "valuation", Path("V12311999.stm"), "--text", Path("v.txt"),
                                         "--member", "Carl Nobody"});
  EXPECT_EQ(run.status, kRefused);
  EXPECT_EQ(run.err, "Member Carl Nobody is not in this statement.\n");
  EXPECT_EQ(RunInClub(folder.Path(), {"report", "valuation", Path("V12311999.stm")}).status, kUsage);
}

TEST_F(ReportCommandTest, ADamagedStatementIsAFileErrorAndWritesNothing) {
  std::string bytes = Read(Path("V12311999.stm"));
  std::ofstream(Path("V01011999.stm"), std::ios::binary) << bytes.substr(0, bytes.size() - 3);
  CliRun run = RunInClub(folder.Path(), {"report", "valuation", Path("V01011999.stm"), "--pdf", Path("d.pdf")});
  EXPECT_EQ(run.status, kFileError);
  EXPECT_EQ(run.err,
            "pellmark-cli: Valuation statement V01011999.stm is damaged: its length is not a whole number of 51-byte "
            "records.\n");
  EXPECT_FALSE(std::ifstream(Path("d.pdf")).good());
}

// A German locale writes "3,50" for 3.5: generated into a folder of its own
// when the machine has none, and made the locale of the environment, which the
// PDF writer's Qt takes over into the C library.
class CommaDecimalLocale {
 public:
  CommaDecimalLocale() {
    const char* name = "de_DE.UTF-8";
    if (std::setlocale(LC_ALL, name) == nullptr) {
      const std::string command = "localedef -i de_DE -f UTF-8 '" + (folder_.Path() / name).string() + "' 2>/dev/null";
      if (std::system(command.c_str()) != 0) return;
      setenv("LOCPATH", folder_.Path().c_str(), 1);
    }
    setenv("LC_ALL", name, 1);
    made_ = std::setlocale(LC_ALL, "") != nullptr && std::string(std::localeconv()->decimal_point) == ",";
  }
  ~CommaDecimalLocale() {
    unsetenv("LC_ALL");
    unsetenv("LOCPATH");
    std::setlocale(LC_ALL, "C");
  }
  bool made() const { return made_; }

 private:
  pellmark::testing::TempFolder folder_;
  bool made_ = false;
};

TEST_F(ReportCommandTest, APdfUnderACommaDecimalLocaleHasItsColumnsAndSigns) {
  valuation::Statement s;
  s.date = DayNumberFromCivil({1999, 11, 30});
  s.securities = {{10, 12.5, 4, 100, "Acme Widgets"}, {12.5, 6.51, 0, 1, "Bolt Energy"}};
  s.dividends = 4;
  s.accounts = {{250.75, 1.25, "Brokerage"}};
  s.members = {{100, 800, 0, "Ann Smith"}};
  s.summary = valuation::StatementSummary{15.07, 20, 1507.26, 100};
  s.unit_id = 1;
  store::PosixFileLayer files;
  valuation::WriteStatementFile(files, Path("V11301999.stm"), s);

  std::string text;
  {
    CommaDecimalLocale german;
    ASSERT_TRUE(german.made()) << "no de_DE locale and localedef could not make one";
    CliRun run = RunInClub(folder.Path(), {"report", "valuation", Path("V11301999.stm"), "--pdf", Path("de.pdf")});
    ASSERT_EQ(run.status, kDone) << run.err;
  }
  text = PdfText(Path("de.pdf"));
  ASSERT_FALSE(text.empty()) << "pdftotext (poppler-utils) is missing: run scripts/install-deps";
  EXPECT_THAT(text, HasSubstr("Acme Widgets"));
  EXPECT_THAT(text, HasSubstr("Bolt Energy"));
  EXPECT_THAT(text, HasSubstr("1250.00"));
  EXPECT_THAT(text, HasSubstr("-5.99"));
  EXPECT_THAT(text, HasSubstr("Gross Assets"));
  EXPECT_THAT(text, Not(HasSubstr("5,99")));
}

}  // namespace
}  // namespace pellmark::cli
