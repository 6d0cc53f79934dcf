// The two text exports, byte by byte: the number form, every section of the
// club export with its header, the eleventh value of account transactions,
// the literal 0 for "dues" and "stks", the mail labels, and the demo club's
// export against the golden file kept beside the tests.
#include "support/property_seed.h"
#include "interchange/club_export.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <regex>
#include <sstream>

#include "books/crashing_file_layer.h"
#include "cli/cli_runner.h"
#include "club/club_info_file.h"
#include "store/whole_files.h"
#include "support/ledger_fixture.h"

namespace pellmark::testing {
namespace {

namespace fs = std::filesystem;
using interchange::AppendExportNumber;
using ::testing::HasSubstr;
using ::testing::Not;

std::string Number(double value) {
  std::string out;
  AppendExportNumber(out, value);
  return out;
}

TEST(ExportNumber, HasTheTwentyThreeCharacterScientificForm) {
  EXPECT_EQ(Number(25), " 2.50000000000000E+0001");
  EXPECT_EQ(Number(1234.5), " 1.23450000000000E+0003");
  EXPECT_EQ(Number(-0.5), "-5.00000000000000E-0001");
  EXPECT_EQ(Number(0), " 0.00000000000000E+0000");
  EXPECT_EQ(Number(46023), " 4.60230000000000E+0004");
  EXPECT_EQ(Number(1e-300), " 1.00000000000000E-0300");
  EXPECT_EQ(Number(-1.7976931348623157e308), "-1.79769313486232E+0308");
  EXPECT_EQ(Number(0.1), " 1.00000000000000E-0001");
  EXPECT_EQ(Number(9.999999999999999), " 1.00000000000000E+0001");
}

TEST(ExportNumber, AnyDoubleReadsBackToFifteenDigits) {
  const unsigned seed = pellmark::testing::PropertySeed();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-307, 307);
  const std::regex form(R"([ -][0-9]\.[0-9]{14}E[+-][0-9]{4})");
  for (int i = 0; i < 20000; ++i) {
    const double value = mantissa(random) * std::pow(10.0, exponent(random));
    const std::string text = Number(value);
    ASSERT_EQ(text.size(), 23u) << text;
    ASSERT_TRUE(std::regex_match(text, form)) << text;
    char fifteen[40];
    std::snprintf(fifteen, sizeof fifteen, "%.14e", value);
    ASSERT_EQ(std::strtod(text.c_str(), nullptr), std::strtod(fifteen, nullptr)) << value << " as " << text;
  }
}

class ClubExport : public ClubFixture {
 protected:
  std::string Export() { return interchange::ExportClub(club); }

  // The lines of one section: title, header, data lines.
  std::vector<std::string> Section(const std::string& text, const std::string& file) {
    std::vector<std::string> lines;
    const std::size_t at = text.find("*** " + file + " ***\r\n");
    if (at == std::string::npos) return lines;
    std::size_t from = at;
    while (from < text.size()) {
      const std::size_t end = text.find("\r\n", from);
      const std::string line = text.substr(from, end - from);
      if (!lines.empty() && line.starts_with("*** ")) break;
      lines.push_back(line);
      from = end + 2;
    }
    return lines;
  }
};

TEST_F(ClubExport, WritesEverySectionInOrderWithCrLfLines) {
  const std::string text = Export();
  EXPECT_TRUE(text.starts_with("V2.20\r\n*** clubmem.qdb ***\r\n"));
  std::vector<std::size_t> at;
  for (const char* file : {"clubmem.qdb", "memrec.qdb", "clubstk.qdb", "stkrec.qdb", "clubact.qdb", "actrec.qdb",
                           "clubinfo.qdb", "clubunit.qdb", "stkprice.qdb", "clubcat.qdb"}) {
    at.push_back(text.find(std::string("*** ") + file + " ***\r\n"));
    ASSERT_NE(at.back(), std::string::npos) << file;
  }
  EXPECT_TRUE(std::is_sorted(at.begin(), at.end()));
  EXPECT_TRUE(text.ends_with("\r\n"));
  // No line ends without its CR.
  for (std::size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1))
    ASSERT_EQ(text[i - 1], '\r');
}

