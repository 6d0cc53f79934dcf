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
#include <map>
#include <set>
#include <random>

#include "books/books_check.h"
#include "cli/cli_runner.h"
#include "club/keys.h"
#include "club/record_kinds.h"
#include "interchange/club_export.h"
#include "interchange/club_files.h"
#include "interchange/club_import.h"
#include "store/whole_files.h"
#include "valuation/statement_file.h"
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

// Every breach Check Books finds, as text.
std::vector<std::string> Breaches(ClubSession& club) {
  std::vector<std::string> texts;
  for (const BooksBreach& breach : CheckBooks(club)) texts.push_back(breach.text);
  return texts;
}

// The statement files of a folder by name, decoded.
std::map<std::string, valuation::Statement> Statements(const fs::path& folder) {
  std::map<std::string, valuation::Statement> statements;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (interchange::IsStatementFile(entry.path())) {
      const std::string name = entry.path().filename().string();
      statements.emplace(name, valuation::DecodeStatement(ReadFile(entry.path()), name));
    }
  }
  return statements;
}

// A statement made from the imported books lists what the one the valuation
// wrote in the original club listed, to the 6-byte reals a statement holds.
void ExpectSameStatement(const valuation::Statement& original, const valuation::Statement& imported,
                         const std::string& name) {
  auto near = [](double a, double b) { return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(a)); };
  EXPECT_EQ(imported.date, original.date) << name;
  EXPECT_EQ(imported.unit_id, original.unit_id) << name;
  ASSERT_TRUE(imported.summary && original.summary) << name;
  EXPECT_TRUE(near(imported.summary->new_unit_value, original.summary->new_unit_value)) << name;
  EXPECT_TRUE(near(imported.summary->previous_unit_value, original.summary->previous_unit_value)) << name;
  EXPECT_TRUE(near(imported.summary->total_value, original.summary->total_value)) << name;
  EXPECT_TRUE(near(imported.summary->total_units, original.summary->total_units)) << name;
  ASSERT_EQ(imported.members.size(), original.members.size()) << name;
  for (std::size_t i = 0; i < original.members.size(); ++i) {
    EXPECT_EQ(imported.members[i].name, original.members[i].name) << name;
    EXPECT_TRUE(near(imported.members[i].units, original.members[i].units)) << name << " " << original.members[i].name;
  }
  ASSERT_EQ(imported.securities.size(), original.securities.size()) << name;
  for (std::size_t i = 0; i < original.securities.size(); ++i) {
    EXPECT_EQ(imported.securities[i].name, original.securities[i].name) << name;
    EXPECT_TRUE(near(imported.securities[i].shares, original.securities[i].shares)) << name;
    EXPECT_TRUE(near(imported.securities[i].price, original.securities[i].price)) << name;
  }
  ASSERT_EQ(imported.accounts.size(), original.accounts.size()) << name;
  for (std::size_t i = 0; i < original.accounts.size(); ++i) {
    EXPECT_EQ(imported.accounts[i].name, original.accounts[i].name) << name;
    EXPECT_TRUE(near(imported.accounts[i].balance, original.accounts[i].balance)) << name;
  }
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
  EXPECT_THAT(Breaches(b), ::testing::IsEmpty());
  first.Close();
  second.Close();
  // Each official valuation of the original has its statement in the copy,
  // made from the imported books; the original's test statements do not travel.
  std::map<std::string, valuation::Statement> official = Statements(original);
  std::erase_if(official, [](const auto& named) { return !named.second.unit_id || *named.second.unit_id < 0; });
  const std::map<std::string, valuation::Statement> made = Statements(copy);
  ASSERT_FALSE(official.empty());
  ASSERT_EQ(made.size(), official.size());
  for (const auto& [name, statement] : official) {
    ASSERT_TRUE(made.contains(name)) << name;
    ExpectSameStatement(statement, made.at(name), name);
  }
}

TEST(ImportRoundTrip, DemoClubExportedAndImportedIntoAnEmptyFolderHasEveryRecordEqual) { ExpectRoundTrip({}); }

TEST(ImportRoundTrip, TwentyYearDemoClubToo) { ExpectRoundTrip({"--years", "20"}); }

