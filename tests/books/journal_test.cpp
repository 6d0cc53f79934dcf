// The journal of committed operations, undo and redo: random operations of
// every kind, each undone in turn back to the club as it was before the first
// (every store's items, the club information and every other file of the
// folder as before each operation), then redone to the club after the last;
// the refusals; a damaged journal.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "books/books.h"
#include "books/books_check.h"
#include "cli/cli_runner.h"
#include "club/club_info_file.h"
#include "club/journal.h"
#include "club/view_state.h"
#include "store/whole_files.h"
#include "support/property_seed.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"
#include "valuation/statement_file.h"

namespace pellmark::testing {
namespace {

namespace fs = std::filesystem;
using cli::CliRun;
using cli::RunInClub;
using Line = std::vector<std::string>;

template <class Record>
void DumpTable(Table<Record>& table, std::string& out) {
  table.ForEachKeyed("", [&](const std::string& key, const Record& record) {
    out += key + "=" + EncodeRecord(record) + "\n";
  });
  out += "--\n";
}

// Every store's items (keys and bytes), the club information's bytes and
// every other file of the club folder but the journal, the view state and the
// backup copies an official valuation makes.
std::string Snapshot(const fs::path& club) {
  std::string out;
  {
    ScriptedInteraction ui;
    FixedClock clock(DayNumberFromCivil({2026, 12, 7}));
    Books books(club, ui, clock);
    books.Open();
    ClubSession& s = books.Club();
    DumpTable(s.members, out);
    DumpTable(s.memrecs, out);
    DumpTable(s.securities, out);
    DumpTable(s.stkrecs, out);
    DumpTable(s.prices, out);
    DumpTable(s.accounts, out);
    DumpTable(s.actrecs, out);
    DumpTable(s.categories, out);
    DumpTable(s.unitfile, out);
    books.Close();
  }
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(club)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file() || entry.path().extension() == ".bck" || name == kJournalFileName ||
        name == kViewStateFileName || (entry.path().extension() == ".qdb" && name != kClubInfoFileName)) {
      continue;
    }
    files[name] = store::ReadWholeFile(store::DefaultFileLayer(), entry.path());
  }
  for (const auto& [name, bytes] : files) out += "\n" + name + "=" + bytes;
  return out;
}

std::size_t JournalSize(const fs::path& club) {
  const std::optional<std::string> bytes = store::TryReadWholeFile(store::DefaultFileLayer(), club / kJournalFileName);
  return bytes ? DecodeJournal(*bytes).entries.size() : 0;
}

std::string Breaches(const fs::path& club) {
  ScriptedInteraction ui;
  FixedClock clock(DayNumberFromCivil({2026, 12, 7}));
  Books books(club, ui, clock);
  books.Open();
  std::string text;
  for (const BooksBreach& breach : CheckBooks(books.Club())) text += breach.text + "\n";
  books.Close();
  return text;
}

class JournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    club_ = folder_.Path() / "club";
    fs::create_directories(club_);
    for (const Line& line : std::vector<Line>{
             {"init", "--name", "Elm", "--year", "2026", "--start-unit", "10"},
             {"account", "add", "Broker", "--initial", "500"},
             {"member", "add", "--last", "Adams", "--first", "Pat"},
             {"member", "add", "--last", "Baker", "--first", "Lee"},
             {"member", "add", "--last", "Cole", "--first", "Kim"},
             {"security", "add", "Acme Corp", "--symbol", "ACME"},
             {"dues", "--date", "01/15/2026", "--all", "100"},
         }) {
      ASSERT_EQ(Run(line).status, cli::kDone) << line.front();
    }
  }

  CliRun Run(const Line& line) { return RunInClub(club_, line); }

  TempFolder folder_;
  fs::path club_;
};