TEST_F(ClubExport, WritesTheHeadersAndValuesOfTheLayouts) {
  TMemberRec member;
  member.lname = "O|Neil";
  member.fname = "Ann";
  member.addr = "1 \"Elm\" St";
  member.city = "Springfield";
  member.state = "IL";
  member.zip = "62701";
  member.email = "ann@example.com";
  member.tunits = 12.5;
  member.totalc = 125;
  member.totale = -0.5;
  member.memid = 3;
  member.duescount = 2;
  member.mtype = 'P';
  club.members.Put(member);
  TAccountTranRec transfer;
  transfer.trandate = Day(2026, 3, 2);
  transfer.amount = -1234.5;
  transfer.desc = "Fund";
  transfer.checknum = 7;
  transfer.tranid = 4;
  transfer.catid = 10;
  transfer.actid = 1;
  transfer.xferact = 2;
  transfer.typ = 3;
  transfer.updateloc = 1;
  transfer.cancel = true;
  club.actrecs.Put(transfer);
  TSecurityTranRec sale;
  sale.amount = 1000;
  sale.price = 20;
  sale.comm = 9.95;
  sale.trandate = Day(2026, 4, 1);
  sale.transid = 5;
  sale.stranid = 1;
  sale.stkid = 2;
  sale.actid = 1;
  sale.buytran = 0;
  sale.typ = 1;
  sale.sold = true;
  club.stkrecs.Put(sale);
  TPriceRec price;
  price.price = 20.25;
  price.stkid = 2;
  price.tranid = 3;
  price.trandate = Day(2026, 4, 1);
  club.prices.Put(price);
  club.Info().dues = true;
  club.Info().stks = true;
  club.WriteClubInfo();
  books.Commit();

  const std::string text = Export();
  EXPECT_THAT(Section(text, "clubmem.qdb"),
              ::testing::ElementsAre("*** clubmem.qdb ***",
                                     "lname|fname|addr|city|state|zip|idnum|hphone|wphone|fphone|ophone|email|tunits|"
                                     "totalc|totale|memid|duescount|active|mtype",
                                     // The "|" in the name gives one value too many; it is written as is.
                                     "O|Neil|Ann|1 \"Elm\" St|Springfield|IL|62701||||||ann@example.com"
                                     "| 1.25000000000000E+0001| 1.25000000000000E+0002|-5.00000000000000E-0001"
                                     "|3|2|1|P"));
  EXPECT_THAT(Section(text, "actrec.qdb"),
              ::testing::ElementsAre("*** actrec.qdb ***",
                                     "trandate|amount|desc|checknum|tranid|catid|actid|typ|updateloc|cancel",
                                     " 4.60830000000000E+0004|-1.23450000000000E+0003|Fund|7|4|10|1|3|1|1|2"));
  EXPECT_THAT(
      Section(text, "stkrec.qdb"),
      ::testing::ElementsAre("*** stkrec.qdb ***",
                             "amount|price|comm|sold|trandate|transid|stranid|stkid|actid|buytran|typ|tax|compc",
                             " 1.00000000000000E+0003| 2.00000000000000E+0001| 9.95000000000000E+0000|1"
                             "| 4.61130000000000E+0004|5|1|2|1|0|1|0|0"));
  EXPECT_THAT(Section(text, "stkprice.qdb"),
              ::testing::ElementsAre("*** stkprice.qdb ***", "price|stkid|tranid|trandate",
                                     " 2.02500000000000E+0001|2|3| 4.61130000000000E+0004"));
  EXPECT_THAT(Section(text, "clubunit.qdb"),
              ::testing::ElementsAre("*** clubunit.qdb ***", "unitval|date|upd|unitid",
                                     " 2.50000000000000E+0001| 4.60230000000000E+0004|0|0"));
  const std::vector<std::string> categories = Section(text, "clubcat.qdb");
  ASSERT_EQ(categories.size(), 12u);
  EXPECT_EQ(categories[1], "cat|typ|tax|catid");
  EXPECT_THAT(categories, ::testing::Contains("Dividend Income|1|1|2"));
  EXPECT_THAT(categories, ::testing::Contains("Operating Expenses|2|1|8"));
  EXPECT_THAT(Section(text, "clubact.qdb"),
              ::testing::ElementsAre("*** clubact.qdb ***",
                                     "name|number|lstdate|bal|ibal|ostcred|ostdeb|interest|interesty|trancount|lstchk|"
                                     "actid|active",
                                     "Cash|Account Number| 4.63630000000000E+0004| 0.00000000000000E+0000"
                                     "| 0.00000000000000E+0000| 0.00000000000000E+0000| 0.00000000000000E+0000"
                                     "| 0.00000000000000E+0000| 0.00000000000000E+0000|0|-1|1|1"));
  EXPECT_THAT(Section(text, "clubinfo.qdb"),
              ::testing::ElementsAre(
                  "*** clubinfo.qdb ***",
                  "club|addr|dues|stks|sort|vunit|unitind|year|defact|hidacts|hidstks|hidmems|idnum|unitkey|date|updcnt"
                  "|retadr|host|proxy|user|passwd|usepxy|usepas|pxycsh|defstkact|cnthndl|dialup|contyp",
                  // "dues" and "stks" are set in the club, written as 0.
                  "Elm Street Investors|Address, City, Zip|0|0|1| 2.50000000000000E+0001|1|2026|1|0|0|0|Tax ID|0"
                  "| 4.60230000000000E+0004|0||||||0|0|0|1|0||-1"));
}

