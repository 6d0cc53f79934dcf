// A desktop action that meets a store or file error: the operation boundary
// catches it, the books drop what the action changed since the last commit,
// the error is shown, and the window goes on working.
#include <QPushButton>
#include <cerrno>
#include <stdexcept>
#include <gmock/gmock.h>

#include "cash/account_ledger.h"
#include "store/posix_file_layer.h"
#include "window_fixture.h"

namespace pellmark::ui {
namespace {

using ::testing::ElementsAre;

// A disk that has filled up: every write and copy fails with ENOSPC.
class FullDisk final : public store::PosixFileLayer {
 public:
  bool full = false;

  void WriteAt(store::FileHandle handle, std::uint64_t offset, std::span<const char> bytes) override {
    if (full) throw store::FileLayerError(ENOSPC, "", "write");
    PosixFileLayer::WriteAt(handle, offset, bytes);
  }
  std::uint64_t CopyRange(store::FileHandle from, std::uint64_t from_offset, store::FileHandle to,
                          std::uint64_t to_offset, std::uint64_t count) override {
    if (full) throw store::FileLayerError(ENOSPC, "", "copy");
    return PosixFileLayer::CopyRange(from, from_offset, to, to_offset, count);
  }
};

class OperationBoundaryTest : public ClubWindowTest {
 protected:
  OperationBoundaryTest() : ClubWindowTest(MainTab::kAccounts, "AccountsPage", "accountgrid") {}

  void TearDown() override { window->Club().SetFileLayer(nullptr); }

  void AddAccount(const QString& name) {
    ShowSheet(1);
    Click("accountnew");
    Type(*window, "accountname", name);
    Type(*window, "initialbalance", QStringLiteral("250"));
    Click("accountadd");
  }

  FullDisk disk;
};

TEST_F(OperationBoundaryTest, AStoreErrorInAnActionIsShownAndItsChangesDropped) {
  window->Club().SetFileLayer(&disk);
  disk.full = true;
  AddAccount(QStringLiteral("Broker"));
  EXPECT_THAT(ui.Messages(), ElementsAre("The drive is full"));
  EXPECT_FALSE(ledger::AccountLedger(window->Club()).Find("Broker").has_value());
  EXPECT_EQ(ledger::AccountLedger(window->Club()).List(false).size(), 1u);

  // The disk has room again: the window works on from the last commit.
  disk.full = false;
  ui.Clear();
  Type(*window, "accountname", QStringLiteral("Savings"));
  Click("accountadd");
  EXPECT_THAT(ui.Messages(), ElementsAre("Account Savings added."));
  EXPECT_TRUE(ledger::AccountLedger(window->Club()).Find("Savings").has_value());
  EXPECT_FALSE(ledger::AccountLedger(window->Club()).Find("Broker").has_value());
}

TEST_F(OperationBoundaryTest, AnErrorThrownInAnySlotMeetsTheBoundaryNotQt) {
  auto* button = new QPushButton(QStringLiteral("Fail"), window.get());
  button->show();
  QObject::connect(button, &QPushButton::clicked, [&] {
    TAccountRec half;
    half.name = "Half";
    half.active = true;
    window->Club().accounts.Put(half);
    throw std::runtime_error("Could not write the store");
  });
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_THAT(ui.Messages(), ElementsAre("Could not write the store"));
  EXPECT_EQ(ledger::AccountLedger(window->Club()).List(false).size(), 1u) << "the half-done write is dropped";
}

}  // namespace
}  // namespace pellmark::ui
