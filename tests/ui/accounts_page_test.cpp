#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>
#include <gmock/gmock.h>

#include "cash/account_ledger.h"
#include "cash/categories.h"
#include "club/record_kinds.h"
#include "forms/entry_dialog.h"
#include "window_fixture.h"

namespace pellmark::ui {
namespace {

using ::testing::ElementsAre;
using Event = testing::ScriptedInteraction::Event;
using Kind = testing::ScriptedInteraction::Kind;

constexpr int kTransactionsSheet = 0;
constexpr int kDataSheet = 1;
constexpr int kCategoriesSheet = 3;

class AccountsPageTest : public ClubWindowTest {
 protected:
  AccountsPageTest() : ClubWindowTest(MainTab::kAccounts, "AccountsPage", "accountgrid") {}

  void DoubleClickRow(int row) {
    auto* grid = Find<QTableWidget>(*window, "accountgrid");
    const QRect cell = grid->visualRect(grid->model()->index(row, 2));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
  }

  // Queues what the user types into the entry dialog of an account transaction.
  void AnswerDialog(QString amount, std::string desc, std::string listed, std::string number = "",
                    bool cleared = false) {
    ui.AnswerEntryDialog([=](EntryDialog& dialog) {
      EntryForm& form = dialog.Form();
      form.amount.text = amount.toStdString();
      form.desc.text = desc;
      if (!number.empty()) form.price.text = number;
      const auto& items = form.accountbox.items;
      form.accountbox.selected = static_cast<int>(std::find(items.begin(), items.end(), listed) - items.begin());
      form.cleared.checked = cleared;
    });
  }