// The name of the first statement of a test valuation in the club folder
// (one with no unit record of its date); empty when none.
std::string FirstStatement(const fs::path& club) {
  std::set<std::string> official;
  {
    ScriptedInteraction ui;
    FixedClock clock(DayNumberFromCivil({2026, 12, 7}));
    Books books(club, ui, clock);
    books.Open();
    books.Club().unitfile.ForEachKeyed("", [&](const std::string&, const TUnitValueRec& unit) {
      official.insert(valuation::StatementFileName(unit.date));
    });
    books.Close();
  }
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(club)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("V") && entry.path().extension() == ".stm" && !official.contains(name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names.empty() ? "" : names.front();
}

// One random operation dated `day` (02/01/2026 + day), as a command line.
Line RandomOperation(std::mt19937& random, int day, const fs::path& club) {
  const std::string date = FormatDate(DayNumberFromCivil({2026, 2, 1}) + day);
  auto amount = [&](int low, int high) { return std::to_string(std::uniform_int_distribution<int>(low, high)(random)); };
  static const char* const kMembers[] = {"Adams, Pat", "Baker, Lee", "Cole, Kim"};
  switch (std::uniform_int_distribution<int>(0, 11)(random)) {
    case 0: return {"deposit", "Cash", amount(5, 300), "--date", date, "--desc", "Gift", "--category", "Member Contributions"};
    case 1: return {"check", "Cash", amount(1, 40), "--date", date, "--desc", "Post", "--number", amount(100, 999), "--category", "Operating Expenses"};
    case 2: return {"transfer", "Cash", "Broker", amount(1, 50), "--date", date, "--desc", "Fund"};
    case 3: return {"--yes", "dues", "--date", date, "--all", amount(10, 80)};
    case 4: return {"--yes", "payoff", kMembers[day % 3], amount(1, 20), "--date", date};
    case 5: return {"buy", "Acme Corp", amount(50, 400), amount(10, 30), "--date", date};
    case 6: return {"sell", "Acme Corp", amount(5, 60), amount(10, 30), "--date", date};
    case 7: return {"--yes", "split", "Acme Corp", "2", "1", "--date", date};
    case 8: return {"price", "Acme Corp", amount(10, 40), "--date", date};
    case 9: return {"--yes", "valuation", "official", date};
    case 10:
      // A test valuation's statement: deleting an official one is a breach Check Books reports.
      if (const std::string statement = FirstStatement(club); !statement.empty()) {
        return {"--yes", "valuation", "delete", statement};
      }
      return {"--yes", "valuation", "test", date};
    default: return {"--yes", "audit", "01/01/2026"};
  }
}

std::string Text(const Line& line) {
  std::string text;
  for (const std::string& word : line) text += word + " ";
  return text;
}

TEST_F(JournalTest, EveryOperationUndoesToTheBooksBeforeItAndRedoesToTheBooksAfter) {
  const unsigned seed = PropertySeed();
  SCOPED_TRACE("seed " + std::to_string(seed) + " (PELLMARK_SEED replays it)");
  std::mt19937 random(seed);
  std::vector<std::string> states{Snapshot(club_)};
  std::vector<std::string> done;
  std::map<std::string, int> kinds;
  for (int day = 0; done.size() < 24 && day < 200; day += 3) {
    const Line line = RandomOperation(random, day, club_);
    const std::size_t entries = JournalSize(club_);
    const CliRun run = Run(line);
    const std::string now = Snapshot(club_);
    if (run.status != cli::kDone) {
      // A refusal leaves every byte and adds no entry.
      ASSERT_EQ(now, states.back()) << Text(line) << run.err;
      ASSERT_EQ(JournalSize(club_), entries) << Text(line);
      continue;
    }
    // One entry for an operation that changed something, none for one that did not.
    ASSERT_EQ(JournalSize(club_), entries + (now == states.back() ? 0 : 1)) << Text(line);
    if (now == states.back()) continue;
    ++kinds[line[0] == "--yes" ? line[1] : line[0]];
    states.push_back(now);
    done.push_back(Text(line));
  }
  ASSERT_GE(kinds.size(), 8u) << "too few kinds of operation drawn";
  for (std::size_t i = done.size(); i-- > 0;) {
    const CliRun run = Run({"undo"});
    ASSERT_EQ(run.status, cli::kDone) << "undo of " << done[i] << ": " << run.err;
    ASSERT_EQ(Snapshot(club_), states[i]) << "after the undo of " << done[i];
    ASSERT_EQ(Breaches(club_), "") << "after the undo of " << done[i];
  }
  for (std::size_t i = 0; i < done.size(); ++i) {
    const CliRun run = Run({"redo"});
    ASSERT_EQ(run.status, cli::kDone) << "redo of " << done[i] << ": " << run.err;
    ASSERT_EQ(Snapshot(club_), states[i + 1]) << "after the redo of " << done[i];
  }
  EXPECT_EQ(Breaches(club_), "");
  const CliRun nothing = Run({"redo"});
  EXPECT_EQ(nothing.status, cli::kRefused);
  EXPECT_EQ(nothing.err, "There is nothing to redo.\n");
}

TEST_F(JournalTest, UndoPrintsWhatItUndidAndHistoryListsItNewestFirst) {
  ASSERT_EQ(Run({"deposit", "Broker", "50", "--date", "12/01/2026", "--desc", "Gift", "--category",
                 "Member Contributions"}).status, cli::kDone);
  const CliRun history = Run({"history", "--json"});
  ASSERT_EQ(history.status, cli::kDone);
  EXPECT_NE(history.out.find("\"label\": \"Deposit $50.00 to Broker\",\n      \"undoable\": true"), std::string::npos)
      << history.out;
  EXPECT_NE(history.out.find("\"label\": \"Dues - All: 3 members, $300.00\""), std::string::npos) << history.out;
  EXPECT_LT(history.out.find("Deposit $50.00"), history.out.find("Dues - All"));
  const CliRun undo = Run({"undo"});
  EXPECT_EQ(undo.out, "Undo \"Deposit $50.00 to Broker\"\n");
  const CliRun redo = Run({"redo"});
  EXPECT_EQ(redo.out, "Redo \"Deposit $50.00 to Broker\"\n");
}

TEST_F(JournalTest, UndoOfAStatementDeletionPutsBackItsBytesAndRedoRemovesItAgain) {
  ASSERT_EQ(Run({"--yes", "valuation", "official", "03/31/2026"}).status, cli::kDone);
  const fs::path statement = club_ / "V03312026.stm";
  const std::string bytes = store::ReadWholeFile(store::DefaultFileLayer(), statement);
  const std::string before = Snapshot(club_);
  ASSERT_EQ(Run({"--yes", "valuation", "delete", "V03312026.stm"}).status, cli::kDone);
  EXPECT_FALSE(fs::exists(statement));
  const std::string after = Snapshot(club_);
  const CliRun history = Run({"history", "--json"});
  EXPECT_NE(history.out.find("\"label\": \"Delete valuation statement V03312026.stm\",\n      \"undoable\": true"),
            std::string::npos)
      << history.out;
  const CliRun undo = Run({"undo"});
  ASSERT_EQ(undo.status, cli::kDone) << undo.err;
  EXPECT_EQ(undo.out, "Undo \"Delete valuation statement V03312026.stm\"\n");
  EXPECT_EQ(store::ReadWholeFile(store::DefaultFileLayer(), statement), bytes);
  EXPECT_EQ(Snapshot(club_), before);
  EXPECT_EQ(Breaches(club_), "");
  ASSERT_EQ(Run({"redo"}).status, cli::kDone);
  EXPECT_FALSE(fs::exists(statement));
  EXPECT_EQ(Snapshot(club_), after);
  // The unit record stays without its statement, as the deletion left it.
  EXPECT_EQ(Breaches(club_), "The valuation of 03/31/2026 (id 1) has no official statement V03312026.stm.\n");
}

TEST_F(JournalTest, AStatementOutsideTheClubFolderIsRemovedAtOnceAndNotJournaled) {
  const fs::path elsewhere = folder_.Path() / "kept";
  fs::create_directories(elsewhere);
  store::SaveFileAtomically(store::DefaultFileLayer(), elsewhere / "V01312026.stm", "a copy");
  const std::size_t entries = JournalSize(club_);
  const CliRun run = Run({"--yes", "valuation", "delete", (elsewhere / "V01312026.stm").string()});
  ASSERT_EQ(run.status, cli::kDone) << run.err;
  EXPECT_FALSE(fs::exists(elsewhere / "V01312026.stm"));
  EXPECT_EQ(JournalSize(club_), entries);
  // The newest operation of the books is still the one to undo.
  EXPECT_EQ(Run({"undo"}).out, "Undo \"Dues - All: 3 members, $300.00\"\n");
}

TEST_F(JournalTest, UndoToUndoesEveryNewerOperationOneByOne) {
  const std::string before = Snapshot(club_);
  const std::uint64_t dues_entry = [&] {
    const std::string bytes = store::ReadWholeFile(store::DefaultFileLayer(), club_ / kJournalFileName);
    return DecodeJournal(bytes).entries.back().id;
  }();
  ASSERT_EQ(Run({"deposit", "Broker", "50", "--date", "12/01/2026", "--desc", "Gift", "--category",
                 "Member Contributions"}).status, cli::kDone);
  ASSERT_EQ(Run({"transfer", "Cash", "Broker", "20", "--date", "12/02/2026", "--desc", "Fund"}).status, cli::kDone);
  const CliRun undo = Run({"undo", "--to", std::to_string(dues_entry + 1)});
  ASSERT_EQ(undo.status, cli::kDone) << undo.err;
  EXPECT_EQ(undo.out, "Undo \"Transfer $20.00 between Cash and Broker\"\nUndo \"Deposit $50.00 to Broker\"\n");
  const CliRun redo = Run({"redo"});
  EXPECT_EQ(redo.out, "Redo \"Deposit $50.00 to Broker\"\n");
  ASSERT_EQ(Run({"undo"}).status, cli::kDone);
  EXPECT_EQ(Snapshot(club_), before);
}

TEST_F(JournalTest, UndoIsRefusedWhenTheBooksNoLongerHoldWhatTheOperationLeft) {
  ASSERT_EQ(Run({"deposit", "Broker", "50", "--date", "12/01/2026", "--desc", "Gift", "--category",
                 "Member Contributions"}).status, cli::kDone);
  {
    // A change the journal does not see (a program without it).
    ScriptedInteraction ui;
    FixedClock clock(DayNumberFromCivil({2026, 12, 7}));
    Books books(club_, ui, clock);
    books.Open();
    books.Club().SetJournalKept(false);
    TAccountRec broker = *books.Club().accounts.Find("_Broker");
    broker.number = "12-34";
    books.Club().accounts.Put(broker);
    books.Commit();
    books.Close();
  }
  EXPECT_EQ(Breaches(club_),
            "The journal's newest entry \"Deposit $50.00 to Broker\" does not match the books: the item \"_Broker\" of "
            "clubact.qdb was changed without the journal.\n");
  const std::string before = Snapshot(club_);
  const std::size_t entries = JournalSize(club_);
  const CliRun undo = Run({"undo"});
  EXPECT_EQ(undo.status, cli::kRefused);
  EXPECT_EQ(undo.err,
            "Cannot undo \"Deposit $50.00 to Broker\": the item \"_Broker\" of clubact.qdb has changed since.\n");
  EXPECT_EQ(Snapshot(club_), before);
  EXPECT_EQ(JournalSize(club_), entries);
}

TEST_F(JournalTest, UndoStopsAtAnOperationThatCannotBeUndone) {
  const std::string backup = (folder_.Path() / "backup").string();
  fs::create_directories(backup);
  ASSERT_EQ(Run({"backup", backup}).status, cli::kDone);
  ASSERT_EQ(Run({"deposit", "Broker", "50", "--date", "12/01/2026", "--desc", "Gift", "--category",
                 "Member Contributions"}).status, cli::kDone);
  ASSERT_EQ(Run({"--yes", "restore", backup}).status, cli::kDone);
  const std::string before = Snapshot(club_);
  const CliRun undo = Run({"undo"});
  EXPECT_EQ(undo.status, cli::kRefused);
  EXPECT_EQ(undo.err,
            "Cannot undo \"Restore Backup\": the club's files were replaced whole; \"pellmark-cli undo-restore\" puts "
            "back the files from before.\n");
  EXPECT_EQ(Snapshot(club_), before);
  // Nor can undo reach past it.
  const CliRun history = Run({"history"});
  EXPECT_EQ(history.out.find("yes"), std::string::npos) << history.out;
  const CliRun to = Run({"undo", "--to", "1"});
  EXPECT_EQ(to.status, cli::kRefused);
}

TEST_F(JournalTest, AnOperationThatMovesTheOpenYearIsNotUndoneNorPassed) {
  {
    ScriptedInteraction ui;
    FixedClock clock(DayNumberFromCivil({2026, 12, 7}));
    Books books(club_, ui, clock);
    books.Open();
    books.Run([&] {
      books.Club().NameOperation("Close Year 2026");
      books.Club().Info().year = 2027;
      books.Club().WriteClubInfo();
      return true;
    });
    books.Close();
  }
  EXPECT_EQ(Run({"undo"}).err,
            "Cannot undo \"Close Year 2026\": the club's open year has moved since; a year close cannot be undone.\n");
}

TEST_F(JournalTest, AYearCloseMarkedFinalIsNotUndoneNorPassed) {
  {
    ScriptedInteraction ui;
    FixedClock clock(DayNumberFromCivil({2026, 12, 7}));
    Books books(club_, ui, clock);
    books.Open();
    books.Run([&] {
      books.Club().MarkFinalOperation("Close Year 2026", "a year close cannot be undone.");
      books.Club().Info().year = 2027;
      books.Club().WriteClubInfo();
      return true;
    });
    books.Close();
  }
  const CliRun undo = Run({"undo"});
  EXPECT_EQ(undo.err, "Cannot undo \"Close Year 2026\": a year close cannot be undone.\n");
  EXPECT_EQ(Run({"undo", "--to", "3"}).status, cli::kRefused);
}

TEST_F(JournalTest, UndoIsRefusedAfterAResetAndUndoToCannotPassIt) {
  const std::uint64_t dues_entry =
      DecodeJournal(store::ReadWholeFile(store::DefaultFileLayer(), club_ / kJournalFileName)).entries.back().id;
  ASSERT_EQ(Run({"--yes", "reset"}).status, cli::kDone);
  ASSERT_EQ(Run({"init", "--name", "Elm", "--year", "2026", "--start-unit", "10"}).status, cli::kDone);
  const std::string history = Run({"history", "--json"}).out;
  EXPECT_NE(history.find("\"label\": \"Reset of all club data\",\n      \"undoable\": false"), std::string::npos)
      << history;
  const std::string before = Snapshot(club_);
  EXPECT_EQ(Run({"undo"}).err, "Cannot undo \"Club Information added\": the set-up of a new club cannot be undone.\n");
  // The dues run before the reset is out of reach.
  EXPECT_EQ(Run({"undo", "--to", std::to_string(dues_entry)}).status, cli::kRefused);
  EXPECT_EQ(Snapshot(club_), before);
}

// Right after a reset the club is not set up; its history still shows the
// reset, and undo and redo say why there is nothing they may do.
TEST_F(JournalTest, AfterAResetHistoryUndoAndRedoStillAnswer) {
  ASSERT_EQ(Run({"--yes", "reset"}).status, cli::kDone);
  const CliRun history = Run({"history"});
  EXPECT_EQ(history.status, cli::kDone) << history.err;
  EXPECT_NE(history.out.find("Reset of all club data"), std::string::npos) << history.out;
  const std::string before = Snapshot(club_);
  const CliRun undo = Run({"undo"});
  EXPECT_EQ(undo.status, cli::kRefused);
  EXPECT_EQ(undo.err, "Cannot undo \"Predefined categories\": the set-up of a new club cannot be undone.\n");
  const CliRun redo = Run({"redo"});
  EXPECT_EQ(redo.status, cli::kRefused);
  EXPECT_EQ(redo.err, "There is nothing to redo.\n");
  EXPECT_EQ(Snapshot(club_), before);
  // Every other command still asks for a set-up first.
  EXPECT_EQ(Run({"accounts"}).status, cli::kRefused);
}

TEST_F(JournalTest, TheYearCloseCannotBeUndoneNorPassed) {
  const fs::path club = folder_.Path() / "closing";
  fs::create_directories(club);
  for (const Line& line : std::vector<Line>{
           {"init", "--name", "Oak", "--year", "2025", "--start-unit", "10"},
           {"member", "add", "--last", "Adams", "--first", "Pat"},
           {"--yes", "dues", "--date", "01/02/2025", "--all", "500"},
           {"interest", "Cash", "3.33", "--date", "09/30/2025", "--desc", "Interest"},
           {"--yes", "valuation", "official", "12/31/2025"},
           {"--yes", "close-year"},
       }) {
    const CliRun run = RunInClub(club, line);
    ASSERT_EQ(run.status, cli::kDone) << line.front() << ": " << run.err;
  }
  const std::string before = Snapshot(club);
  const CliRun undo = RunInClub(club, {"undo"});
  EXPECT_EQ(undo.status, cli::kRefused);
  EXPECT_EQ(undo.err,
            "Cannot undo \"Close Year 2025\": the club's open year has moved since; a year close cannot be undone.\n");
  EXPECT_EQ(RunInClub(club, {"undo", "--to", "3"}).status, cli::kRefused);
  EXPECT_EQ(Snapshot(club), before);
}

TEST_F(JournalTest, NothingToUndoOnANewClubAndANewOperationEndsRedo) {
  const fs::path fresh = folder_.Path() / "fresh";
  fs::create_directories(fresh);
  ASSERT_EQ(RunInClub(fresh, {"init", "--name", "Oak", "--year", "2026", "--start-unit", "10"}).status, cli::kDone);
  const CliRun undo = RunInClub(fresh, {"undo"});
  EXPECT_EQ(undo.status, cli::kRefused);
  EXPECT_EQ(undo.err, "Cannot undo \"Club Information added\": the set-up of a new club cannot be undone.\n");
  EXPECT_EQ(RunInClub(fresh, {"redo"}).err, "There is nothing to redo.\n");

  ASSERT_EQ(Run({"undo"}).status, cli::kDone);
  ASSERT_EQ(Run({"deposit", "Broker", "5", "--date", "12/01/2026", "--desc", "Gift", "--category",
                 "Member Contributions"}).status, cli::kDone);
  EXPECT_EQ(Run({"redo"}).err, "There is nothing to redo.\n");
}

// A journal cut short (between entries too) or with bytes flipped never stops
// the club opening and never lets undo reach past the entries it lost.
TEST_F(JournalTest, ADamagedJournalNeverStopsTheOpenNorUndoesAnythingWrong) {
  // Into the account the dues went to: no older entry's images match the books.
  ASSERT_EQ(Run({"deposit", "Cash", "50", "--date", "12/01/2026", "--desc", "Gift", "--category",
                 "Member Contributions"}).status, cli::kDone);
  const std::string now = Snapshot(club_);
  const std::string journal = store::ReadWholeFile(store::DefaultFileLayer(), club_ / kJournalFileName);
  const unsigned seed = PropertySeed();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  for (int trial = 0; trial < 24; ++trial) {
    std::string damaged = journal;
    const std::size_t at = std::uniform_int_distribution<std::size_t>(0, journal.size() - 1)(random);
    if (trial % 2 == 0) {
      damaged.resize(at);
    } else {
      damaged[at] = static_cast<char>(damaged[at] ^ (1 + trial));
    }
    const fs::path copy = folder_.Path() / ("damaged" + std::to_string(trial));
    fs::copy(club_, copy, fs::copy_options::recursive);
    store::SaveFileAtomically(store::DefaultFileLayer(), copy / kJournalFileName, damaged);
    const CliRun history = RunInClub(copy, {"history"});
    ASSERT_EQ(history.status, cli::kDone) << "damage at " << at << ": " << history.err;
    EXPECT_NE(history.out.find("Journal damaged: entries lost"), std::string::npos) << "damage at " << at;
    // Nothing is undone past the entries lost.
    const CliRun undo = RunInClub(copy, {"undo"});
    EXPECT_EQ(undo.status, cli::kRefused) << "damage at " << at;
    EXPECT_EQ(undo.err, "Cannot undo \"Journal damaged: entries lost\": entries of the journal were lost to damage; "
                        "what they changed cannot be undone.\n");
    EXPECT_EQ(Snapshot(copy), now) << "damage at " << at;
    fs::remove_all(copy);
  }
}

}  // namespace
}  // namespace pellmark::testing
