// The text import end to end: the export of the demo clubs read back into an
// empty folder gives the same records (the export of the import is the same
// file byte for byte, and every record equals the original's to the export's
// fifteen digits); damage of any one line is refused with the file, the line
// and what was wrong, the club unchanged; a club holding data is asked
// first; the first version's dates, flags, one city/state/zip field and the
// corrections that keep its balances.
#include "interchange/text_import.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "books/books_check.h"
#include "cli/cli_runner.h"
#include "club/keys.h"
#include "club/record_kinds.h"
#include "interchange/club_export.h"
#include "interchange/club_import.h"
#include "store/whole_files.h"
#include "support/ledger_fixture.h"
#include "support/property_seed.h"

namespace pellmark::testing {
namespace {

namespace fs = std::filesystem;
using interchange::ImportSource;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string ReadFile(const fs::path& file) { return store::ReadWholeFile(store::DefaultFileLayer(), file); }

void WriteFile(const fs::path& file, std::string_view bytes) {
  store::SaveFileAtomically(store::DefaultFileLayer(), file, bytes);
}

// Doubles travel with fifteen significant digits.
bool SameNumber(double a, double b) { return a == b || std::fabs(a - b) <= 1e-14 * std::max(std::fabs(a), std::fabs(b)); }

template <class Record>
void ExpectSameRecords(Table<Record>& original, Table<Record>& imported) {
  ASSERT_EQ(original.Count(), imported.Count()) << Record::kName;
  for (int i = 0; i < original.Count(); ++i) {
    ASSERT_EQ(original.KeyAt(i), imported.KeyAt(i)) << Record::kName;
    const Record a = original.At(i);
    const Record b = imported.At(i);
    for (const auto& field : Record::Layout()) {
      std::visit(
          [&](auto member) {
            using Value = std::remove_cvref_t<decltype(a.*member)>;
            if constexpr (std::is_same_v<Value, double>) {
              EXPECT_TRUE(SameNumber(a.*member, b.*member))
                  << Record::kName << " " << original.KeyAt(i) << " " << field.name << ": " << a.*member << " against "
                  << b.*member;
            } else {
              EXPECT_EQ(a.*member, b.*member) << Record::kName << " " << original.KeyAt(i) << " " << field.name;
            }
          },
          field.member);
    }
  }
}

// The breaches a club has after an import, but for the statements no export carries.
std::vector<std::string> BreachesButStatements(ClubSession& club) {
  std::vector<std::string> texts;
  for (const BooksBreach& breach : CheckBooks(club)) {
    if (breach.text.find("has no official statement") == std::string::npos) texts.push_back(breach.text);
  }
  return texts;
}

void ExpectRoundTrip(const std::vector<std::string>& demo_options) {
  TempFolder folder;
  const fs::path original = folder.Path() / "demo";
  std::vector<std::string> demo = {"--today", "12/07/2026", "demo", original.string()};
  demo.insert(demo.end(), demo_options.begin(), demo_options.end());
  ASSERT_EQ(cli::RunLine(demo).status, cli::kDone);
  const fs::path file = folder.Path() / "pellmark95.txt";
  ASSERT_EQ(cli::RunInClub(original, {"export", file.string()}).status, cli::kDone);

  const fs::path copy = folder.Path() / "copy";
  fs::create_directories(copy);
  const cli::CliRun imported = cli::RunInClub(copy, {"import", "export", file.string()});
  ASSERT_EQ(imported.status, cli::kDone) << imported.err;
  EXPECT_THAT(imported.out, HasSubstr("member transactions"));
  const fs::path again = folder.Path() / "again.txt";
  ASSERT_EQ(cli::RunInClub(copy, {"export", again.string()}).status, cli::kDone);
  EXPECT_TRUE(ReadFile(again) == ReadFile(file)) << "the export of the imported club differs";

  ScriptedInteraction ui;
  FixedClock clock{DayNumberFromCivil({2026, 12, 7})};
  Books first(original, ui, clock), second(copy, ui, clock);
  first.Open();
  second.Open();
  ClubSession& a = first.Club();
  ClubSession& b = second.Club();
  ExpectSameRecords(a.members, b.members);
  ExpectSameRecords(a.memrecs, b.memrecs);
  ExpectSameRecords(a.securities, b.securities);
  ExpectSameRecords(a.stkrecs, b.stkrecs);
  ExpectSameRecords(a.prices, b.prices);
  ExpectSameRecords(a.accounts, b.accounts);
  ExpectSameRecords(a.actrecs, b.actrecs);
  ExpectSameRecords(a.categories, b.categories);
  ExpectSameRecords(a.unitfile, b.unitfile);
  TClubInfoRec info_a = a.Info(), info_b = b.Info();
  // The export writes 0 for these two flags whatever the club holds.
  info_a.dues = info_a.stks = false;
  for (const auto& field : TClubInfoRec::Layout()) {
    std::visit(
        [&](auto member) {
          using Value = std::remove_cvref_t<decltype(info_a.*member)>;
          if constexpr (std::is_same_v<Value, double>) {
            EXPECT_TRUE(SameNumber(info_a.*member, info_b.*member)) << field.name;
          } else {
            EXPECT_EQ(info_a.*member, info_b.*member) << field.name;
          }
        },
        field.member);
  }
  EXPECT_THAT(BreachesButStatements(b), ::testing::IsEmpty());
  first.Close();
  second.Close();
}

TEST(ImportRoundTrip, DemoClubExportedAndImportedIntoAnEmptyFolderHasEveryRecordEqual) { ExpectRoundTrip({}); }

TEST(ImportRoundTrip, TwentyYearDemoClubToo) { ExpectRoundTrip({"--years", "20"}); }

// A club with a member, a dues payment, a purchase and a price, exported to text.
class TextImport : public ClubFixture {
 protected:
  void SetUp() override {
    ClubFixture::SetUp();
    TMemberRec member;
    member.lname = "Smith";
    member.fname = "Ann";
    member.memid = 1;
    club.members.Put(member);
    club.Commit();
    export_text = interchange::ExportClub(club);
    file = folder.Path() / "pellmark95.txt";
    WriteFile(file, export_text);
  }