  // A deposit written by a dues collection, posted as the member ledger posts it.
  void PostDuesDeposit(double amount) {
    ledger::AccountLedger accounts(window->Club());
    TAccountTranRec deposit;
    deposit.trandate = DayNumberFromCivil({1999, 12, 1});
    deposit.amount = amount;
    deposit.desc = "Dues";
    deposit.checknum = -1;
    deposit.catid = Code(PredefinedCategory::MemberContributions);
    deposit.xferact = -1;
    deposit.typ = Code(AccountTranKind::Deposit);
    deposit.updateloc = Code(AccountOrigin::Member);
    ASSERT_TRUE(accounts.PostAccountTransaction(accounts.Find("Cash")->actid, ledger::PostMode::NewOnAccount,
                                                deposit, nullptr, ledger::kApply));
  }
};

TEST_F(AccountsPageTest, ShowsTheDefaultAccountWithAnEmptyRegisterOfTheCalendarsYear) {
  EXPECT_EQ(Find<QListWidget>(*window, "Keys")->currentItem()->text(), QStringLiteral("Cash"));
  EXPECT_EQ(Find<QGroupBox>(*window, "accountgridgroup")->title(), QStringLiteral("1999 Transaction History"));
  EXPECT_EQ(Text("accountcnt"), QStringLiteral("0"));
  EXPECT_EQ(Text("bal"), QStringLiteral("$0.00"));
  EXPECT_EQ(Text("lstdate"), QStringLiteral("12/31/1999"));
  EXPECT_FALSE(Find<QWidget>(*window, "deleterecord")->isEnabled());
  EXPECT_TRUE(Find<QCheckBox>(*window, "curactsel")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>(*window, "curstkactsel")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>(*window, "valusage")->isChecked());
}

TEST_F(AccountsPageTest, ANameFieldRefusesCharactersTheClubCannotStore) {
  auto* name = Find<QLineEdit>(*window, "accountname");
  name->setReadOnly(false);
  name->clear();
  name->insert(QString::fromUtf8("Caf\u00e9 "));
  name->insert(QString::fromUtf8("\u94f6\u884c"));  // typed or pasted: refused, as they have no form to store
  EXPECT_EQ(name->text(), QString::fromUtf8("Caf\u00e9 "));
}

// Warnings are not refusals: the posting is kept and the status bar says what
// to look at, until the next posting says otherwise.
TEST_F(AccountsPageTest, TheStatusBarWarnsOfAnAccountBelowZeroAndOfACheckNumberUsedBefore) {
  QStatusBar* status = window->statusBar();
  EXPECT_EQ(status->currentMessage(), QString());
  AnswerDialog("25", "Stamps", "Operating Expenses", "101");
  Click("actcheck");
  EXPECT_EQ(Text("bal"), QStringLiteral("($25.00)"));
  EXPECT_EQ(status->currentMessage(), QStringLiteral("Warning: Cash is below zero: ($25.00)."));
  EXPECT_TRUE(status->isVisible());


  AnswerDialog("1000", "Refund", "Other Income");
  Click("actdeposit");
  EXPECT_EQ(Text("bal"), QStringLiteral("$975.00"));
  EXPECT_EQ(status->currentMessage(), QString());

  AnswerDialog("1234.5", "Stamps again", "Operating Expenses", "101");
  Click("actcheck");
  EXPECT_EQ(status->currentMessage(),
            QStringLiteral("Warning: Cash is below zero: ($259.50).  Warning: check 101 was already used in Cash."));
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{});  // never a message box: the postings were kept
  EXPECT_EQ(Text("accountcnt"), QStringLiteral("3"));
}

TEST_F(AccountsPageTest, EntersChangesAndDeletesACheck) {
  AnswerDialog("25", "Stamps", "Operating Expenses", "101");
  Click("actcheck");
  EXPECT_THAT(ui.Events(), ElementsAre(Event{Kind::Sound, ""}));
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("12/31/1999  *|Check|Stamps|101|($25.00)|($25.00)")));
  EXPECT_EQ(Find<QTableWidget>(*window, "accountgrid")->item(0, 0)->toolTip(), QStringLiteral("Not cleared"));
  EXPECT_EQ(Text("accountcnt"), QStringLiteral("1"));
  EXPECT_EQ(Text("bal"), QStringLiteral("($25.00)"));
  EXPECT_EQ(Text("ostdeb"), QStringLiteral("$25.00"));
  EXPECT_EQ(Text("totalassets"), QStringLiteral("($25.00)"));
  ASSERT_EQ(ui.EntryRequests().size(), 1u);
  EXPECT_EQ(ui.EntryRequests()[0].mode, EntryMode::Check);
  EXPECT_EQ(ui.EntryRequests()[0].account_tran.trandate, DayNumberFromCivil({1999, 12, 31}));

  ui.Clear();
  AnswerDialog("30", "Stamps and envelopes", "Operating Expenses", "101", /*cleared=*/true);
  DoubleClickRow(0);
  EXPECT_TRUE(ui.AllAnswersUsed());
  EXPECT_THAT(ui.Events(), ElementsAre(Event{Kind::Sound, ""}));
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("12/31/1999|Check|Stamps and envelopes|101|($30.00)|($30.00)")));
  EXPECT_EQ(Text("bal"), QStringLiteral("($30.00)"));
  EXPECT_EQ(Text("ostdeb"), QStringLiteral("$0.00"));
  EXPECT_EQ(Text("totalassets"), QStringLiteral("($30.00)"));

  ui.Clear();
  ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
  Click("deleterecord");
  EXPECT_THAT(ui.Messages(), ElementsAre("Selected Record will be removed permanently. Continue?"));
  EXPECT_EQ(ui.SoundCount(), 1);
  EXPECT_TRUE(GridRows().isEmpty());
  EXPECT_EQ(Text("accountcnt"), QStringLiteral("0"));
  EXPECT_EQ(Text("bal"), QStringLiteral("$0.00"));
  EXPECT_EQ(Text("totalassets"), QStringLiteral("$0.00"));
  EXPECT_EQ(window->Club().actrecs.Count(), 0);
}

TEST_F(AccountsPageTest, ACancelledDialogAndANoAnswerChangeNothing) {
  ui.AnswerEntryDialog([](EntryDialog& dialog) { dialog.Form().amount.text = "10"; }, DialogOutcome::Cancelled);
  Click("actdeposit");
  EXPECT_TRUE(GridRows().isEmpty());
  EXPECT_EQ(ui.SoundCount(), 0);

  AnswerDialog("10", "Refund", "Other Income");
  Click("actdeposit");
  ui.Clear();
  ui.AnswerNext("Selected Record will be removed permanently. Continue?", false);
  auto* grid = Find<QTableWidget>(*window, "accountgrid");
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_Delete);  // the keyboard's way to "Delete Record"
  EXPECT_THAT(ui.Messages(), ElementsAre("Selected Record will be removed permanently. Continue?"));
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("12/31/1999  *|Deposit|Refund||$10.00|$10.00")));
  EXPECT_EQ(Text("bal"), QStringLiteral("$10.00"));
}

