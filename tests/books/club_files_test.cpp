// The club's files on disk: the commit record, the lock, the creation of a
// club, a missing store, and a reopen from another working directory.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/property_seed.h"
#include "books/books.h"
#include "books/crashing_file_layer.h"
#include "cli/cli_runner.h"
#include "club/club_commit.h"
#include "club/club_info_file.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace pellmark::testing {
namespace {

namespace fs = std::filesystem;
using cli::CliRun;
using cli::RunInClub;

using cli::kDone;


const std::vector<std::string> kDeposit{"deposit", "Cash", "125", "--date", "12/04/2026", "--desc", "Gift",
                                        "--category", "Member Contributions"};

std::string Register(const fs::path& club) { return RunInClub(club, {"register", "Cash", "--all"}).out; }

TEST(CommitRecord, RoundTripsAndRefusesEveryCutShortOrAlteredSlot) {
  const unsigned seed = pellmark::testing::PropertySeed();
  std::mt19937 random(seed);
  ClubCommitRecord record;
  record.sequence = random();
  const int stores = static_cast<int>(random() % 9) + 1;
  for (int i = 0; i < stores; ++i) {
    // Records written before index files were reused in place name no index length.
    const std::optional<std::uint64_t> index_length =
        random() % 4 == 0 ? std::nullopt : std::optional<std::uint64_t>(random());
    record.stores.push_back({"store" + std::to_string(i) + ".qdb", "QDB" + std::to_string(random()),
                             "QIX" + std::to_string(random()), random(), index_length});
  }
  const int files = static_cast<int>(random() % 4);
  for (int i = 0; i < files; ++i) {
    record.files.push_back({"V0" + std::to_string(i + 1) + "312026.stm", "staged." + std::to_string(random()),
                            random(), (std::uint64_t{random()} << 32) | random()});
  }
  // Records of earlier releases carry the club information itself.
  if (random() % 2 == 0) {
    std::string info(313, '\0');
    for (char& c : info) c = static_cast<char>(random());
    record.info = info;
  }
  const std::string text = EncodeCommitSlot(record);
  // The bytes of a longer, older record may follow in the slot.
  const std::optional<ClubCommitRecord> back = DecodeCommitSlot(text + "store old.qdb QDBx QIXx 9\nend\n");
  ASSERT_TRUE(back) << "seed " << seed;
  EXPECT_EQ(back->sequence, record.sequence);
  ASSERT_EQ(back->stores.size(), record.stores.size()) << "seed " << seed;
  for (std::size_t i = 0; i < record.stores.size(); ++i) {
    EXPECT_EQ(back->stores[i].store, record.stores[i].store);
    EXPECT_EQ(back->stores[i].data, record.stores[i].data);
    EXPECT_EQ(back->stores[i].index, record.stores[i].index);
    EXPECT_EQ(back->stores[i].data_length, record.stores[i].data_length) << "seed " << seed;
    EXPECT_EQ(back->stores[i].index_length, record.stores[i].index_length) << "seed " << seed;
  }
  ASSERT_EQ(back->files.size(), record.files.size()) << "seed " << seed;
  for (std::size_t i = 0; i < record.files.size(); ++i) {
    EXPECT_EQ(back->files[i].target, record.files[i].target);
    EXPECT_EQ(back->files[i].staged, record.files[i].staged);
    EXPECT_EQ(back->files[i].length, record.files[i].length) << "seed " << seed;
    EXPECT_EQ(back->files[i].checksum, record.files[i].checksum) << "seed " << seed;
  }
  EXPECT_EQ(back->info, record.info) << "seed " << seed;
  // A slot written in place is cut short when the program dies during the write.
  for (std::size_t cut = 0; cut < text.size(); ++cut) {
    EXPECT_FALSE(DecodeCommitSlot(text.substr(0, cut))) << "cut at " << cut << ", seed " << seed;
  }
  std::string altered = text;
  const std::size_t at = text.find('\n') + 1 + random() % (text.size() - text.find('\n') - 1);
  altered[at] = static_cast<char>(altered[at] ^ (1 + random() % 255));
  EXPECT_FALSE(DecodeCommitSlot(altered)) << "byte " << at << " altered, seed " << seed;

  ClubCommitRecord outside;
  outside.stores.push_back({"../clubmem.qdb", "QDBa", "QIXa", 4});
  EXPECT_FALSE(DecodeCommitSlot(EncodeCommitSlot(outside)));
  ClubCommitRecord file_outside;
  file_outside.files.push_back({"../V03312026.stm", "staged.1.0", 4, 7});
  EXPECT_FALSE(DecodeCommitSlot(EncodeCommitSlot(file_outside)));
  file_outside.files = {{"V03312026.stm", "../staged.1.0", 4, 7}};
  EXPECT_FALSE(DecodeCommitSlot(EncodeCommitSlot(file_outside)));
}

class ClubFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    club = root.Path() / "club";
    fs::create_directories(club);
    ASSERT_EQ(RunInClub(club, {"init", "--name", "Elm", "--year", "2026"}).status, kDone);
  }
  TempFolder root;
  fs::path club;
};