// Two clubs made through the command line: the source, valued twice and
// exported; the target, holding data with an official and a test statement,
// a statement file of another name and a file that is no statement.
class ImportOverStatements : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const fs::path& club : {source, target}) fs::create_directories(club);
    const std::vector<std::vector<std::string>> source_lines = {
        {"init", "--name", "Elm", "--year", "2026", "--start-unit", "10"},
        {"member", "add", "--last", "Smith", "--first", "Ann"},
        {"member", "add", "--last", "Jones", "--first", "Bob"},
        {"dues", "--date", "02/01/2026", "--all", "50"},
        {"security", "add", "Acme Corp", "--symbol", "ACME"},
        {"buy", "Acme Corp", "4", "12.50", "--date", "02/10/2026"},
        {"price", "Acme Corp", "14", "--date", "03/30/2026"},
        {"--yes", "valuation", "official", "03/31/2026"},
        {"dues", "--date", "04/01/2026", "--all", "25"},
        {"--yes", "valuation", "official", "06/30/2026"},
        {"export", file.string()}};
    for (const auto& line : source_lines) ASSERT_EQ(cli::RunInClub(source, line).status, cli::kDone) << line[0];
    const std::vector<std::vector<std::string>> target_lines = {
        {"init", "--name", "Oak", "--year", "2026", "--start-unit", "20"},
        {"member", "add", "--last", "Brown", "--first", "Cy"},
        {"dues", "--date", "02/01/2026", "--all", "80"},
        {"--yes", "valuation", "official", "05/29/2026"},
        {"--yes", "valuation", "test", "07/15/2026"}};
    for (const auto& line : target_lines) ASSERT_EQ(cli::RunInClub(target, line).status, cli::kDone) << line[0];
    WriteFile(target / "V01011999.STM", "not even a statement");
    WriteFile(target / "notes.txt", "kept");
  }

  std::set<std::string> FileNames(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.is_regular_file()) names.insert(entry.path().filename().string());
    }
    return names;
  }

  std::map<std::string, std::string> StatementBytes(const fs::path& folder) {
    std::map<std::string, std::string> bytes;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (interchange::IsStatementFile(entry.path())) bytes[entry.path().filename().string()] = ReadFile(entry.path());
    }
    return bytes;
  }

  TempFolder folder;
  fs::path source = folder.Path() / "source";
  fs::path target = folder.Path() / "target";
  fs::path file = folder.Path() / "pellmark95.txt";
};

TEST_F(ImportOverStatements, TheReplacedClubsStatementsGoAndEachImportedValuationGetsItsOwn) {
  ASSERT_EQ(StatementBytes(target).size(), 3u);
  const cli::CliRun run = cli::RunInClub(target, {"--yes", "import", "export", file.string()});
  ASSERT_EQ(run.status, cli::kDone) << run.err;
  const std::set<std::string> names = FileNames(target);
  EXPECT_TRUE(names.contains("notes.txt"));
  std::set<std::string> statements;
  for (const std::string& name : names) {
    if (name.ends_with(".stm") || name.ends_with(".STM")) statements.insert(name);
  }
  EXPECT_EQ(statements, (std::set<std::string>{"V03312026.stm", "V06302026.stm"}));
  const std::map<std::string, valuation::Statement> original = Statements(source);
  const std::map<std::string, valuation::Statement> made = Statements(target);
  for (const auto& [name, statement] : original) ExpectSameStatement(statement, made.at(name), name);
  ScriptedInteraction ui;
  FixedClock clock{DayNumberFromCivil({2026, 12, 7})};
  Books books(target, ui, clock);
  books.Open();
  EXPECT_THAT(Breaches(books.Club()), ::testing::IsEmpty());
  books.Close();
}

TEST_F(ImportOverStatements, ARefusedImportLeavesEveryStatementAsItWas) {
  const std::map<std::string, std::string> before = StatementBytes(target);
  ASSERT_EQ(before.size(), 3u);
  EXPECT_EQ(cli::RunInClub(target, {"--no", "import", "export", file.string()}).status, cli::kRefused);
  EXPECT_EQ(StatementBytes(target), before);
  WriteFile(file, "V2.21\r\n");
  EXPECT_NE(cli::RunInClub(target, {"--yes", "import", "export", file.string()}).status, cli::kDone);
  EXPECT_EQ(StatementBytes(target), before);
  EXPECT_TRUE(FileNames(target).contains("notes.txt"));
}

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
  EXPECT_THAT(Breaches(club), ::testing::IsEmpty());
  books.Close();
}

}  // namespace
}  // namespace pellmark::testing