TEST_F(AccountsPageTest, ADuesDepositIsKeptUnlessForceDeletesIsTicked) {
  PostDuesDeposit(100);
  window->ChooseTab(MainTab::kAccounts);
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("12/01/1999  *|Deposit|Dues||$100.00|$100.00")));

  Click("deleterecord");
  EXPECT_THAT(ui.Events(), ElementsAre(Event{Kind::Information, "Need to perform a member dues change"}));
  EXPECT_EQ(GridRows().size(), 1);
  EXPECT_EQ(Text("bal"), QStringLiteral("$100.00"));

  window->ChooseTab(MainTab::kSpecial);
  Find<QTabWidget>(*window, "SpecialPage")->setCurrentIndex(1);
  Find<QCheckBox>(*window, "forcedeletes")->click();
  window->ChooseTab(MainTab::kAccounts);
  ui.Clear();
  ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
  Click("deleterecord");
  EXPECT_TRUE(GridRows().isEmpty());
  EXPECT_EQ(Text("bal"), QStringLiteral("$0.00"));
}

TEST_F(AccountsPageTest, TheRegisterRunsABalanceAfterTheAmountsSigned) {
  PostDuesDeposit(1200);
  window->ChooseTab(MainTab::kAccounts);
  AnswerDialog("25", "Stamps", "Operating Expenses", "101");
  Click("actcheck");
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("12/01/1999  *|Deposit|Dues||$1,200.00|$1,200.00"),
                                      QStringLiteral("12/31/1999  *|Check|Stamps|101|($25.00)|$1,175.00")));
}

TEST_F(AccountsPageTest, TheAllBoxAndTheYearSpinChooseTheRegistersRows) {
  PostDuesDeposit(100);
  window->ChooseTab(MainTab::kAccounts);
  Click("ayearspindown");
  EXPECT_EQ(Find<QGroupBox>(*window, "accountgridgroup")->title(), QStringLiteral("1998 Transaction History"));
  EXPECT_TRUE(GridRows().isEmpty());
  Find<QCheckBox>(*window, "allaccount")->click();
  EXPECT_EQ(Find<QGroupBox>(*window, "accountgridgroup")->title(), QStringLiteral("Complete Transaction History"));
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("12/01/1999  *|Deposit|Dues||$100.00|$100.00")));
  EXPECT_TRUE(window->Club().View().allaccount);
}

TEST_F(AccountsPageTest, ANewAccountIsCheckedListedAndSelected) {
  ShowSheet(kDataSheet);
  Click("accountnew");
  auto* name = Find<QLineEdit>(*window, "accountname");
  EXPECT_EQ(name->text(), QStringLiteral("Account Name"));
  EXPECT_FALSE(name->isReadOnly());
  // An open field is drawn as an entry field, a locked one in the window's colour.
  EXPECT_EQ(name->palette().color(QPalette::Base), window->palette().color(QPalette::Base));
  Click("accountadd");
  Type(*window, "accountname", QStringLiteral("Broker"));
  Type(*window, "initialbalance", QStringLiteral("25x"));
  Click("accountadd");
  EXPECT_THAT(ui.Messages(), ElementsAre("No Account to add.", "Initial Balance 25x is invalid."));
  EXPECT_EQ(ListedNames(), QStringList{QStringLiteral("Cash")});

  ui.Clear();
  Type(*window, "initialbalance", QStringLiteral("250"));
  Click("accountadd");
  EXPECT_THAT(ui.Messages(), ElementsAre("Account Broker added."));
  EXPECT_EQ(ListedNames(), (QStringList{QStringLiteral("Broker"), QStringLiteral("Cash")}));
  EXPECT_EQ(Find<QListWidget>(*window, "Keys")->currentItem()->text(), QStringLiteral("Broker"));
  EXPECT_TRUE(name->isReadOnly());
  EXPECT_EQ(name->palette().color(QPalette::Base), window->palette().color(QPalette::Window));
  EXPECT_EQ(Text("bal"), QStringLiteral("$250.00"));
  EXPECT_FALSE(Find<QCheckBox>(*window, "curactsel")->isChecked());
  EXPECT_EQ(Text("totalassets"), QStringLiteral("$250.00"));

  ui.Clear();
  Find<QCheckBox>(*window, "valusage")->click();
  EXPECT_TRUE(ledger::AccountLedger(window->Club()).Find("Broker")->ExcludedFromValuation());
  EXPECT_EQ(Text("totalassets"), QStringLiteral("$0.00"));
  Find<QListWidget>(*window, "Keys")->setCurrentRow(1);
  Find<QCheckBox>(*window, "curactsel")->click();  // unticking the default's box is refused
  EXPECT_THAT(ui.Messages(), ElementsAre("Account Already set as default member account."));
  EXPECT_TRUE(Find<QCheckBox>(*window, "curactsel")->isChecked());
}

