// The cash side of a posting that cannot be posted or taken back fails the
// whole operation: the user sees why, and the books drop everything the
// operation wrote, so every store holds the bytes it held before.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>

#include "club/keys.h"
#include "club/record_kinds.h"
#include "securities/trade_fixture.h"

namespace pellmark::testing {
namespace {

using ::testing::ElementsAre;

constexpr const char* kRemoveQuestion = "Selected Record will be removed permanently. Continue?";

class LinkedCash : public TradeFixture {
 protected:
  void SetUp() override {
    TradeFixture::SetUp();
    ASSERT_TRUE(books.Accounts().CommitAccount(std::nullopt, {"Broker", "9-876", 500}));
    ui.Clear();
  }

  // Every item of every store and the club information, as bytes.
  std::map<std::string, std::string> Stores() {
    std::map<std::string, std::string> items;
    auto take = [&items](const char* store, auto& table) {
      table.ForEachKeyed("", [&](const std::string& key, const auto& record) {
        items[std::string(store) + "/" + key] = EncodeRecord(record);
      });
    };
    take("members", club.members);
    take("memrecs", club.memrecs);
    take("securities", club.securities);
    take("stkrecs", club.stkrecs);
    take("prices", club.prices);
    take("accounts", club.accounts);
    take("actrecs", club.actrecs);
    take("categories", club.categories);
    take("unitfile", club.unitfile);
    items["clubinfo"] = EncodeRecord(club.Info());
    return items;
  }

  // The books as a damaged club leaves them: what `damage` removed, committed.
  void Damage(const std::function<void()>& damage) {
    damage();
    books.Commit();
    ui.Clear();
  }

  // Runs the operation as the front ends do and expects it to fail with
  // `message` (after the removal question when the operation asks it), every
  // store as it was.
  void ExpectFailure(const std::function<Outcome()>& operation, const std::string& message, bool asks = false) {
    const std::map<std::string, std::string> before = Stores();
    const Outcome outcome = books.Perform(operation);
    EXPECT_TRUE(outcome.Refused());
    EXPECT_TRUE(outcome.RollsBack());
    EXPECT_EQ(outcome.Message(), message);
    if (asks) {
      EXPECT_THAT(ui.Messages(), ElementsAre(kRemoveQuestion, message));
    } else {
      EXPECT_THAT(ui.Messages(), ElementsAre(message));
    }
    EXPECT_EQ(Stores(), before);
  }

  void AnswerTransfer(const std::string& amount) {
    ui.AnswerEntryDialog([amount](EntryDialog& dialog) {
      EntryForm& form = dialog.Form();
      form.amount.text = amount;
      form.desc.text = "Fund the broker";
      auto& items = form.accountbox.items;
      form.accountbox.selected = static_cast<int>(std::find(items.begin(), items.end(), "Broker") - items.begin());
    });
  }

  // A transfer of 100 from Cash to Broker whose Transfer In is gone.
  void TransferWithoutItsCounterpart() {
    AnswerTransfer("100");
    ASSERT_TRUE(books.Perform(
        [&] { return books.Accounts().EnterTransaction("Cash", EntryMode::Transfer, Day(2026, 12, 1)); }));
    const auto in = books.Accounts().FindTransaction(books.Accounts().Find("Broker")->actid, 0);
    ASSERT_TRUE(in.has_value());
    Damage([&] { ASSERT_TRUE(club.actrecs.Remove(club.actrecs.KeyOf(*in))); });
  }
};

TEST_F(LinkedCash, ChangingATransferWhoseTransferInIsGoneFailsWhole) {
  TransferWithoutItsCounterpart();
  AnswerTransfer("40");
  ExpectFailure([&] { return books.Accounts().ChangeTransaction("Cash", 0); }, "Could not change account transaction.");
}

TEST_F(LinkedCash, DeletingATransferWhoseTransferInIsGoneFailsWhole) {
  TransferWithoutItsCounterpart();
  ui.AnswerNext(kRemoveQuestion, true);
  ExpectFailure([&] { return books.Accounts().DeleteTransaction("Cash", 0, false); },
                "Could not delete account transaction.", /*asks=*/true);
}

TEST_F(LinkedCash, DeletingATradeWhoseAccountIsGoneFailsWhole) {
  ASSERT_TRUE(books.Perform([&] { return Buy("Acme", 1000, 10, 10, Day(2026, 12, 1)); }));
  ASSERT_GE(Record("Acme", 0).transid, 0) << "the purchase is paid from an account";
  const TAccountRec paying = *books.Accounts().FindById(Record("Acme", 0).actid);
  Damage([&] { ASSERT_TRUE(club.accounts.Remove(club.accounts.KeyOf(paying))); });
  ui.AnswerNext(kRemoveQuestion, true);
  ExpectFailure([&] { return books.Trades().DeleteRecord("Acme", 0, false); },
                "An error has occurred restoring Accounting... Aborting.", /*asks=*/true);
}

TEST_F(LinkedCash, DeletingDuesWhoseDepositIsGoneFailsWhole) {
  ledger::MemberEntry person;
  person.lname = "Smith";
  person.fname = "Ann";
  ASSERT_TRUE(books.Members().CommitMember(std::nullopt, person));
  ui.AnswerEntryDialog([](EntryDialog& dialog) { dialog.Form().amount.text = "50"; });
  ASSERT_TRUE(books.Perform([&] {
    return books.Members().Collect(ledger::MemberAction::DuesSelected, std::string("Smith, Ann"), Day(2026, 12, 1));
  }));
  const std::vector<TMemberTranRec> dues = books.Members().Transactions(books.Members().Find("Smith, Ann")->memid);
  ASSERT_EQ(dues.size(), 1u);
  const auto deposit = books.Accounts().FindTransaction(dues.front().actid, dues.front().tranid);
  ASSERT_TRUE(deposit.has_value());
  Damage([&] { ASSERT_TRUE(club.actrecs.Remove(club.actrecs.KeyOf(*deposit))); });
  ui.AnswerNext(kRemoveQuestion, true);
  ExpectFailure([&] { return books.Members().DeleteTransaction("Smith, Ann", dues.front().duestran, false); },
                "Could not delete account transaction.", /*asks=*/true);
}

}  // namespace
}  // namespace pellmark::testing
