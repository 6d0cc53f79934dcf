// Every operation is all-or-nothing across the club's stores and the files it
// writes beside them (statements, the club information): the operation runs
// as pellmark-cli (or a session of several commits in-process) in a child
// process that is killed at its n-th file-changing call, for every n (or
// every stride-th, for the big operations; PELLMARK_CRASH_SWEEP=all takes
// every n of every operation); the club is then opened again and must hold
// exactly the books and statements before the operation or after it, Check
// Books (which compares every official statement with its unit record) must
// find no breach, and its folder must hold only the club's files. The same
// with a full disk from the n-th call on, in-process: the command fails naming
// the full disk, and its exit status tells the truth: done when the books are
// those after it, failed when they are those before.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "books/books.h"
#include "books/books_check.h"
#include "books/crashing_file_layer.h"
#include "cli/cli_runner.h"
#include "club/club_info_file.h"
#include "club/club_replace.h"
#include "club/journal.h"
#include "club/view_state.h"
#include "interchange/club_files.h"
#include "store/whole_files.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace pellmark::testing {
namespace {

namespace fs = std::filesystem;
using cli::CliRun;
using cli::RunInClub;

using cli::kDone;
using Line = std::vector<std::string>;


// Every record of every store and the club information, as text.
template <class Record>
void DumpTable(Table<Record>& table, std::string& out) {
  table.ForEachKeyed("", [&](const std::string& key, const Record& record) {
    out += key + "=" + EncodeRecord(record) + "\n";
  });
  out += "--\n";
}

// The books as text, and every breach Check Books finds in them; with the
// journal's entries unless `with_journal` is false.
std::string Dump(const fs::path& club, std::string* breaches = nullptr, bool with_journal = true) {
  ScriptedInteraction ui;
  FixedClock clock(DayNumberFromCivil({2026, 12, 7}));
  Books books(club, ui, clock);
  books.Open();
  ClubSession& s = books.Club();
  if (breaches != nullptr) {
    for (const BooksBreach& breach : CheckBooks(s)) *breaches += breach.text + "\n";
  }
  std::string out;
  DumpTable(s.members, out);
  DumpTable(s.memrecs, out);
  DumpTable(s.securities, out);
  DumpTable(s.stkrecs, out);
  DumpTable(s.prices, out);
  DumpTable(s.accounts, out);
  DumpTable(s.actrecs, out);
  DumpTable(s.categories, out);
  DumpTable(s.unitfile, out);
  out += EncodeRecord(s.Info());
  // The journal commits with the operation: its entries (but their times) are part of the books.
  for (JournalEntry entry : with_journal ? s.Journal() : std::span<const JournalEntry>{}) {
    entry.time = 0;
    out += EncodeJournalEntry(entry);
  }
  books.Close();
  // The statements, by name.
  std::map<std::string, std::string> statements;
  for (const auto& entry : fs::directory_iterator(club)) {
    if (entry.path().extension() == ".stm" || entry.path().extension() == ".tax") {
      statements[entry.path().filename().string()] = store::ReadWholeFile(store::DefaultFileLayer(), entry.path());
    }
  }
  for (const auto& [name, bytes] : statements) out += "\n" + name + "=" + bytes;
  return out;
}

// What a closed club folder may hold besides nothing.
std::string StrayFiles(const fs::path& club) {
  const std::set<std::string> club_files{"clubmem.qdb", "memrec.qdb",  "clubstk.qdb", "stkrec.qdb",
                                         "stkprice.qdb", "clubact.qdb", "actrec.qdb",  "clubcat.qdb",
                                         "clubunit.qdb", kClubInfoFileName, kViewStateFileName, kWorkingFolderName,
                                         kJournalFileName};
  std::string stray;
  for (const auto& entry : fs::directory_iterator(club)) {
    // Statements, tax files, and the backup an official valuation makes into the club folder.
    const fs::path extension = entry.path().extension();
    if (extension == ".stm" || extension == ".tax" || extension == ".bck") continue;
    if (!club_files.contains(entry.path().filename().string())) stray += entry.path().filename().string() + " ";
  }
  for (const auto& entry : fs::directory_iterator(club / kWorkingFolderName)) {
    if (entry.path().filename() != kLockFileName) stray += entry.path().filename().string() + " ";
  }
  return stray;
}

// A session of several commits run in-process on the club in the first
// folder, with the files of the second, taking its first `steps` steps (each
// one commit); true when every step was done.
using Session = std::function<bool(const fs::path& club, const fs::path& files, int steps)>;
constexpr int kAllSteps = 1000;

struct Operation {
  const char* name;
  std::vector<Line> setup;
  Line command;  // "PRICES" stands for the price file, "EXPORT" (here and in the set-up) for an export file
  int stride;    // in `make test`; every n under PELLMARK_CRASH_SWEEP=all
  Session session = nullptr;  // instead of the command
};

std::vector<Line> ClubWithMembers(int count) {
  std::vector<Line> setup{{"init", "--name", "Elm", "--year", "2026", "--start-unit", "10"},
                          {"account", "add", "Broker", "--initial", "500"},
                          {"deposit", "Cash", "1000", "--date", "12/01/2026", "--desc", "Dues", "--category",
                           "Member Contributions"},
                          {"transfer", "Cash", "Broker", "300", "--date", "12/03/2026", "--desc", "Fund"}};
  for (int i = 0; i < count; ++i) {
    setup.push_back({"member", "add", "--last", "Member" + std::to_string(100 + i), "--first", "Pat"});
  }
  setup.push_back({"dues", "--date", "02/01/2026", "--all", "50"});
  return setup;
}

// A club with a security bought and two official valuations, then a deposit
// dated before them that they do not count yet (the question to audit
// answered No): an audit, a recalculation or back-dated dues change both.
std::vector<Line> ClubWithValuations() {
  std::vector<Line> setup = ClubWithMembers(2);
  setup.push_back({"security", "add", "Acme Corp", "--symbol", "ACME"});
  setup.push_back({"buy", "Acme Corp", "10", "12.50", "--date", "02/10/2026"});
  setup.push_back({"--yes", "valuation", "official", "03/31/2026"});
  setup.push_back({"--yes", "valuation", "official", "06/30/2026"});
  setup.push_back({"--no", "deposit", "Cash", "100", "--date", "03/15/2026", "--desc", "Late", "--category",
                   "Interest Income"});
  return setup;
}

// The club of two members valued and exported, then valued again and changed:
// its import brings back the export, the later statement gone and the
// earlier one made anew from the imported books.
std::vector<Line> ImportedLater() {
  std::vector<Line> setup = ClubWithMembers(2);
  setup.push_back({"--yes", "valuation", "official", "03/31/2026"});
  setup.push_back({"export", "EXPORT"});
  setup.push_back({"--yes", "valuation", "official", "06/30/2026"});
  setup.push_back({"member", "add", "--last", "Later", "--first", "Lee"});
  setup.push_back({"deposit", "Cash", "75", "--date", "12/05/2026", "--desc", "Late", "--category",
                   "Interest Income"});
  return setup;
}

// A year of dues, a purchase, a dividend, interest and an expense, valued on
// 31 December: the close credits both members, writes the tax file and
// resets the security and the accounts' interest of the year.
std::vector<Line> YearToClose() {
  return {{"init", "--name", "Elm", "--year", "2025", "--start-unit", "10"},
          {"account", "add", "Broker", "--initial", "0"},
          {"member", "add", "--last", "Member100", "--first", "Pat"},
          {"member", "add", "--last", "Member101", "--first", "Pat"},
          {"--yes", "dues", "--date", "01/02/2025", "--all", "500"},
          {"security", "add", "Acme Corp", "--symbol", "ACME"},
          {"buy", "Acme Corp", "400", "10", "--date", "01/10/2025"},
          {"dividend", "Acme Corp", "16", "--date", "06/15/2025"},
          {"interest", "Cash", "3.33", "--date", "09/30/2025", "--desc", "Interest"},
          {"check", "Cash", "20", "--date", "03/01/2025", "--number", "7", "--desc", "Fees", "--category",
           "Operating Expenses"},
          {"price", "Acme Corp", "11", "--date", "12/31/2025"},
          {"--yes", "valuation", "official", "12/31/2025"}};
}

// The file "PRICES" names: two good lines.
constexpr const char* kPriceFile = "\"ACME\",13.25,\"12/01/2026\"\n\"ACME\",13.50,\"12/04/2026\"\n";

// Two price imports with an official valuation between them, then the close.
bool SeveralCommitsThenAClose(const fs::path& club, const fs::path& files, int steps) {
  ScriptedInteraction ui;
  FixedClock clock(DayNumberFromCivil({2026, 12, 7}));
  Books books(club, ui, clock);
  try {
    books.Open();
    bool done = true;
    if (steps >= 1) done = static_cast<bool>(books.Settle(books.Prices().ImportPrices(files / "prices.txt")));
    if (steps >= 2) done = books.CreateValuation(DayNumberFromCivil({2026, 12, 5}), /*official=*/true).outcome && done;
    if (steps >= 3) {
      done = static_cast<bool>(books.Settle(books.Prices().ImportPrices(files / "later-prices.txt"))) && done;
    }
    books.Close();
    return done;
  } catch (const std::exception&) {
    return false;
  }
}
constexpr int kSessionSteps = 3;

void PrintTo(const Operation& operation, std::ostream* out) { *out << operation.name; }

std::vector<Operation> Operations() {
  const std::vector<Line> small = ClubWithMembers(2);
  const std::vector<Line> valued = ClubWithValuations();
  // Its newest operation the valuation of 06/30/2026.
  const std::vector<Line> valued_last(valued.begin(), valued.end() - 1);
  // A test valuation's statement: no unit record misses it once deleted.
  std::vector<Line> tested = valued;
  tested.push_back({"valuation", "test", "11/30/2026"});
  std::vector<Line> statement_deleted = tested;
  statement_deleted.push_back({"--yes", "valuation", "delete", "V11302026.stm"});
  return {
      {"deposit", small, {"deposit", "Cash", "125", "--date", "12/04/2026", "--desc", "Gift", "--category",
                          "Member Contributions"}, 1},
      {"transfer", small, {"transfer", "Cash", "Broker", "40", "--date", "12/05/2026", "--desc", "More"}, 1},
      {"transfer deletion", small, {"--yes", "txn", "delete", "Cash", "1"}, 1},
      {"member change", small, {"member", "change", "Member100, Pat", "--last", "Smyth"}, 1},
      {"payoff", small, {"--yes", "payoff", "Member101, Pat", "20", "--date", "03/01/2026", "--valuation",
                         "01/01/2026"}, 3},
      {"account reset-all", small, {"account", "reset-all"}, 3},
      {"dues all of 45 members", ClubWithMembers(45), {"--yes", "dues", "--date", "03/01/2026", "--all", "50"}, 11},
      {"official valuation", valued, {"--yes", "valuation", "official", "12/05/2026"}, 9},
      {"audit", valued, {"--yes", "audit", "01/01/2026"}, 5},
      {"recalculation", valued, {"--yes", "recalculate"}, 5},
      {"dues with the audit", valued, {"--yes", "dues", "--date", "04/01/2026", "--all", "25"}, 8},
      {"price import", valued, {"import-prices", "PRICES"}, 5},
      {"undo of a dues run", small, {"undo"}, 1},
      {"undo of an official valuation", valued_last, {"undo"}, 3},
      {"statement deletion", tested, {"--yes", "valuation", "delete", "V11302026.stm"}, 1},
      {"undo of a statement deletion", statement_deleted, {"undo"}, 1},
      {"import of an export", ImportedLater(), {"--yes", "import", "export", "EXPORT"}, 7},
      {"year close", YearToClose(), {"--yes", "close-year"}, 4},
      {"several commits then a close", valued, {}, 11, SeveralCommitsThenAClose},
  };
}

bool SweepAll() {
  const char* sweep = std::getenv("PELLMARK_CRASH_SWEEP");
  return sweep != nullptr && std::string(sweep) == "all";
}

class CrashSweep : public ::testing::TestWithParam<Operation> {
 protected:
  void SetUp() override {
    base_ = root_.Path() / "base";
    fs::create_directories(base_);
    for (Line line : GetParam().setup) {
      for (std::string& word : line) {
        if (word == "EXPORT") word = (root_.Path() / "pellmark95.txt").string();
      }
      const CliRun run = RunInClub(base_, line);
      ASSERT_EQ(run.status, kDone) << line.front() << ": " << run.err;
    }
    store::SaveFileAtomically(store::DefaultFileLayer(), root_.Path() / "prices.txt", kPriceFile);
    store::SaveFileAtomically(store::DefaultFileLayer(), root_.Path() / "later-prices.txt",
                              "\"ACME\",14.00,\"12/06/2026\"\n");
    std::string breaches;
    before_ = Dump(base_, &breaches);
    ASSERT_EQ(breaches, "") << "the club before the operation";
    const fs::path done = Copy("done");
    const CliRun run = Run(done);
    ASSERT_EQ(run.status, kDone) << run.err;
    after_ = Dump(done, &breaches);
    ASSERT_EQ(breaches, "") << "the club after the operation";
    ASSERT_NE(before_, after_) << "the operation changes nothing";
    whole_ = {before_, after_};
    // A session may also end after any of its commits.
    for (int steps = 1; GetParam().session && steps < kSessionSteps; ++steps) {
      const fs::path part = Copy("part");
      ASSERT_TRUE(GetParam().session(part, root_.Path(), steps));
      whole_.insert(Dump(part));
    }
  }

