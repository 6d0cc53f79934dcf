#include "books/books_check.h"

#include <algorithm>
#include <filesystem>
#include <fmt/format.h>
#include <gmock/gmock.h>

#include "club/record_kinds.h"
#include "forms/entry_dialog.h"
#include "store/whole_files.h"
#include "support/ledger_fixture.h"
#include "valuation/statement_file.h"

namespace pellmark {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A club with a deposit, a transfer to a second account and one dues collection,
// whose books hold; each test then damages one store the way a crash between two
// stores would.
class BooksCheckTest : public testing::ClubFixture {
 protected:
  void SetUp() override {
    ClubFixture::SetUp();
    ASSERT_TRUE(books.Accounts().CommitAccount(std::nullopt, {"Broker", "9-876", 0}));
    ledger::MemberEntry ann;
    ann.lname = "Smith";
    ann.fname = "Ann";
    ASSERT_TRUE(books.Members().CommitMember(std::nullopt, ann));
    Answer("100", "Opening deposit", "Member Contributions");
    ASSERT_TRUE(books.Accounts().EnterTransaction("Cash", EntryMode::Deposit, Day(2026, 12, 1)));
    Answer("40", "Fund the broker", "Broker");
    ASSERT_TRUE(books.Accounts().EnterTransaction("Cash", EntryMode::Transfer, Day(2026, 12, 2)));
    ui.AnswerEntryDialog([](EntryDialog& dialog) { dialog.Form().amount.text = "25"; });
    ASSERT_TRUE(books.Members().Collect(ledger::MemberAction::DuesAll, std::nullopt, Day(2026, 12, 3)));
    ui.Clear();
    ASSERT_THAT(Texts(), IsEmpty());
  }

  void Answer(std::string amount, std::string desc, std::string listed) {
    ui.AnswerEntryDialog([=](EntryDialog& dialog) {
      EntryForm& form = dialog.Form();
      form.amount.text = amount;
      form.desc.text = desc;
      auto& items = form.accountbox.items;
      form.accountbox.selected = static_cast<int>(std::find(items.begin(), items.end(), listed) - items.begin());
    });
  }

  std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const BooksBreach& breach : CheckBooks(club)) texts.push_back(breach.text + " " + breach.mend_text);
    return texts;
  }

  TAccountRec Account(const std::string& name) { return *books.Accounts().Find(name); }
};

TEST_F(BooksCheckTest, ABalanceWithoutItsRegisterLineIsFoundAndMendedByAReset) {
  TAccountRec cash = Account("Cash");
  cash.bal += 40;      // the transfer backed out of the balance, its line still there
  cash.ostdeb -= 40;
  club.accounts.Put(cash);
  const std::string bytes_before = EncodeRecord(Account("Cash"));
  EXPECT_THAT(Texts(), ElementsAre("Account Cash: balance $125.00, its opening balance and register give $85.00. "
                                   "Mend: pellmark-cli account reset Cash",
                                   "Account Cash: outstanding debits $0.00, the uncleared payments give $40.00. "
                                   "Mend: pellmark-cli account reset Cash"));
  EXPECT_EQ(EncodeRecord(Account("Cash")), bytes_before);  // checking changed nothing

  EXPECT_EQ(RepairBooks(books, CheckBooks(club)), 1);
  EXPECT_THAT(Texts(), IsEmpty());
  EXPECT_EQ(Account("Cash").bal, 85);
  EXPECT_THAT(ui.Messages(), IsEmpty());  // the repair's resets are silent
}

TEST_F(BooksCheckTest, AMemberCreditedWithoutItsTransactionsIsFound) {
  TMemberRec ann = *books.Members().Find("Smith, Ann");
  ann.tunits = 3;
  club.members.Put(ann);
  EXPECT_THAT(Texts(), ElementsAre("Member Ann Smith: 3.000 units, the transactions give 1.000. "
                                   "Mend: pellmark-cli member reset \"Smith, Ann\""));
  RepairBooks(books, CheckBooks(club));
  EXPECT_THAT(Texts(), IsEmpty());
}