TEST_F(ClubExport, LeavesOutTheClubInformationWhenItsFileCannotBeRead) {
  const std::string with = Export();
  fs::remove(folder.Path() / kClubInfoFileName);
  const std::string without = Export();
  EXPECT_THAT(without, Not(HasSubstr("clubinfo")));
  const std::size_t from = with.find("*** clubinfo.qdb ***");
  const std::size_t to = with.find("*** clubunit.qdb ***");
  ASSERT_LT(from, to);
  EXPECT_EQ(without, with.substr(0, from) + with.substr(to));
}

TEST_F(ClubExport, ReplacesAnEarlierFileWholeOrNotAtAll) {
  const fs::path file = folder.Path() / interchange::kExportFileName;
  ASSERT_TRUE(books.Export(file));
  EXPECT_EQ(ui.Messages().back(), "Data has been exported to " + file.string() + ".");
  EXPECT_EQ(ui.SoundCount(), 1);
  const std::string good = store::ReadWholeFile(store::DefaultFileLayer(), file);
  EXPECT_EQ(good, Export());

  TMemberRec member;
  member.lname = "Late";
  member.memid = 9;
  club.members.Put(member);
  books.Commit();
  for (int n = 1; n <= 3; ++n) {
    CrashingFileLayer full;
    full.Arm(n, CrashingFileLayer::Mode::kFull);
    store::SetDefaultFileLayer(&full);
    const Outcome outcome = books.Export(file);
    store::SetDefaultFileLayer(nullptr);
    EXPECT_TRUE(outcome.Refused()) << n;
    EXPECT_THAT(ui.Messages().back(), ::testing::StartsWith("Data Export failed\n")) << n;
    EXPECT_THAT(ui.Messages().back(), HasSubstr("No space left on device")) << n;
    EXPECT_EQ(store::ReadWholeFile(store::DefaultFileLayer(), file), good) << n;
    EXPECT_FALSE(fs::exists(file.string() + ".new")) << n;
  }
}