  fs::path Copy(const std::string& name) {
    const fs::path club = root_.Path() / name;
    fs::remove_all(club);
    fs::copy(base_, club, fs::copy_options::recursive);
    return club;
  }

  // The operation on `club`: its command, or its session.
  CliRun Run(const fs::path& club) {
    if (GetParam().session) return {GetParam().session(club, root_.Path(), kAllSteps) ? kDone : cli::kRefused, "", ""};
    Line command = GetParam().command;
    for (std::string& word : command) {
      if (word == "PRICES") word = (root_.Path() / "prices.txt").string();
      if (word == "EXPORT") word = (root_.Path() / "pellmark95.txt").string();
    }
    return RunInClub(club, command);
  }

  // The club after a crash at call n, opened again: before or after, and tidy.
  void ExpectWhole(const fs::path& club, const std::string& where) {
    std::string breaches;
    const std::string now = Dump(club, &breaches);
    EXPECT_TRUE(whole_.contains(now)) << GetParam().name << ": books torn " << where;
    EXPECT_EQ(breaches, "") << GetParam().name << " " << where;
    EXPECT_EQ(StrayFiles(club), "") << GetParam().name << " " << where;
  }

  int Stride() const { return SweepAll() ? 1 : GetParam().stride; }

  TempFolder root_;
  fs::path base_;
  std::string before_;
  std::string after_;
  std::set<std::string> whole_;  // the books after each commit of the operation
};

TEST_P(CrashSweep, AKillAtAnyFileChangeLeavesTheBooksBeforeOrAfter) {
  int tried = 0;
  for (int n = 1;; n += Stride()) {
    const fs::path club = Copy("crash");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      CrashingFileLayer files;
      files.Arm(n, CrashingFileLayer::Mode::kKill);
      store::SetDefaultFileLayer(&files);
      ::_exit(Run(club).status == kDone ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (WIFEXITED(status)) {
      EXPECT_EQ(WEXITSTATUS(status), 0);
      EXPECT_EQ(Dump(club), after_);
      break;
    }
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    ++tried;
    ExpectWhole(club, "by a kill at call " + std::to_string(n));
    if (HasFailure()) break;
  }
  EXPECT_GT(tried, 10);
  RecordProperty("crash_points", tried);
  std::printf("%s: %d crash points\n", GetParam().name, tried);
}

TEST_P(CrashSweep, AFullDiskFromAnyCallOnLeavesTheBooksBeforeOrAfter) {
  int tried = 0;
  for (int n = 1;; n += Stride()) {
    const fs::path club = Copy("full");
    CrashingFileLayer files;
    files.Arm(n, CrashingFileLayer::Mode::kFull);
    store::SetDefaultFileLayer(&files);
    const CliRun run = Run(club);
    const int changes = files.Changes();
    store::SetDefaultFileLayer(nullptr);
    if (changes < n) {
      EXPECT_EQ(run.status, kDone);
      break;
    }
    ++tried;
    const std::string where = "by a full disk from call " + std::to_string(n);
    if (run.status != kDone && !GetParam().session) {
      EXPECT_TRUE(run.err.find("The drive is full") != std::string::npos ||
                  run.err.find("No space left on device") != std::string::npos)
          << "full from call " << n << ": " << run.err;
    }
    ExpectWhole(club, where);
    // A session of several commits keeps those before its failure; one command
    // is done when it was kept and failed when it was not (a valuation whose
    // backup failed is kept, and says so with "Data Backup failed").
    if (!GetParam().session) {
      const bool kept = run.status == kDone || run.err.find("Data Backup failed") != std::string::npos;
      EXPECT_EQ(Dump(club), kept ? after_ : before_) << GetParam().name << " " << where << ": " << run.err;
    }
    if (HasFailure()) break;
  }
  EXPECT_GT(tried, 10);
  std::printf("%s: %d full-disk points\n", GetParam().name, tried);
}

INSTANTIATE_TEST_SUITE_P(Operations, CrashSweep, ::testing::ValuesIn(Operations()),
                         [](const ::testing::TestParamInfo<Operation>& info) {
                           std::string name;
                           for (const char* c = info.param.name; *c != '\0'; ++c) name += std::isalnum(*c) ? *c : '_';
                           return name;
                         });

// A restore and a reset replace the club's files: a kill at any file change, or
// a full disk from any call on, leaves the club with all its old files or all
// the new ones once it is opened again, never a mix, and nothing staged behind.
struct Replacement {
  const char* name;
  Line command;  // "BACKUP" stands for the backup folder
  const char* failure;
};

void PrintTo(const Replacement& replacement, std::ostream* out) { *out << replacement.name; }

class ReplacementCrashSweep : public ::testing::TestWithParam<Replacement> {
 protected:
  void SetUp() override {
    base_ = root_.Path() / "base";
    backup_ = root_.Path() / "backup";
    fs::create_directories(base_);
    fs::create_directories(backup_);
    std::vector<Line> setup = ClubWithMembers(3);
    setup.push_back({"backup", backup_.string()});
    setup.push_back({"deposit", "Cash", "75", "--date", "12/04/2026", "--desc", "Late", "--category",
                     "Member Contributions"});
    setup.push_back({"member", "add", "--last", "Newman", "--first", "Lee"});
    for (const Line& line : setup) {
      const CliRun run = RunInClub(base_, line);
      ASSERT_EQ(run.status, kDone) << line.front() << ": " << run.err;
    }
    before_ = Dump(base_, nullptr, false);
    const fs::path done = Copy("done");
    const CliRun run = RunInClub(done, Command());
    ASSERT_EQ(run.status, kDone) << run.err;
    after_ = Dump(done, nullptr, false);
    ASSERT_NE(before_, after_);
  }

  Line Command() const {
    Line command = GetParam().command;
    for (std::string& word : command) {
      if (word == "BACKUP") word = backup_.string();
    }
    return command;
  }

  fs::path Copy(const std::string& name) {
    const fs::path club = root_.Path() / name;
    fs::remove_all(club);
    fs::copy(base_, club, fs::copy_options::recursive);
    return club;
  }

  void ExpectWhole(const fs::path& club, const std::string& where) {
    std::string breaches;
    const std::string now = Dump(club, &breaches, false);
    EXPECT_TRUE(now == before_ || now == after_) << GetParam().name << ": club files mixed " << where;
    EXPECT_EQ(breaches, "") << where;
    std::string stray;
    for (const auto& entry : fs::directory_iterator(club / kWorkingFolderName)) {
      const std::string name = entry.path().filename().string();
      if (name != kLockFileName && !(entry.is_directory() && name.starts_with(kKeptFolderPrefix))) stray += name + " ";
    }
    for (const auto& entry : fs::directory_iterator(club)) {
      const std::string name = entry.path().filename().string();
      if (name.ends_with(".new") || name.starts_with("QDD")) stray += name + " ";
    }
    EXPECT_EQ(stray, "") << where;
  }

  TempFolder root_;
  fs::path base_;
  fs::path backup_;
  std::string before_;
  std::string after_;
};

TEST_P(ReplacementCrashSweep, AKillAtAnyFileChangeLeavesAllOldFilesOrAllNewOnes) {
  int tried = 0;
  for (int n = 1;; n += SweepAll() ? 1 : 3) {
    const fs::path club = Copy("crash");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      CrashingFileLayer files;
      files.Arm(n, CrashingFileLayer::Mode::kKill);
      store::SetDefaultFileLayer(&files);
      ::_exit(RunInClub(club, Command()).status == kDone ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (WIFEXITED(status)) {
      EXPECT_EQ(WEXITSTATUS(status), 0);
      EXPECT_EQ(Dump(club, nullptr, false), after_);
      break;
    }
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    ++tried;
    ExpectWhole(club, "by a kill at call " + std::to_string(n));
    if (HasFailure()) break;
  }
  EXPECT_GT(tried, 20);
  std::printf("%s: %d crash points\n", GetParam().name, tried);
}

TEST_P(ReplacementCrashSweep, AFullDiskFromAnyCallOnLeavesAllOldFilesOrAllNewOnes) {
  int tried = 0;
  for (int n = 1;; n += SweepAll() ? 1 : 3) {
    const fs::path club = Copy("full");
    CrashingFileLayer files;
    files.Arm(n, CrashingFileLayer::Mode::kFull);
    store::SetDefaultFileLayer(&files);
    const CliRun run = RunInClub(club, Command());
    const int changes = files.Changes();
    store::SetDefaultFileLayer(nullptr);
    if (changes < n) {
      EXPECT_EQ(run.status, kDone);
      break;
    }
    ++tried;
    if (run.status != kDone) {
      // The open before the command fails with the store's words, the command with its own.
      EXPECT_THAT(run.err, ::testing::AnyOf(::testing::HasSubstr(GetParam().failure),
                                            ::testing::HasSubstr("The drive is full"),
                                            ::testing::HasSubstr("No space left on device")))
          << "from call " << n;
    }
    ExpectWhole(club, "by a full disk from call " + std::to_string(n));
    // Done when the new files are in place, failed when the old ones stayed.
    EXPECT_EQ(Dump(club, nullptr, false), run.status == kDone ? after_ : before_) << "from call " << n << ": " << run.err;
    if (HasFailure()) break;
  }
  EXPECT_GT(tried, 20);
  std::printf("%s: %d full-disk points\n", GetParam().name, tried);
}

INSTANTIATE_TEST_SUITE_P(Replacements, ReplacementCrashSweep,
                         ::testing::Values(Replacement{"restore", {"restore", "BACKUP"}, "Backup Restoral failed"},
                                           Replacement{"reset", {"--yes", "reset"}, "Club reset failed"}),
                         [](const ::testing::TestParamInfo<Replacement>& info) {
                           return std::string(info.param.name);
                         });

// A backup replaces the ten ".bck" files of its folder together: a kill at any
// file change, or a full disk from any call on, leaves, once the folder is
// finished as a restore finishes it, the whole earlier set or the whole new
// one and nothing else; the club's books are as they were. An official
// valuation backs up into the club folder, which the next open finishes.
struct BackupCase {
  const char* name;
  Line command;  // "BACKUP" stands for the backup folder
  bool into_club;
};

void PrintTo(const BackupCase& backup, std::ostream* out) { *out << backup.name; }

class BackupCrashSweep : public ::testing::TestWithParam<BackupCase> {
 protected:
  void SetUp() override {
    base_ = root_.Path() / "base";
    fs::create_directories(base_ / "backup");
    std::vector<Line> setup = ClubWithMembers(3);
    setup.push_back({"--yes", "valuation", "official", "12/05/2026"});
    setup.push_back({"backup", (base_ / "backup").string()});
    setup.push_back({"deposit", "Cash", "75", "--date", "12/06/2026", "--desc", "Late", "--category",
                     "Member Contributions"});
    setup.push_back({"member", "add", "--last", "Newman", "--first", "Lee"});
    for (const Line& line : setup) {
      const CliRun run = RunInClub(base_, line);
      ASSERT_EQ(run.status, kDone) << line.front() << ": " << run.err;
    }
    const fs::path done = Copy("done");
    const CliRun run = RunInClub(done, Command(done));
    ASSERT_EQ(run.status, kDone) << run.err;
    earlier_ = BackupSet(base_);
    after_ = BackupSet(done);
    ASSERT_NE(earlier_, after_);
    books_before_ = Dump(base_, nullptr, false);
    books_after_ = Dump(done, nullptr, false);
  }

  fs::path BackupFolder(const fs::path& club) const { return GetParam().into_club ? club : club / "backup"; }

  Line Command(const fs::path& club) const {
    Line command = GetParam().command;
    for (std::string& word : command) {
      if (word == "BACKUP") word = BackupFolder(club).string();
    }
    return command;
  }

  // The files of the backup folder that are not the club's own, with their bytes.
  std::map<std::string, std::string> BackupSet(const fs::path& club) {
    const std::set<std::string> own{"clubmem.qdb",  "memrec.qdb",  "clubstk.qdb", "stkrec.qdb",
                                    "stkprice.qdb", "clubact.qdb", "actrec.qdb",  "clubcat.qdb",
                                    "clubunit.qdb", kClubInfoFileName, kViewStateFileName, kJournalFileName};
    std::map<std::string, std::string> set;
    for (const auto& entry : fs::directory_iterator(BackupFolder(club))) {
      const std::string name = entry.path().filename().string();
      if (entry.is_regular_file() && !own.contains(name) && entry.path().extension() != ".stm") {
        set[name] = store::ReadWholeFile(store::DefaultFileLayer(), entry.path());
      }
    }
    return set;
  }

  fs::path Copy(const std::string& name) {
    const fs::path club = root_.Path() / name;
    fs::remove_all(club);
    fs::copy(base_, club, fs::copy_options::recursive);
    return club;
  }

  void ExpectWhole(const fs::path& club, const std::string& where) {
    // The books first: opening the club finishes a backup into its folder.
    const std::string books = Dump(club, nullptr, false);
    EXPECT_TRUE(books == books_before_ || books == books_after_) << GetParam().name << ": books torn " << where;
    interchange::CheckBackupSet(BackupFolder(club));
    const std::map<std::string, std::string> set = BackupSet(club);
    EXPECT_TRUE(set == earlier_ || set == after_) << GetParam().name << ": backup set mixed " << where;
  }

  TempFolder root_;
  fs::path base_;
  std::map<std::string, std::string> earlier_;
  std::map<std::string, std::string> after_;
  std::string books_before_;
  std::string books_after_;
};

TEST_P(BackupCrashSweep, AKillAtAnyFileChangeLeavesTheWholeEarlierSetOrTheWholeNewOne) {
  int tried = 0;
  for (int n = 1;; n += SweepAll() ? 1 : 3) {
    const fs::path club = Copy("crash");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      CrashingFileLayer files;
      files.Arm(n, CrashingFileLayer::Mode::kKill);
      store::SetDefaultFileLayer(&files);
      ::_exit(RunInClub(club, Command(club)).status == kDone ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (WIFEXITED(status)) {
      EXPECT_EQ(WEXITSTATUS(status), 0);
      EXPECT_EQ(BackupSet(club), after_);
      break;
    }
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    ++tried;
    ExpectWhole(club, "by a kill at call " + std::to_string(n));
    if (HasFailure()) break;
  }
  EXPECT_GT(tried, 30);
  std::printf("%s: %d crash points\n", GetParam().name, tried);
}

TEST_P(BackupCrashSweep, AFullDiskFromAnyCallOnLeavesTheWholeEarlierSetOrTheWholeNewOne) {
  int tried = 0;
  for (int n = 1;; n += SweepAll() ? 1 : 3) {
    const fs::path club = Copy("full");
    CrashingFileLayer files;
    files.Arm(n, CrashingFileLayer::Mode::kFull);
    store::SetDefaultFileLayer(&files);
    const CliRun run = RunInClub(club, Command(club));
    const int changes = files.Changes();
    store::SetDefaultFileLayer(nullptr);
    if (changes < n) {
      EXPECT_EQ(run.status, kDone);
      break;
    }
    ++tried;
    ExpectWhole(club, "by a full disk from call " + std::to_string(n));
    if (HasFailure()) break;
  }
  EXPECT_GT(tried, 30);
  std::printf("%s: %d full-disk points\n", GetParam().name, tried);
}

INSTANTIATE_TEST_SUITE_P(Backups, BackupCrashSweep,
                         ::testing::Values(BackupCase{"backup", {"backup", "BACKUP"}, false},
                                           BackupCase{"valuation", {"--yes", "valuation", "official", "12/07/2026"},
                                                      true}),
                         [](const ::testing::TestParamInfo<BackupCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pellmark::testing
