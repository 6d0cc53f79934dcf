// The unit of work of the books: an operation that throws leaves nothing
// behind; one that ends, even cancelled (an aborted dues run keeps what it
// posted), is committed and outlives the death of the program at once.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "support/ledger_fixture.h"

namespace pellmark::testing {
namespace {

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

}  // namespace
}  // namespace pellmark::testing