TEST_F(ClubFiles, ASecondProgramIsRefusedAndLosesNothing) {
  const std::string before = Register(club);
  ScriptedInteraction ui;
  FixedClock clock(DayNumberFromCivil({2026, 12, 7}));
  {
    Books books(club, ui, clock);
    books.Open();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const CliRun run = RunInClub(club, kDeposit);
      const bool refused = run.status != kDone &&
                           run.err == "pellmark-cli: The club is open in another Pellmark (process " +
                                          std::to_string(::getppid()) + ").\n";
      ::_exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the second program was not refused as it should";
    books.Close();
  }
  EXPECT_EQ(Register(club), before);
  ASSERT_EQ(RunInClub(club, kDeposit).status, kDone);
  EXPECT_NE(Register(club), before);
}

TEST_F(ClubFiles, TheLockOfAProgramThatDiedIsTakenOver) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ScriptedInteraction ui;
    FixedClock clock(DayNumberFromCivil({2026, 12, 7}));
    Books books(club, ui, clock);
    books.Open();
    ::raise(SIGKILL);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(RunInClub(club, kDeposit).status, kDone);
}

TEST_F(ClubFiles, AReopenFromAnotherWorkingDirectoryFindsEveryCommittedChange) {
  // How many file changes a whole deposit takes, so that the kill can come in its close, after the commit.
  const fs::path probe = root.Path() / "probe";
  fs::copy(club, probe, fs::copy_options::recursive);
  CrashingFileLayer counter;
  store::SetDefaultFileLayer(&counter);
  ASSERT_EQ(RunInClub(probe, kDeposit).status, kDone);
  store::SetDefaultFileLayer(nullptr);
  const std::string committed = Register(probe);

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::chdir(root.Path().c_str()) != 0) ::_exit(2);
    CrashingFileLayer files;
    files.Arm(counter.Changes() - 1, CrashingFileLayer::Mode::kKill);
    store::SetDefaultFileLayer(&files);
    RunInClub("club", kDeposit);
    ::_exit(3);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the deposit ended before its last file change";
  const fs::path here = fs::current_path();
  fs::current_path(club);
  const std::string reopened = Register(".");
  fs::current_path(here);
  EXPECT_EQ(reopened, committed);
}

TEST_F(ClubFiles, AMissingStoreIsRefusedUntilCreatedOnPurpose) {
  const std::string empty = Register(club);
  ASSERT_EQ(RunInClub(club, kDeposit).status, kDone);
  fs::remove(club / "actrec.qdb");
  const CliRun refused = RunInClub(club, {"accounts"});
  EXPECT_NE(refused.status, kDone);
  EXPECT_EQ(refused.err, "pellmark-cli: The club file actrec.qdb is missing from " + club.string() +
                             ". Restore the club from a backup, or run \"pellmark-cli open --create-missing\" to "
                             "start the missing files empty.\n");
  EXPECT_FALSE(fs::exists(club / "actrec.qdb"));
  EXPECT_EQ(RunInClub(club, {"open", "--create-missing"}).status, kDone);
  EXPECT_EQ(Register(club), empty);
}

TEST(ClubCreation, AKillDuringInitLeavesNoClubOrAWholeOne) {
  TempFolder root;
  const std::vector<std::string> init{"init", "--name", "Elm", "--year", "2026"};
  const fs::path whole = root.Path() / "whole";
  fs::create_directories(whole);
  ASSERT_EQ(RunInClub(whole, init).status, kDone);
  const std::string whole_info = RunInClub(whole, {"info"}).out;
  const std::string empty_register = Register(whole);
  int tried = 0;
  const char* sweep = std::getenv("PELLMARK_CRASH_SWEEP");
  const int stride = sweep != nullptr && std::string(sweep) == "all" ? 1 : 3;
  for (int n = 1;; n += stride) {
    const fs::path club = root.Path() / ("club" + std::to_string(n));
    fs::create_directories(club);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      CrashingFileLayer files;
      files.Arm(n, CrashingFileLayer::Mode::kKill);
      store::SetDefaultFileLayer(&files);
      ::_exit(RunInClub(club, init).status);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (WIFEXITED(status)) break;
    ++tried;
    // A folder the kill left without a club's files is no club at all.
    const bool opened = RunInClub(club, {"open"}).status == kDone;
    const std::string info = opened ? RunInClub(club, {"info"}).out : std::string();
    if (info.empty()) {
      const CliRun again = RunInClub(club, init);
      EXPECT_EQ(again.status, kDone) << "kill at call " << n << ": " << again.err;
    } else {
      EXPECT_EQ(info, whole_info) << "kill at call " << n;
    }
    EXPECT_EQ(Register(club), empty_register) << "kill at call " << n;
    if (HasFailure()) break;
  }
  EXPECT_GT(tried, 10);
}

}  // namespace
}  // namespace pellmark::testing
