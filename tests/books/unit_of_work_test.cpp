// The unit of work of the books: an operation that throws leaves nothing
// behind; one that ends, even cancelled (an aborted dues run keeps what it
// posted), is committed and outlives the death of the program at once.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>

#include "books/crashing_file_layer.h"
#include "forms/club_setup_form.h"
#include "club/club_commit.h"
#include "store/index_codec.h"
#include "store/little_endian.h"
#include "store/memory_file_layer.h"
#include "store/posix_file_layer.h"
#include "store/whole_files.h"
#include "support/ledger_fixture.h"

namespace pellmark::testing {
namespace {

namespace fs = std::filesystem;

// Once full, a write to a commit record slot stops half way, as on a full disk.
class FullSlotsFileLayer final : public store::PosixFileLayer {
 public:
  bool full = false;

  store::FileHandle Open(const std::filesystem::path& path, store::OpenMode mode) override {
    const store::FileHandle handle = PosixFileLayer::Open(path, mode);
    if (path.filename().string().starts_with("club.commit.")) slots_.insert(handle);
    return handle;
  }
  void Close(store::FileHandle handle) noexcept override {
    slots_.erase(handle);
    PosixFileLayer::Close(handle);
  }
  void WriteAt(store::FileHandle handle, std::uint64_t offset, std::span<const char> bytes) override {
    if (full && slots_.contains(handle)) {
      PosixFileLayer::WriteAt(handle, offset, bytes.first(bytes.size() / 2));
      throw store::FileLayerError(ENOSPC, "", "write");
    }
    PosixFileLayer::WriteAt(handle, offset, bytes);
  }

 private:
  std::set<store::FileHandle> slots_;
};

// Kills the program at its n-th removal of a commit slot that exists.
class SlotRemovalKiller final : public store::PosixFileLayer {
 public:
  explicit SlotRemovalKiller(int n) : n_(n) {}
  void Remove(const std::filesystem::path& path) override {
    if (path.filename().string().starts_with("club.commit.") && Exists(path) && ++seen_ == n_) ::raise(SIGKILL);
    PosixFileLayer::Remove(path);
  }

 private:
  int n_;
  int seen_ = 0;
};

// Renames onto a statement file fail while `refuse` is set.
class StatementRenameRefuser final : public store::PosixFileLayer {
 public:
  bool refuse = false;
  void Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    if (refuse && to.extension() == ".stm") throw store::FileLayerError(EIO, to, "rename");
    PosixFileLayer::Rename(from, to);
  }
};

class UnitOfWork : public ClubFixture {
 protected:
  static TAccountRec Account(const std::string& name, std::int32_t id) {
    TAccountRec account;
    account.name = name;
    account.actid = id;
    account.active = true;
    account.bal = 12.5;
    return account;
  }