  // The store files and the club information as they are on disk after a close.
  std::string ClubBytes() {
    books.Close();
    std::string bytes;
    for (const char* name : kClubStoreFiles) bytes += ReadFile(folder.Path() / name);
    bytes += ReadFile(folder.Path() / "clubinfo.qdb");
    books.Open();
    return bytes;
  }

  std::string export_text;
  fs::path file;
};

TEST_F(TextImport, NoToTheQuestionOfAClubHoldingDataChangesNothing) {
  const std::string before = ClubBytes();
  ui.AnswerNext(interchange::kReplaceDataQuestion, false);
  const interchange::ImportReport report = books.Import(ImportSource::kExport, file);
  EXPECT_TRUE(report.outcome.WasCancelled());
  EXPECT_EQ(ClubBytes(), before);
  EXPECT_THAT(ui.Messages(), ElementsAre(interchange::kReplaceDataQuestion));
}

TEST_F(TextImport, YesReplacesTheClubsDataAndCountsWhatWasRead) {
  TMemberRec other;
  other.lname = "Jones";
  other.memid = 2;
  club.members.Put(other);
  club.Commit();
  ui.AnswerNext(interchange::kReplaceDataQuestion, true);
  const interchange::ImportReport report = books.Import(ImportSource::kExport, file);
  ASSERT_TRUE(report.outcome) << report.outcome.Message();
  EXPECT_EQ(club.members.Keys(), std::vector<std::string>{"_Smith, Ann"});
  EXPECT_EQ(report.counts.front(), (std::pair<std::string, std::size_t>{"members", 1}));
  EXPECT_EQ(ui.Messages().back(), "Data has been imported from " + file.string() + ".");
  EXPECT_EQ(ui.LastProgress(), 0);
}

TEST_F(TextImport, TheCommandLinePrintsTheRecordsReadByKind) {
  books.Close();
  const fs::path copy = folder.Path() / "copy";
  fs::create_directories(copy);
  const cli::CliRun run = cli::RunInClub(copy, {"import", "export", file.string()});
  ASSERT_EQ(run.status, cli::kDone) << run.err;
  EXPECT_EQ(run.out,
            "members                      1\n"
            "member transactions          0\n"
            "securities                   0\n"
            "security transactions        0\n"
            "prices                       0\n"
            "accounts                     1\n"
            "account transactions         0\n"
            "categories                  10\n"
            "unit values                  1\n"
            "club information             1\n");
  EXPECT_EQ(run.err, "Data has been imported from " + file.string() + ".\n");
  // Into a club that holds data the question comes first; --no leaves it as it was.
  const cli::CliRun refused = cli::RunInClub(copy, {"--no", "import", "export", file.string()});
  EXPECT_EQ(refused.status, cli::kRefused);
  books.Open();
}

TEST_F(TextImport, AFirstLineOtherThanV220IsRefusedAndChangesNothing) {
  WriteFile(file, "V2.21" + export_text.substr(5));
  const std::string before = ClubBytes();
  ui.AnswerNext(interchange::kReplaceDataQuestion, true);
  const interchange::ImportReport report = books.Import(ImportSource::kExport, file);
  EXPECT_TRUE(report.outcome.Refused());
  EXPECT_EQ(report.outcome.Message(),
            "Import file not found or incorrect.\npellmark95.txt line 1: the first line is not \"V2.20\"");
  EXPECT_EQ(ClubBytes(), before);
}

TEST_F(TextImport, AMissingFileIsRefused) {
  ui.AnswerNext(interchange::kReplaceDataQuestion, true);
  const interchange::ImportReport report = books.Import(ImportSource::kExport, folder.Path() / "none.txt");
  EXPECT_EQ(report.outcome.Message(),
            "Import file not found or incorrect.\nCould not open " + (folder.Path() / "none.txt").string());
}

// Any one line damaged (a value made no number, a value dropped or added, a
// field renamed, a line cut) is refused naming that line; nothing changes.
TEST_F(TextImport, AnyDamagedLineIsRefusedNamingItsLineAndNothingChanges) {
  const unsigned seed = PropertySeed();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < export_text.size();) {
    const std::size_t end = export_text.find("\r\n", start);
    lines.push_back(export_text.substr(start, end - start));
    start = end + 2;
  }
  const std::string before = ClubBytes();
  for (int round = 0; round < 40; ++round) {
    std::vector<std::string> damaged = lines;
    std::size_t line = 0;
    do {
      line = std::uniform_int_distribution<std::size_t>(1, lines.size() - 1)(random);
    } while (lines[line].starts_with("*** ") || lines[line].find('|') == std::string::npos);
    std::string& text = damaged[line];
    if (lines[line - 1].starts_with("*** ")) {
      text = "nofield" + text.substr(text.find('|'));  // a header naming no field
    } else if (const std::size_t number = text.find("E+"); number != std::string::npos && random() % 2 == 0) {
      text[number] = 'Q';  // a number that is none
    } else {
      text += "|1|1";  // two values more than any line has
    }
    std::string bytes;
    for (const std::string& each : damaged) bytes += each + "\r\n";
    WriteFile(file, bytes);
    ui.AnswerNext(interchange::kReplaceDataQuestion, true);
    const interchange::ImportReport report = books.Import(ImportSource::kExport, file);
    ASSERT_TRUE(report.outcome.Refused()) << "line " << line + 1 << ": " << text;
    EXPECT_THAT(report.outcome.Message(),
                StartsWith("Import file not found or incorrect.\npellmark95.txt line " + std::to_string(line + 1) + ": "))
        << text;
  }
  EXPECT_EQ(ClubBytes(), before);
}

TEST_F(TextImport, ExactMessagesOfDamage) {
  auto refusal = [&](const std::string& bytes) {
    WriteFile(file, bytes);
    ui.AnswerNext(interchange::kReplaceDataQuestion, true);
    return books.Import(ImportSource::kExport, file).outcome.Message();
  };
  const std::string head = "V2.20\r\n*** clubunit.qdb ***\r\nunitval|date|upd|unitid\r\n";
  EXPECT_EQ(refusal(head + " 1.0E+0001| 4.6E+0004|0|x\r\n"),
            "Import file not found or incorrect.\npellmark95.txt line 4: the value \"x\" of unitid is not a whole "
            "number of its range");
  EXPECT_EQ(refusal(head + " 1.0E+0001| 4.6E+0004|0\r\n"),
            "Import file not found or incorrect.\npellmark95.txt line 4: 3 values where the header names 4");
  EXPECT_EQ(refusal(head + " 1.0E+0001| 4.6E+0004|0|1\r\n 2.0E+0001| 4.6E+0004|0|1\r\n"),
            "Import file not found or incorrect.\npellmark95.txt line 5: a second unit value of the key "
            "2025_342_00001 (the first is on line 4)");
  EXPECT_EQ(refusal(head + " 1.0E+0001| 1.0E+0009|0|1\r\n"),
            "Import file not found or incorrect.\npellmark95.txt line 4: the date 1000000000 is not a day between "
            "1900 and 2200");
  EXPECT_EQ(refusal("V2.20\r\n*** clubfoo.qdb ***\r\n"),
            "Import file not found or incorrect.\npellmark95.txt line 2: \"clubfoo.qdb\" is no section of this file");
  // A "|" in a member's name makes one value too many: refused, not shifted into the wrong fields.
  EXPECT_THAT(refusal("V2.20\r\n*** clubmem.qdb ***\r\nlname|fname\r\nSm|ith|Ann\r\n"),
              HasSubstr("line 4: 3 values where the header names 2"));
}

TEST(FirstVersionFields, DatesAndCityStateZip) {
  using interchange::ParseFirstVersionDate;
  EXPECT_EQ(ParseFirstVersionDate("05-JAN-1997"), DayNumberFromCivil({1997, 1, 5}));
  EXPECT_EQ(ParseFirstVersionDate("5-JAN-1997"), DayNumberFromCivil({1997, 1, 5}));
  EXPECT_EQ(ParseFirstVersionDate("31-DEC-2001"), DayNumberFromCivil({2001, 12, 31}));
  EXPECT_EQ(ParseFirstVersionDate("05-Jan-1997"), std::nullopt);
  EXPECT_EQ(ParseFirstVersionDate("30-FEB-1997"), std::nullopt);
  EXPECT_EQ(ParseFirstVersionDate("05-JAN-97"), std::nullopt);
  auto split = [](std::string_view text) {
    const interchange::CityStateZip parts = interchange::SplitCityStateZip(text);
    return parts.city + "|" + parts.state + "|" + parts.zip;
  };
  EXPECT_EQ(split("Springfield, IL 62704"), "Springfield|IL|62704");
  EXPECT_EQ(split("Des Moines IA 50309-1234"), "Des Moines|IA|50309-1234");
  EXPECT_EQ(split("Springfield"), "Springfield|St|Zip Code");
  EXPECT_EQ(split("Springfield 62704"), "Springfield|St|62704");
  EXPECT_EQ(split("A Very Long City Name Indeed OH 44101"), "A Very Long City Nam|OH|44101");
}

// The first version's file: no account transactions, so each account's
// balance is kept by an "Account Correction", and earnings its transactions
// do not explain by a "Total Earnings" transaction, both dated 31 December
// of the year before the open year.
TEST(FirstVersionImport, KeepsBalancesByCorrectionsAndLeavesConsistentBooks) {
  TempFolder folder;
  ScriptedInteraction ui;
  FixedClock clock{DayNumberFromCivil({1998, 6, 1})};
  const fs::path file = folder.Path() / "pellmarkdat.txt";
  WriteFile(file,
            "*** clubinfo.dat ***\r\nclub|addr|year|vunit|date\r\nOld Oaks|1 Main St|1998|10|01-JAN-1998\r\n"
            "*** clubact.dat ***\r\nname|number|bal|ibal|actid|active|trancount\r\n"
            "Cash|123|150.5|0|1|TRUE|0\r\nBank|456|-20|0|2|Y|0\r\n"
            "*** clubmem.dat ***\r\nlname|fname|csz|memid|duescount|totale|active|mtype\r\n"
            "Smith|Ann|Springfield, IL 62704|1|1|12.25|TRUE|P\r\n"
            "*** memrecs.dat ***\r\ndues|cunit|memid|actid|duestran|typ|trandate\r\n"
            "100|10|1|1|0|0|5-JAN-1998\r\n"
            "*** clubunit.dat ***\r\nunitval|date|upd|unitid\r\n10|01-JAN-1998|FALSE|0\r\n");
  Books books(folder.Path(), ui, clock);
  books.Open();
  const interchange::ImportReport report = books.Import(ImportSource::kFirstVersion, file);
  ASSERT_TRUE(report.outcome) << report.outcome.Message();
  ClubSession& club = books.Club();
  EXPECT_THAT(report.corrections, ElementsAre("Account Bank: Account Correction of $20.00",
                                              "Account Cash: Account Correction of $150.50",
                                              "Member Smith, Ann: earnings correction of $12.25"));
  const TAccountRec cash = *club.accounts.Find(NameKey(false, "Cash"));
  EXPECT_DOUBLE_EQ(cash.bal, 150.5);
  const std::vector<TAccountTranRec> register_lines = club.actrecs.Select(OwnerFilter(cash.actid));
  ASSERT_EQ(register_lines.size(), 1u);
  EXPECT_EQ(register_lines[0].desc, "Account Correction");
  EXPECT_EQ(register_lines[0].trandate, DayNumberFromCivil({1997, 12, 31}));
  EXPECT_EQ(register_lines[0].typ, Code(AccountTranKind::Deposit));
  EXPECT_EQ(register_lines[0].catid, Code(PredefinedCategory::OtherIncome));
  const TAccountRec bank = *club.accounts.Find(NameKey(false, "Bank"));
  EXPECT_DOUBLE_EQ(bank.bal, -20);
  EXPECT_EQ(club.actrecs.Select(OwnerFilter(bank.actid)).at(0).catid, Code(PredefinedCategory::NonDeductibleExpenses));
  const TMemberRec smith = club.members.Select("").at(0);
  EXPECT_EQ(smith.city + "|" + smith.state + "|" + smith.zip, "Springfield|IL|62704");
  EXPECT_DOUBLE_EQ(smith.totale, 12.25);
  EXPECT_DOUBLE_EQ(smith.totalc, 100);
  EXPECT_NEAR(smith.tunits, 10, 1e-9);
  EXPECT_EQ(club.categories.Count(), 10);
  EXPECT_THAT(BreachesButStatements(club), ::testing::IsEmpty());
  books.Close();
}

}  // namespace
}  // namespace pellmark::testing