TEST_F(AccountsPageTest, HidingAnAccountWithABalanceIsRefused) {
  ShowSheet(kDataSheet);
  Click("accountnew");
  Type(*window, "accountname", QStringLiteral("Broker"));
  Type(*window, "initialbalance", QStringLiteral("10"));
  Click("accountadd");
  ui.Clear();
  Click("acthide");
  EXPECT_THAT(ui.Messages(), ElementsAre("Account does not have a zero balance."));
  EXPECT_EQ(ListedNames().size(), 2);
}

TEST_F(AccountsPageTest, TheCategoriesSheetAddsACategoryAndShowsItsTotal) {
  AnswerDialog("25", "Stamps", "Operating Expenses", "101");
  Click("actcheck");
  ShowSheet(kCategoriesSheet);
  auto* catbox = Find<QListWidget>(*window, "catbox");
  EXPECT_TRUE(catbox->isVisible());
  EXPECT_FALSE(Find<QWidget>(*window, "Keys")->isVisible());
  EXPECT_EQ(catbox->count(), 10);
  EXPECT_EQ(catbox->currentItem()->text(), QStringLiteral("Dividend Income"));

  ui.Clear();
  catbox->setCurrentRow(catbox->count() - 1);
  for (int step = 0; step < 3; ++step) Click("catup");
  EXPECT_EQ(catbox->currentItem()->text(), QStringLiteral("Operating Expenses"));
  EXPECT_EQ(Text("cattotal"), QStringLiteral("$25.00"));
  EXPECT_EQ(Find<QGroupBox>(*window, "cattotalgroup")->title(), QStringLiteral("1999 Transaction History - Cash"));
  Click("catchange");
  EXPECT_THAT(ui.Messages(), ElementsAre("Cannot Changed a Predefined Category."));
  EXPECT_TRUE(Find<QLineEdit>(*window, "catname")->isReadOnly());

  ui.Clear();
  Click("catnew");
  EXPECT_EQ(Find<QLineEdit>(*window, "catname")->text(), QStringLiteral("Category Description"));
  Type(*window, "catname", QStringLiteral("Dues Refunds"));
  Click("catadd");
  EXPECT_THAT(ui.Messages(), ElementsAre("Category Type must be selected"));
  Find<QAbstractButton>(*window, "cattypewithdrawal")->click();
  Find<QCheckBox>(*window, "cattax")->click();
  Click("catadd");
  EXPECT_EQ(catbox->count(), 11);
  EXPECT_EQ(catbox->currentItem()->text(), QStringLiteral("Dues Refunds"));
  EXPECT_EQ(Text("cattotal"), QStringLiteral("$0.00"));
  EXPECT_TRUE(Find<QLineEdit>(*window, "catname")->isReadOnly());
  auto stored = ledger::CategoryLedger(window->Club()).FindById(11);
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->cat, "Dues Refunds");
  EXPECT_EQ(stored->typ, 2);
  EXPECT_TRUE(stored->tax);
  EXPECT_TRUE(window->Club().categories.Contains("Dues Refunds_11_W"));
}

}  // namespace
}  // namespace pellmark::ui