  // Runs `work` in a child process that dies by SIGKILL, raised by `work` while its books are open.
  template <class Work>
  void InADyingChild(Work&& work) {
    const pid_t child = ::fork();
    if (child == 0) {
      work();
      ::raise(SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  }

  // The balance of "Savings" in the reopened club, -1 without it.
  double SavingsBalance() {
    Books again(folder.Path(), ui, clock);
    again.Open();
    const std::optional<TAccountRec> savings = again.Club().accounts.Find("_Savings");
    again.Close();
    return savings ? savings->bal : -1;
  }

  // Two commits in one session that change the balance of "Savings" to 1, then 2.
  static void TwoCommits(Books& books) {
    for (double balance : {1.0, 2.0}) {
      books.Run([&] {
        TAccountRec savings = Account("Savings", 7);
        savings.bal = balance;
        books.Club().accounts.Put(savings);
        return true;
      });
    }
  }

  // Stores the account, then ends the program as a kill would, after `settle`
  // (or without it); true when the reopened books hold the account.
  bool SurvivesAKill(bool settle) {
    books.Close();
    const pid_t child = ::fork();
    if (child == 0) {
      Books dying(folder.Path(), ui, clock);
      dying.Open();
      dying.Club().accounts.Put(Account("Savings", 7));
      if (settle) static_cast<void>(dying.Settle(Outcome::Cancelled()));
      ::raise(SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    Books again(folder.Path(), ui, clock);
    again.Open();
    const bool kept = again.Club().accounts.Contains("_Savings");
    again.Close();
    return kept;
  }
};

TEST_F(UnitOfWork, AnOperationThatThrowsLeavesNothing) {
  EXPECT_THROW(books.Run([&] {
    club.accounts.Put(Account("Savings", 7));
    club.actrecs.Put(TAccountTranRec{});
    throw std::runtime_error("the disk went away");
    return true;
  }),
               std::runtime_error);
  EXPECT_FALSE(club.accounts.Contains("_Savings"));
  EXPECT_EQ(club.actrecs.Count(), 0);
  EXPECT_TRUE(books.Run([&] {
    club.accounts.Put(Account("Savings", 7));
    return true;
  }));
  books.Close();
  Books again(folder.Path(), ui, clock);
  again.Open();
  EXPECT_EQ(again.Club().accounts.Find("_Savings")->bal, 12.5);
}

TEST_F(UnitOfWork, RecordsReplacedByManyCommitsAreReclaimedAtTheClose) {
  TAccountRec savings = Account("Savings", 7);
  for (int i = 0; i < 1000; ++i) {
    savings.bal = i;
    books.Run([&] {
      club.accounts.Put(savings);
      return true;
    });
  }
  EXPECT_GT(club.accounts.UnderlyingStore().UnusedBytes(), 1000 * sizeof(double));
  books.Close();
  // Two accounts and the container's frame, not a thousand copies of one.
  EXPECT_LT(std::filesystem::file_size(folder.Path() / "clubact.qdb"), 4096u);
  Books again(folder.Path(), ui, clock);
  again.Open();
  EXPECT_EQ(again.Club().accounts.Find("_Savings")->bal, 999);
}

TEST_F(UnitOfWork, ACancelledOperationIsCommittedAndOutlivesAKill) { EXPECT_TRUE(SurvivesAKill(true)); }

TEST_F(UnitOfWork, AnOperationNotSettledIsLostWithTheProgram) { EXPECT_FALSE(SurvivesAKill(false)); }

TEST_F(UnitOfWork, APendingCommitWithADamagedFileSaysWhatToDoAndCanBeSetAside) {
  books.Close();
  const pid_t child = ::fork();
  if (child == 0) {
    Books dying(folder.Path(), ui, clock);
    dying.Open();
    dying.Club().accounts.Put(Account("Savings", 7));
    static_cast<void>(dying.Settle(Outcome::Done()));
    ::raise(SIGKILL);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  // The working data file the pending commit names for the accounts is cut short.
  const std::filesystem::path working = folder.Path() / ".pellmark-work";
  std::optional<ClubCommitRecord> pending;
  for (const char* slot : kCommitSlotNames) {
    if (auto text = store::TryReadWholeFile(store::DefaultFileLayer(), working / slot)) {
      if (auto record = DecodeCommitSlot(*text); record && (!pending || record->sequence > pending->sequence)) {
        pending = record;
      }
    }
  }
  ASSERT_TRUE(pending);
  const auto accounts = std::find_if(pending->stores.begin(), pending->stores.end(),
                                     [](const StoreCommit& store) { return store.store == "clubact.qdb"; });
  ASSERT_NE(accounts, pending->stores.end());
  std::filesystem::resize_file(working / accounts->data, 0);
  const std::string before = store::ReadWholeFile(store::DefaultFileLayer(), folder.Path() / "clubact.qdb");

  Books refused(folder.Path(), ui, clock);
  try {
    refused.Open();
    FAIL() << "the damaged commit was joined";
  } catch (const UnrecoverableCommit& error) {
    EXPECT_THAT(std::string(error.what()),
                ::testing::EndsWith("they were left in " + working.string() +
                                    ". Restore the club from a backup, or open it as of its last whole commit and set "
                                    "these changes aside with \"pellmark-cli open --discard-pending\"."));
  }

  ui.Clear();
  Books aside(folder.Path(), ui, clock);
  aside.Club().SetDiscardPending(true);
  aside.Open();
  EXPECT_FALSE(aside.Club().accounts.Contains("_Savings"));
  aside.Close();
  const std::filesystem::path kept = folder.Path() / ".pellmark-set-aside-1";
  EXPECT_THAT(ui.Messages(), ::testing::ElementsAre("The changes a program left without closing the club were set aside in " +
                                                    kept.string() + "; the club opens as of its last whole commit."));
  EXPECT_TRUE(std::filesystem::exists(kept / accounts->data));
  EXPECT_TRUE(std::filesystem::exists(kept / accounts->index));
  EXPECT_EQ(store::ReadWholeFile(store::DefaultFileLayer(), folder.Path() / "clubact.qdb"), before);
}

TEST_F(UnitOfWork, CommitsThatFailHalfWayNeverSpoilTheLastWholeOne) {
  books.Close();
  const pid_t child = ::fork();
  if (child == 0) {
    FullSlotsFileLayer files;
    store::SetDefaultFileLayer(&files);
    Books dying(folder.Path(), ui, clock);
    dying.Open();
    dying.Run([&] {
      dying.Club().accounts.Put(Account("Savings", 7));
      return true;
    });
    files.full = true;
    for (std::int32_t id : {8, 9}) {
      try {
        dying.Run([&] {
          dying.Club().accounts.Put(Account("Checking " + std::to_string(id), id));
          return true;
        });
      } catch (const store::FileLayerError&) {
        // The disk is full; the operation is dropped.
      }
    }
    ::raise(SIGKILL);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status));
  Books again(folder.Path(), ui, clock);
  again.Open();
  EXPECT_TRUE(again.Club().accounts.Contains("_Savings"));
  EXPECT_FALSE(again.Club().accounts.Contains("_Checking 8"));
  EXPECT_FALSE(again.Club().accounts.Contains("_Checking 9"));
  again.Close();
}

TEST_F(UnitOfWork, AKillAfterCommitsThatShrankAnIndexFindsTheLastOne) {
  const int before = club.accounts.Count();
  books.Close();
  const pid_t child = ::fork();
  if (child == 0) {
    Books dying(folder.Path(), ui, clock);
    dying.Open();
    // Each commit writes the index over the file of the commit before the last,
    // which held a longer index once the removals begin.
    for (std::int32_t id = 10; id < 40; ++id) {
      dying.Run([&] {
        dying.Club().accounts.Put(Account("Account " + std::to_string(id), id));
        return true;
      });
    }
    for (std::int32_t id = 10; id < 38; ++id) {
      dying.Run([&] { return dying.Club().accounts.Remove("_Account " + std::to_string(id)); });
    }
    ::raise(SIGKILL);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status));
  Books again(folder.Path(), ui, clock);
  again.Open();
  // The recovered container holds the last index alone, no bytes of a longer
  // one that its working file held before.
  const std::string container = store::ReadWholeFile(store::DefaultFileLayer(), folder.Path() / "clubact.qdb");
  const auto data_length = static_cast<std::size_t>(store::ReadLittle<std::int32_t>(container.data() + 4));
  const auto index_length = static_cast<std::size_t>(store::ReadLittle<std::int32_t>(container.data() + 12 + data_length));
  ASSERT_EQ(container.size(), 16 + data_length + index_length);
  EXPECT_TRUE(store::DecodeIndex(std::string_view(container).substr(16 + data_length), data_length).in_writer_form);
  EXPECT_EQ(again.Club().accounts.Count(), before + 2);
  EXPECT_TRUE(again.Club().accounts.Contains("_Account 38"));
  EXPECT_TRUE(again.Club().accounts.Contains("_Account 39"));
  again.Close();
}

TEST_F(UnitOfWork, ACommitRecordNamesEveryStoreChangedSinceTheOpen) {
  books.Close();
  InADyingChild([&] {
    Books dying(folder.Path(), ui, clock);
    dying.Open();
    dying.Run([&] {
      dying.Club().accounts.Put(Account("Savings", 7));
      return true;
    });
    // The second commit changes another store only; the first one's change must stay named.
    dying.Run([&] {
      TMemberRec member;
      member.lname = "Smith";
      member.fname = "Ann";
      member.memid = 1;
      member.active = true;
      dying.Club().members.Put(member);
      return true;
    });
    ::raise(SIGKILL);
  });
  Books again(folder.Path(), ui, clock);
  again.Open();
  EXPECT_TRUE(again.Club().accounts.Contains("_Savings"));
  EXPECT_EQ(again.Club().members.Count(), 1);
  again.Close();
}

TEST_F(UnitOfWork, AKillAtEitherRemovalOfTheCommitSlotsAtTheCloseKeepsTheNewestCommit) {
  books.Close();
  for (int n : {1, 2}) {
    InADyingChild([&] {
      SlotRemovalKiller files(n);
      store::SetDefaultFileLayer(&files);
      Books dying(folder.Path(), ui, clock);
      dying.Open();
      TwoCommits(dying);
      dying.Close();
      ::raise(SIGKILL);
    });
    EXPECT_EQ(SavingsBalance(), 2) << "killed at removal " << n;
    // The next round starts from a club whose balance is 2 already: it is set back to 0.
    Books reset(folder.Path(), ui, clock);
    reset.Open();
    reset.Run([&] { return reset.Club().accounts.Remove("_Savings"); });
    reset.Close();
  }
}

TEST_F(UnitOfWork, AKillAtEitherRemovalOfTheCommitSlotsInARecoveryKeepsTheNewestCommit) {
  books.Close();
  const fs::path pristine = folder.Path().parent_path() / (folder.Path().filename().string() + "-pristine");
  fs::remove_all(pristine);
  fs::copy(folder.Path(), pristine, fs::copy_options::recursive);
  for (int n : {1, 2}) {
    fs::remove_all(folder.Path());
    fs::copy(pristine, folder.Path(), fs::copy_options::recursive);
    InADyingChild([&] {
      Books dying(folder.Path(), ui, clock);
      dying.Open();
      TwoCommits(dying);
      ::raise(SIGKILL);
    });
    InADyingChild([&] {
      SlotRemovalKiller files(n);
      store::SetDefaultFileLayer(&files);
      Books recovering(folder.Path(), ui, clock);
      recovering.Open();
      ::raise(SIGKILL);
    });
    EXPECT_EQ(SavingsBalance(), 2) << "killed at removal " << n;
  }
  fs::remove_all(pristine);
}

TEST_F(UnitOfWork, AStagedFileLandsWithItsOperationOrNotAtAllWhereverTheProgramDies) {
  const fs::path statement = folder.Path() / "V03312026.stm";
  store::SaveFileAtomically(store::DefaultFileLayer(), statement, "old statement");
  books.Close();
  const fs::path pristine = folder.Path().parent_path() / (folder.Path().filename().string() + "-pristine");
  fs::remove_all(pristine);
  fs::copy(folder.Path(), pristine, fs::copy_options::recursive);
  int kills = 0;
  for (int n = 1;; ++n) {
    fs::remove_all(folder.Path());
    fs::copy(pristine, folder.Path(), fs::copy_options::recursive);
    const pid_t child = ::fork();
    if (child == 0) {
      Books dying(folder.Path(), ui, clock);
      dying.Open();
      CrashingFileLayer files;
      files.Arm(n, CrashingFileLayer::Mode::kKill);
      store::SetDefaultFileLayer(&files);
      dying.Run([&] {
        dying.Club().accounts.Put(Account("Savings", 7));
        dying.Club().StageFile(statement, "new statement");
        return true;
      });
      dying.Close();
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    Books again(folder.Path(), ui, clock);
    again.Open();
    const bool kept = again.Club().accounts.Contains("_Savings");
    again.Close();
    const std::string bytes = store::ReadWholeFile(store::DefaultFileLayer(), statement);
    EXPECT_EQ(bytes, kept ? "new statement" : "old statement") << "killed at call " << n;
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder.Path() / kWorkingFolderName)) {
      if (entry.path().filename() != kLockFileName) left.insert(entry.path().filename().string());
    }
    EXPECT_TRUE(left.empty()) << "killed at call " << n << ": " << *left.begin();
    if (WIFEXITED(status)) {
      EXPECT_TRUE(kept);
      break;
    }
    ASSERT_TRUE(WIFSIGNALED(status));
    ++kills;
    if (HasFailure()) break;
  }
  EXPECT_GT(kills, 4);
  fs::remove_all(pristine);
}

TEST_F(UnitOfWork, AStagedFileOfAnOperationThatThrowsIsNeverWritten) {
  const fs::path statement = folder.Path() / "V03312026.stm";
  EXPECT_THROW(books.Run([&] {
    club.StageFile(statement, "new statement");
    throw std::runtime_error("the valuation failed");
    return true;
  }),
               std::runtime_error);
  books.Run([&] {
    club.accounts.Put(Account("Savings", 7));
    return true;
  });
  books.Close();
  EXPECT_FALSE(fs::exists(statement));
}

TEST_F(UnitOfWork, AFileThatCannotBePutInPlaceLeavesTheCommitWholeAndLandsAtTheClose) {
  const fs::path statement = folder.Path() / "V03312026.stm";
  StatementRenameRefuser files;
  club.SetFileLayer(&files);
  files.refuse = true;
  EXPECT_NO_THROW(books.Run([&] {
    club.accounts.Put(Account("Savings", 7));
    club.StageFile(statement, "new statement");
    return true;
  }));
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_TRUE(ui.Messages().front().starts_with("The changes were saved, but a file could not be put in place"))
      << ui.Messages().front();
  EXPECT_FALSE(fs::exists(statement));
  files.refuse = false;
  books.Close();
  club.SetFileLayer(nullptr);
  EXPECT_EQ(store::ReadWholeFile(store::DefaultFileLayer(), statement), "new statement");
  EXPECT_EQ(SavingsBalance(), 12.5);
}

// A club kept on the memory layer: every file the books touch goes through the
// club's layer (nothing reaches the disk), and an operation that throws leaves
// the closed club's files byte for byte as a club that never ran it.
class UnitOfWorkInMemory : public ::testing::Test {
 protected:
  // The club's files after the account "Savings" is stored and, with `failing`,
  // an operation that stores "Checking" and a transaction and then throws.
  std::map<std::string, std::string> ClosedClub(bool failing) {
    store::MemoryFileLayer memory;
    memory.CreateFolder(kFolder);
    Books books(kFolder, ui, clock);
    books.Club().SetFileLayer(&memory);
    books.Open();
    ClubInfoFields fields = ClubSetupFields(books.Club());
    fields.club = "Elm Street Investors";
    fields.year = "2026";
    EXPECT_TRUE(CommitClubSetup(books.Club(), fields));
    EXPECT_TRUE(books.Run([&] {
      books.Club().accounts.Put(Account("Savings", 7));
      return true;
    }));
    if (failing) {
      EXPECT_THROW(books.Run([&] {
        books.Club().accounts.Put(Account("Checking", 8));
        books.Club().actrecs.Put(TAccountTranRec{});
        throw std::runtime_error("the disk went away");
        return true;
      }),
                   std::runtime_error);
    }
    books.Close();
    Books again(kFolder, ui, clock);
    again.Club().SetFileLayer(&memory);
    again.Open();
    EXPECT_TRUE(again.Club().accounts.Contains("_Savings"));
    EXPECT_FALSE(again.Club().accounts.Contains("_Checking"));
    EXPECT_EQ(again.Club().actrecs.Count(), 0);
    again.Close();
    return memory.FilesUnder(kFolder);
  }

  static TAccountRec Account(const std::string& name, std::int32_t id) {
    TAccountRec account;
    account.name = name;
    account.actid = id;
    account.active = true;
    return account;
  }

  inline static const fs::path kFolder = "/clubs/elm";
  ScriptedInteraction ui;
  FixedClock clock{DayNumberFromCivil({2026, 12, 7})};
};

TEST_F(UnitOfWorkInMemory, AnOperationThatThrowsLeavesTheClubsFilesAsIfItNeverRan) {
  const std::map<std::string, std::string> without = ClosedClub(false);
  const std::map<std::string, std::string> with_failure = ClosedClub(true);
  EXPECT_TRUE(without.contains("clubact.qdb"));
  EXPECT_TRUE(without.contains("clubinfo.qdb"));
  EXPECT_EQ(with_failure, without);
  EXPECT_FALSE(fs::exists(kFolder));
}

}  // namespace
}  // namespace pellmark::testing