TEST_F(BooksCheckTest, BrokenLinksAndCountersBehindTheirIdsAreFound) {
  // The Transfer In of the transfer is lost, and the deposit the dues went into.
  TAccountRec broker = Account("Broker");
  ASSERT_TRUE(club.actrecs.Remove(TranKey(broker.actid, 0, Day(2026, 12, 2))));
  TAccountRec cash = Account("Cash");
  const TMemberTranRec dues = books.Members().Transactions(books.Members().Find("Smith, Ann")->memid).front();
  ASSERT_TRUE(club.actrecs.Remove(TranKey(cash.actid, dues.tranid, dues.trandate)));
  cash.trancount = 1;  // behind the transfer's id 1 and the deposit's id 2
  club.accounts.Put(cash);

  std::vector<std::string> texts = Texts();
  EXPECT_THAT(texts, ::testing::Contains("Account Cash: its transaction counter is 1, but the id 1 is in use. "
                                         "Mend: pellmark-cli check-books --repair"));
  EXPECT_THAT(texts, ::testing::Contains(::testing::HasSubstr("(Transfer Out) has no counterpart 0 in account id")));
  EXPECT_THAT(texts, ::testing::Contains(::testing::HasSubstr("links to the missing transaction 2 of account id")));

  RepairBooks(books, CheckBooks(club));
  EXPECT_EQ(Account("Cash").trancount, 2);
  // A lost record cannot be made up by a reset: those breaches stay, pointing at a backup.
  for (const BooksBreach& breach : CheckBooks(club)) EXPECT_EQ(breach.mend, BooksBreach::Mend::kRestoreBackup);
}

TEST_F(BooksCheckTest, EveryOfficialStatementIsComparedWithItsUnitRecordAndEveryUnitRecordFindsItsStatement) {
  ASSERT_TRUE(books.CreateValuation(Day(2026, 12, 5), /*official=*/true).outcome);
  ui.Clear();
  EXPECT_THAT(Texts(), IsEmpty());
  const std::filesystem::path file = club.Folder() / "V12052026.stm";
  const std::string bytes = store::ReadWholeFile(store::DefaultFileLayer(), file);
  const TUnitValueRec unit = club.unitfile.Select("").back();
  const std::string mend =
      " Mend: pellmark-cli --yes audit 12/05/2026 (the valuations from that date run again and write their statements).";

  // New figures in the statement, the unit record rolled back: as a crash between the two left them.
  valuation::Statement torn = valuation::DecodeStatement(bytes, "V12052026.stm");
  torn.summary->new_unit_value += 1.25;
  store::SaveFileAtomically(store::DefaultFileLayer(), file, valuation::EncodeStatement(torn));
  EXPECT_THAT(Texts(), ElementsAre(fmt::format("The statement V12052026.stm does not match the valuation of "
                                               "12/05/2026, unit value {:.3f} against {:.3f}.",
                                               unit.unitval + 1.25, unit.unitval) + mend));
  RepairBooks(books, CheckBooks(club));
  EXPECT_THAT(Texts(), IsEmpty());

  std::filesystem::remove(file);
  EXPECT_THAT(Texts(), ElementsAre(fmt::format("The valuation of 12/05/2026 (id {}) has no official statement "
                                               "V12052026.stm.", club.unitfile.Select("").back().unitid) + mend));
  RepairBooks(books, CheckBooks(club));
  EXPECT_THAT(Texts(), IsEmpty());
  ASSERT_TRUE(std::filesystem::exists(file));

  valuation::Statement stray = valuation::DecodeStatement(store::ReadWholeFile(store::DefaultFileLayer(), file), "");
  stray.date = Day(2026, 12, 4);
  stray.unit_id = 99;
  store::SaveFileAtomically(store::DefaultFileLayer(), club.Folder() / "V12042026.stm", valuation::EncodeStatement(stray));
  EXPECT_THAT(Texts(), ElementsAre("The official statement V12042026.stm (id 99) has no valuation of its date. "
                                   "Mend: restore the club from a backup made before it."));
}

}  // namespace
}  // namespace pellmark