TEST_F(ClubExport, ATargetThatIsNotAPlainFileIsRefusedAndLeftAsItIs) {
  const fs::path directory = folder.Path() / "a folder";
  fs::create_directory(directory);
  const fs::path pipe = folder.Path() / "a pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const fs::path& target : {directory, pipe}) {
    const fs::file_type type = fs::symlink_status(target).type();
    EXPECT_TRUE(books.Export(target).Refused()) << target;
    EXPECT_EQ(ui.Messages().back(), "Data Export failed\n" + target.string() + " is not a regular file; nothing was written.");
    EXPECT_TRUE(books.ExportMailLabels(target).Refused()) << target;
    EXPECT_EQ(ui.Messages().back(), target.string() + " is not a regular file; nothing was written.");
    EXPECT_EQ(fs::symlink_status(target).type(), type) << target;
    EXPECT_FALSE(fs::exists(target.string() + ".new")) << target;
  }
  EXPECT_TRUE(fs::is_empty(directory));
  const fs::path plain = folder.Path() / "labels.csv";
  std::ofstream(plain) << "old";
  EXPECT_TRUE(books.ExportMailLabels(plain));  // a plain file is replaced
}

TEST_F(ClubExport, MailLabelsListTheActiveMembersQuotedAsTheyAre) {
  TMemberRec ann;
  ann.lname = "Smith";
  ann.fname = "Ann";
  ann.addr = "1 \"Elm\" St";
  ann.city = "Springfield";
  ann.state = "IL";
  ann.zip = "62701";
  ann.email = "ann@example.com";
  ann.memid = 1;
  club.members.Put(ann);
  TMemberRec bob = ann;
  bob.lname = "Adams";
  bob.fname = "Bob";
  bob.memid = 2;
  bob.active = false;
  club.members.Put(bob);
  books.Commit();
  const fs::path file = folder.Path() / interchange::kMailLabelFileName;
  ASSERT_TRUE(books.ExportMailLabels(file));
  EXPECT_EQ(store::ReadWholeFile(store::DefaultFileLayer(), file),
            "\"last\",\"first\",\"address\",\"city\",\"state\",\"zip\",\"email\"\r\n"
            "\"Smith\",\"Ann\",\"1 \"Elm\" St\",\"Springfield\",\"IL\",\"62701\",\"ann@example.com\"\r\n");
  EXPECT_EQ(ui.Messages().back(), "Mail label data has been exported to " + file.string() + ".");
}

TEST_F(ClubExport, MailLabelsOfAClubWhoseMembersAreAllHiddenHoldTheHeaderOnly) {
  TMemberRec hidden;
  hidden.lname = "Smith";
  hidden.fname = "Ann";
  hidden.memid = 1;
  hidden.active = false;
  club.members.Put(hidden);
  books.Commit();
  EXPECT_EQ(interchange::ExportMailLabels(club),
            "\"last\",\"first\",\"address\",\"city\",\"state\",\"zip\",\"email\"\r\n");
}

TEST(DemoClubExport, MatchesTheGoldenFile) {
  TempFolder folder;
  const fs::path club = folder.Path() / "demo";
  ASSERT_EQ(cli::RunLine({"--today", "12/07/2026", "demo", club.string()}).status, cli::kDone);
  const fs::path file = folder.Path() / "pellmark95.txt";
  const cli::CliRun run = cli::RunInClub(club, {"export", file.string()});
  ASSERT_EQ(run.status, cli::kDone) << run.err;
  const std::string golden = store::ReadWholeFile(store::DefaultFileLayer(),
                                                  fs::path(PELLMARK_TEST_DATA_DIR) / "interchange" / "demo_export.txt");
  EXPECT_EQ(store::ReadWholeFile(store::DefaultFileLayer(), file), golden);
}

}  // namespace
}  // namespace pellmark::testing
