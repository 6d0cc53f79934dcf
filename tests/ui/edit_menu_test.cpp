// Edit > Undo "<label>" and Redo "<label>" (Ctrl+Z, Ctrl+Shift+Z): disabled
// without a label when there is nothing to undo or redo; an undo shows the
// books as they were, a redo as they were after; the History window lists
// the operation with the figures it moved.
#include <QAction>
#include <QMenu>
#include <QTableWidget>
#include <QTest>

#include "cash/account_ledger.h"
#include "club/record_kinds.h"
#include "ui/history_window.h"
#include "window_fixture.h"

namespace pellmark::ui {
namespace {

class EditMenuTest : public ClubWindowTest {
 protected:
  EditMenuTest() : ClubWindowTest(MainTab::kAccounts, "AccountsPage", "accountgrid") {}

  QAction* Action(const char* name) { return window->findChild<QAction*>(QString::fromLatin1(name)); }

  // Shows the Edit menu as a click on it would, which brings its captions up to date.
  void OpenEditMenu() { emit window->findChild<QMenu*>(QStringLiteral("Edit1"))->aboutToShow(); }

  void Deposit(double amount) {
    Books& books = window->TheBooks();
    ASSERT_TRUE(books.Perform([&] {
      TAccountTranRec deposit;
      deposit.trandate = DayNumberFromCivil({1999, 12, 1});
      deposit.amount = amount;
      deposit.desc = "Gift";
      deposit.checknum = -1;
      deposit.catid = Code(PredefinedCategory::MemberContributions);
      deposit.xferact = -1;
      deposit.typ = Code(AccountTranKind::Deposit);
      return books.Accounts().PostAccountTransaction(books.Accounts().Find("Cash")->actid,
                                                     ledger::PostMode::NewOnAccount, deposit, nullptr, ledger::kApply);
    }));
    window->ChooseTab(MainTab::kAccounts);
  }
};

TEST_F(EditMenuTest, UndoAndRedoNameTheOperationAndPutTheBooksBack) {
  OpenEditMenu();
  EXPECT_FALSE(Action("Undo1")->isEnabled());
  EXPECT_EQ(Action("Undo1")->text(), QStringLiteral("&Undo"));
  EXPECT_FALSE(Action("Redo1")->isEnabled());
  EXPECT_EQ(Action("Undo1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
  EXPECT_EQ(Action("Redo1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+Z")));

  Deposit(50);
  EXPECT_EQ(Text("bal"), QStringLiteral("$50.00"));
  OpenEditMenu();
  ASSERT_TRUE(Action("Undo1")->isEnabled());
  EXPECT_EQ(Action("Undo1")->text(), QStringLiteral("&Undo \"Deposit $50.00 to Cash\""));

  Action("Undo1")->trigger();
  EXPECT_EQ(Text("bal"), QStringLiteral("$0.00"));
  EXPECT_FALSE(Action("Undo1")->isEnabled());
  ASSERT_TRUE(Action("Redo1")->isEnabled());
  EXPECT_EQ(Action("Redo1")->text(), QStringLiteral("&Redo \"Deposit $50.00 to Cash\""));

  Action("Redo1")->trigger();
  EXPECT_EQ(Text("bal"), QStringLiteral("$50.00"));
  EXPECT_EQ(Action("Undo1")->text(), QStringLiteral("&Undo \"Deposit $50.00 to Cash\""));
  EXPECT_FALSE(Action("Redo1")->isEnabled());
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(EditMenuTest, TheHistoryWindowUndoesToAChosenEntryAfterAQuestion) {
  Deposit(50);
  Deposit(20);
  HistoryWindow history(window->TheBooks(), ui, window.get());
  auto* list = history.findChild<QTableWidget*>(QStringLiteral("historylist"));
  ASSERT_GE(list->rowCount(), 2);
  EXPECT_EQ(list->item(0, 1)->text(), QStringLiteral("Deposit $20.00 to Cash"));
  EXPECT_EQ(list->item(0, 2)->text(), QStringLiteral("Cash +$20.00"));
  EXPECT_EQ(list->item(1, 1)->text(), QStringLiteral("Deposit $50.00 to Cash"));
  list->selectRow(1);
  ui.AnswerNext("Undo every operation back to \"Deposit $50.00 to Cash\", that one too?", true);
  history.UndoToHere();
  EXPECT_EQ(list->item(0, 1)->text(), QStringLiteral("Undo \"Deposit $50.00 to Cash\""));
  EXPECT_EQ(list->item(1, 1)->text(), QStringLiteral("Undo \"Deposit $20.00 to Cash\""));
  EXPECT_EQ(window->Club().accounts.Find("_Cash")->bal, 0);
}

}  // namespace
}  // namespace pellmark::ui
