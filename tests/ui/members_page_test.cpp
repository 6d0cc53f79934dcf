#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>
#include <gmock/gmock.h>
#include <map>

#include "cash/account_ledger.h"
#include "club/record_kinds.h"
#include "forms/entry_dialog.h"
#include "members/member_ledger.h"
#include "window_fixture.h"

namespace pellmark::ui {
namespace {

using ::testing::ElementsAre;
using Event = testing::ScriptedInteraction::Event;
using Kind = testing::ScriptedInteraction::Kind;

constexpr int kDuesSheet = 0;
constexpr int kDataSheet = 1;
constexpr int kSpecialSheet = 2;

class MembersPageTest : public ClubWindowTest {
 protected:
  MembersPageTest() : ClubWindowTest(MainTab::kMembers, "MembersPage", "membergrid") {}

  // Two members added through the ledger, then listed as the Members tab lists them.
  void AddTwoMembers() {
    ledger::MemberLedger members(window->Club());
    for (auto [last, first] : {std::pair{"Smith", "Ann"}, std::pair{"Jones", "Bob"}}) {
      ledger::MemberEntry person;
      person.lname = last;
      person.fname = first;
      ASSERT_TRUE(members.CommitMember(std::nullopt, person));
    }
    window->ChooseTab(MainTab::kMembers);
    ui.Clear();
  }

  QString SelectedName() {
    QListWidgetItem* item = Find<QListWidget>(*window, "Keys")->currentItem();
    return item == nullptr ? QString() : item->text();
  }

  void Select(const QString& name) {
    auto* list = Find<QListWidget>(*window, "Keys");
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.front()).center());
  }

  QString FieldText(const char* field) { return Find<QLineEdit>(*window, field)->text(); }

  // Keyboard shortcuts reach only the active window.
  void Activate() {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }

  void Pay(const char* amount) {
    ui.AnswerEntryDialog([amount](EntryDialog& dialog) { dialog.Form().amount.text = amount; });
  }
};

// Each member's value stands beside the name: its units at the latest official
// unit value, with thousands separators; the Reports tab lists the same members
// without it.
TEST_F(MembersPageTest, TheListShowsEachMembersValueBesideTheName) {
  AddTwoMembers();
  EXPECT_THAT(ListedValues(), ElementsAre(QStringLiteral("Jones, Bob|$0.00"), QStringLiteral("Smith, Ann|$0.00")));
  Pay("1234.5");  // 49.38 units at $25.00
  Pay("50");
  ASSERT_TRUE(window->TheBooks().Members().Collect(ledger::MemberAction::DuesAll, std::nullopt,
                                                   DayNumberFromCivil({1999, 12, 1})));
  window->ChooseTab(MainTab::kMembers);
  EXPECT_THAT(ListedValues(),
              ElementsAre(QStringLiteral("Jones, Bob|$1,234.50"), QStringLiteral("Smith, Ann|$50.00")));

  // A valuation at a new unit value prices every member's units again: the
  // club's $1,284.50 less a $100.00 check, over 51.38 units, is $23.05372 a unit.
  ledger::AccountLedger accounts(window->Club());
  TAccountTranRec check;
  check.trandate = DayNumberFromCivil({1999, 12, 15});
  check.amount = 100;
  check.desc = "Postage";
  check.checknum = 101;
  check.catid = Code(PredefinedCategory::OperatingExpenses);
  check.xferact = -1;
  check.typ = Code(AccountTranKind::Check);
  check.updateloc = Code(AccountOrigin::AccountsPage);
  ASSERT_TRUE(accounts.PostAccountTransaction(accounts.Find("Cash")->actid, ledger::PostMode::NewOnAccount, check,
                                              nullptr, ledger::kApply));
  ASSERT_TRUE(window->TheBooks().CreateValuation(DayNumberFromCivil({1999, 12, 31}), true).outcome);
  window->ChooseTab(MainTab::kMembers);
  // 49.38 x 23.05372 = 1,138.39; 2 x 23.05372 = 46.11: together the club's $1,184.50.
  EXPECT_THAT(ListedValues(),
              ElementsAre(QStringLiteral("Jones, Bob|$1,138.39"), QStringLiteral("Smith, Ann|$46.11")));
  window->ChooseTab(MainTab::kReports);
  EXPECT_THAT(ListedValues(), ElementsAre(QStringLiteral("Jones, Bob|"), QStringLiteral("Smith, Ann|")));
}

TEST_F(MembersPageTest, ANewClubShowsNoMemberAndOnlyTheCommandsThatNeedNone) {
  EXPECT_TRUE(ListedNames().isEmpty());
  EXPECT_EQ(Find<QGroupBox>(*window, "membergridgroup")->title(), QStringLiteral("1999 Dues History"));
  EXPECT_EQ(Text("duescnt"), QStringLiteral("0"));
  EXPECT_FALSE(Find<QWidget>(*window, "memberselect")->isEnabled());
  EXPECT_FALSE(Find<QWidget>(*window, "memdeleterecord")->isEnabled());
  EXPECT_TRUE(Find<QWidget>(*window, "memrecalculate")->isEnabled());  // like Reset All Members, needs no member
  EXPECT_FALSE(Find<QWidget>(*window, "memberchange")->isEnabled());
  auto* valuations = Find<QListWidget>(*window, "valuationlist");
  ASSERT_EQ(valuations->count(), 1);
  EXPECT_EQ(valuations->item(0)->text(), QStringLiteral("$25.00 as of 01/01/1999"));
}

TEST_F(MembersPageTest, DuesAllForTwoMembersFillsTheGridTheSummaryAndOneDeposit) {
  AddTwoMembers();
  EXPECT_THAT(ListedNames(), ElementsAre(QStringLiteral("Jones, Bob"), QStringLiteral("Smith, Ann")));
  Select(QStringLiteral("Smith, Ann"));
  Pay("100");  // list order: Bob first
  Pay("50");
  Click("duesall");

  EXPECT_TRUE(ui.AllAnswersUsed());
  EXPECT_THAT(ui.Events(), ElementsAre(Event{Kind::Sound, ""},
                                       Event{Kind::Information, "$150.00 total dues collected."}));
  ASSERT_EQ(ui.EntryRequests().size(), 2u);
  EXPECT_EQ(ui.EntryRequests()[0].heading, "Bob Jones");
  EXPECT_EQ(ui.EntryRequests()[1].heading, "Ann Smith");
  EXPECT_TRUE(ui.EntryRequests()[1].show_abort);
  EXPECT_EQ(ui.EntryRequests()[1].member_tran.trandate, DayNumberFromCivil({1999, 12, 31}));

  EXPECT_EQ(SelectedName(), QStringLiteral("Smith, Ann"));
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("12/31/1999|Payment|50.00|2.000")));
  EXPECT_EQ(Text("duescnt"), QStringLiteral("1"));
  EXPECT_EQ(Find<QGroupBox>(*window, "membersummary")->title(), QStringLiteral("Summary - Even"));
  EXPECT_EQ(Text("totalc"), QStringLiteral("$50.00"));
  EXPECT_EQ(Text("totale"), QStringLiteral("$0.00"));
  EXPECT_EQ(Text("tunits"), QStringLiteral("2.000"));
  EXPECT_EQ(Text("vunit"), QStringLiteral("$25.00"));
  EXPECT_EQ(Text("accountvalue"), QStringLiteral("$50.00"));
  EXPECT_EQ(Text("minisummary"), QStringLiteral("Even"));
  EXPECT_EQ(Text("totalassets"), QStringLiteral("$150.00"));
  EXPECT_EQ(Text("totalunits"), QStringLiteral("6.000"));
  EXPECT_EQ(Text("purchaseunit"), QStringLiteral("$25.00"));
  EXPECT_TRUE(window->Club().Info().dues);

  ledger::AccountLedger accounts(window->Club());
  const auto deposits = accounts.Register("Cash", std::nullopt);
  ASSERT_EQ(deposits.size(), 1u);
  EXPECT_EQ(deposits[0].record.desc, "Member Contributions");
  EXPECT_EQ(deposits[0].amount, 150.00);

  Select(QStringLiteral("Jones, Bob"));
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("12/31/1999|Payment|100.00|4.000")));
  EXPECT_EQ(Text("accountvalue"), QStringLiteral("$100.00"));
}

// Every column of the dues grid is as wide as its header and figures, so the
// Amount is not squeezed by the Units beside it.
TEST_F(MembersPageTest, TheDuesGridsColumnsFitTheirContents) {
  AddTwoMembers();
  Select(QStringLiteral("Smith, Ann"));
  Pay("123456.78");
  Pay("123456789012.34");
  Click("duesall");
  auto* grid = Find<QTableWidget>(*window, "membergrid");
  ASSERT_GT(grid->rowCount(), 0);
  const QFontMetrics metrics(grid->font());
  for (int column = 0; column < grid->columnCount(); ++column) {
    int needed = grid->horizontalHeader()->sectionSizeHint(column);
    for (int row = 0; row < grid->rowCount(); ++row) {
      needed = std::max(needed, metrics.horizontalAdvance(grid->item(row, column)->text()) + 6);
    }
    EXPECT_GE(grid->columnWidth(column), needed) << grid->horizontalHeaderItem(column)->text().toStdString();
  }
}

TEST_F(MembersPageTest, ASecondDuesRunIsRefusedWhenTheUserDeclinesTheQuestion) {
  AddTwoMembers();
  Pay("10");
  Pay("10");
  Click("duesall");
  ui.Clear();
  ui.AnswerNext("No Valuation Statement Created since last dues collection. Continue?", false);
  Click("duesall");
  EXPECT_TRUE(ui.AllAnswersUsed());
  EXPECT_THAT(ui.Messages(), ElementsAre("No Valuation Statement Created since last dues collection. Continue?"));
  EXPECT_EQ(ui.EntryRequests().size(), 2u);
  EXPECT_EQ(Text("totalassets"), QStringLiteral("$20.00"));
}

TEST_F(MembersPageTest, TheGridFollowsTheDuesYearUnlessAllIsTicked) {
  AddTwoMembers();
  Select(QStringLiteral("Smith, Ann"));
  Pay("40");
  Click("duesselected");
  Type(*window, "duesdate", QStringLiteral("01/15/2000"));
  QTest::keyClick(Find<QWidget>(*window, "duesdate"), Qt::Key_Return);
  ui.Clear();
  EXPECT_EQ(Find<QGroupBox>(*window, "membergridgroup")->title(), QStringLiteral("2000 Dues History"));
  EXPECT_TRUE(GridRows().isEmpty());
  EXPECT_EQ(Find<QListWidget>(*window, "valuationlist")->item(0)->text(), QStringLiteral("No Valuations for 2000"));

  Click("alldues");
  EXPECT_EQ(Find<QGroupBox>(*window, "membergridgroup")->title(), QStringLiteral("Complete Dues History"));
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("12/31/1999|Payment|40.00|1.600")));
  EXPECT_TRUE(window->Club().View().alldues);
}

TEST_F(MembersPageTest, DoubleClickChangesARowAndDeleteRecordRemovesIt) {
  AddTwoMembers();
  Select(QStringLiteral("Smith, Ann"));
  Pay("50");
  Click("duesselected");
  ui.Clear();

  auto* grid = Find<QTableWidget>(*window, "membergrid");
  Pay("75");
  const QRect cell = grid->visualRect(grid->model()->index(0, 1));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_TRUE(ui.AllAnswersUsed());
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("12/31/1999|Payment|75.00|3.000")));
  EXPECT_EQ(Text("tunits"), QStringLiteral("3.000"));
  EXPECT_EQ(Text("totalassets"), QStringLiteral("$75.00"));

  ui.Clear();
  ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
  ui.AnswerNext("Do you want to hide member Ann Smith?", false);
  Activate();
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_Delete);
  EXPECT_TRUE(ui.AllAnswersUsed());
  EXPECT_TRUE(GridRows().isEmpty());
  EXPECT_EQ(Text("tunits"), QStringLiteral("0.000"));
  EXPECT_EQ(Text("totalassets"), QStringLiteral("$0.00"));
  EXPECT_EQ(SelectedName(), QStringLiteral("Smith, Ann"));
}

TEST_F(MembersPageTest, AddsAPersonAndAGroupThroughTheFields) {
  ShowSheet(kDataSheet);
  Click("membernew");
  EXPECT_EQ(FieldText("lname"), QStringLiteral("Last Name"));
  EXPECT_EQ(FieldText("fname"), QStringLiteral("First Name"));
  EXPECT_EQ(Find<QLineEdit>(*window, "idnum")->placeholderText(), QStringLiteral("Social Sec."));
  Type(*window, "lname", QStringLiteral("Smith"));
  Type(*window, "fname", QStringLiteral("Ann"));
  Type(*window, "city", QStringLiteral("Springfield"));
  Type(*window, "email", QStringLiteral("ann@example.org"));
  Click("memberadd");
  EXPECT_THAT(ui.Events(), ElementsAre(Event{Kind::Sound, ""}, Event{Kind::Information, "Member Ann Smith added."}));
  EXPECT_THAT(ListedNames(), ElementsAre(QStringLiteral("Smith, Ann")));
  EXPECT_EQ(SelectedName(), QStringLiteral("Smith, Ann"));
  EXPECT_TRUE(Find<QLineEdit>(*window, "lname")->isReadOnly());
  EXPECT_EQ(FieldText("city"), QStringLiteral("Springfield"));
  ledger::MemberLedger members(window->Club());
  EXPECT_EQ(members.Find("Smith, Ann")->email, "ann@example.org");

  ui.Clear();
  Click("membernew");
  Click("nametype");
  EXPECT_EQ(Find<QPushButton>(*window, "nametype")->text(), QStringLiteral("Group"));
  EXPECT_TRUE(Find<QLineEdit>(*window, "lname")->isHidden());
  EXPECT_EQ(FieldText("fname"), QStringLiteral("Name"));
  Type(*window, "fname", QStringLiteral("Elm Street Trust"));
  Click("memberadd");
  EXPECT_THAT(ui.Messages(), ElementsAre("Member Elm Street Trust added."));
  EXPECT_THAT(ListedNames(), ElementsAre(QStringLiteral("Elm Street Trust"), QStringLiteral("Smith, Ann")));
  EXPECT_EQ(SelectedName(), QStringLiteral("Elm Street Trust"));
  EXPECT_EQ(members.Find("Elm Street Trust")->mtype, 'G');

  Select(QStringLiteral("Smith, Ann"));
  EXPECT_EQ(Find<QPushButton>(*window, "nametype")->text(), QStringLiteral("Person"));
  EXPECT_EQ(FieldText("fname"), QStringLiteral("Ann"));
  ui.Clear();
  Click("memberchange");
  Type(*window, "fname", QStringLiteral("Anne"));
  Click("memberadd");
  EXPECT_THAT(ui.Messages(), ElementsAre("Member Anne Smith changed."));
  EXPECT_THAT(ListedNames(), ElementsAre(QStringLiteral("Elm Street Trust"), QStringLiteral("Smith, Anne")));
  EXPECT_EQ(SelectedName(), QStringLiteral("Smith, Anne"));
}

TEST_F(MembersPageTest, RefusesAMemberWithoutANameOrTwiceTheSameAndKeepsTheFieldsOpen) {
  ShowSheet(kDataSheet);
  Click("membernew");
  Click("memberadd");
  Type(*window, "lname", QStringLiteral("Smith"));
  Type(*window, "fname", QStringLiteral("Ann"));
  Click("memberadd");
  ui.Clear();
  Click("membernew");
  Type(*window, "lname", QStringLiteral("smith"));
  Type(*window, "fname", QStringLiteral("ann"));
  Click("memberadd");
  EXPECT_THAT(ui.Messages(), ElementsAre("Member ann smith already exists."));
  EXPECT_FALSE(Find<QLineEdit>(*window, "lname")->isReadOnly());
  EXPECT_TRUE(Find<QWidget>(*window, "memberadd")->isEnabled());
  Click("membercancel");
  EXPECT_TRUE(Find<QLineEdit>(*window, "lname")->isReadOnly());
  EXPECT_EQ(FieldText("fname"), QStringLiteral("Ann"));
  EXPECT_THAT(ListedNames(), ElementsAre(QStringLiteral("Smith, Ann")));
}

TEST_F(MembersPageTest, APromptLeftInTheNameIsRefused) {
  ShowSheet(kDataSheet);
  Click("membernew");
  Click("memberadd");
  EXPECT_THAT(ui.Messages(), ElementsAre("No Member to Add."));
  EXPECT_TRUE(ListedNames().isEmpty());
  EXPECT_FALSE(Find<QLineEdit>(*window, "lname")->isReadOnly());
}

TEST_F(MembersPageTest, HidingIsRefusedWithUnitsAndAHiddenMemberLeavesTheList) {
  AddTwoMembers();
  Select(QStringLiteral("Smith, Ann"));
  Pay("50");
  Click("duesselected");
  ShowSheet(kSpecialSheet);
  ui.Clear();
  Click("memhide");
  EXPECT_THAT(ui.Messages(), ElementsAre("Member has assets. Cannot hide."));
  EXPECT_THAT(ListedNames(), ElementsAre(QStringLiteral("Jones, Bob"), QStringLiteral("Smith, Ann")));

  ui.Clear();
  Select(QStringLiteral("Jones, Bob"));
  Click("memhide");
  EXPECT_THAT(ui.Messages(), ElementsAre("Member Bob Jones is hidden."));
  EXPECT_THAT(ListedNames(), ElementsAre(QStringLiteral("Smith, Ann")));
  EXPECT_EQ(window->Club().Info().hidmems, 1);

  window->ChooseTab(MainTab::kSpecial);
  auto* show_hidden = Find<QCheckBox>(*window, "hiddenmember");
  ASSERT_TRUE(show_hidden->isEnabled());
  QTest::mouseClick(show_hidden, Qt::LeftButton);
  window->ChooseTab(MainTab::kMembers);
  EXPECT_THAT(ListedNames(), ElementsAre(QStringLiteral("Smith, Ann"), QStringLiteral("~Jones, Bob")));

  ui.Clear();
  Select(QStringLiteral("~Jones, Bob"));
  Click("memunhide");
  EXPECT_THAT(ui.Messages(), ElementsAre("Member Bob Jones is not hidden."));
  EXPECT_THAT(ListedNames(), ElementsAre(QStringLiteral("Jones, Bob"), QStringLiteral("Smith, Ann")));
  window->ChooseTab(MainTab::kSpecial);
  EXPECT_FALSE(show_hidden->isChecked());
  EXPECT_FALSE(show_hidden->isEnabled());
}

TEST_F(MembersPageTest, DeletingTheLastMemberDisablesTheTransactions) {
  AddTwoMembers();
  ShowSheet(kSpecialSheet);
  for (const char* name : {"Jones, Bob", "Smith, Ann"}) {
    Select(QString::fromLatin1(name));
    const std::string display = std::string(name) == "Jones, Bob" ? "Bob Jones" : "Ann Smith";
    ui.AnswerNext("Member " + display + " will be removed permanently. Continue?", true);
    Click("memdelete");
  }
  EXPECT_TRUE(ui.AllAnswersUsed());
  EXPECT_THAT(ui.Messages(), ElementsAre("Member Bob Jones will be removed permanently. Continue?",
                                         "Member Bob Jones deleted.",
                                         "Member Ann Smith will be removed permanently. Continue?",
                                         "Member Ann Smith deleted."));
  EXPECT_TRUE(ListedNames().isEmpty());
  EXPECT_FALSE(Find<QWidget>(*window, "memberselect")->isEnabled());
}

TEST_F(MembersPageTest, EveryCommandHasAKeyboardShortcut) {
  AddTwoMembers();
  Select(QStringLiteral("Smith, Ann"));
  ShowSheet(kDuesSheet);
  Activate();
  Pay("30");
  QTest::keyClick(window.get(), Qt::Key_S, Qt::AltModifier);  // "Dues - &Selected"
  // A mnemonic animates the button's click, which lands a moment later.
  EXPECT_TRUE(QTest::qWaitFor([&] { return ui.AllAnswersUsed(); }, 2000));
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("12/31/1999|Payment|30.00|1.200")));
  // On each sheet the mnemonics of the commands, the field captions and the menus
  // are all different, so every one of them reaches its own widget.
  QMenuBar* menus = window->menuBar();
  for (int sheet : {kDuesSheet, kDataSheet, kSpecialSheet}) {
    ShowSheet(sheet);
    std::map<QString, QString> owners;
    const auto claim = [&](const QString& text, const QString& owner) {
      const QString key = QKeySequence::mnemonic(text).toString();
      if (key.isEmpty()) return;
      EXPECT_TRUE(owners.emplace(key, owner).second)
          << key.toStdString() << ": " << owner.toStdString() << " and " << owners[key].toStdString();
    };
    for (QAction* menu : menus->actions()) claim(menu->text(), menu->text());
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
      if (button->isVisible()) claim(button->text(), button->objectName());
    }
    for (QLabel* label : window->findChildren<QLabel*>()) {
      if (label->isVisible() && label->buddy() != nullptr) claim(label->text(), label->buddy()->objectName());
    }
  }
  const QList<QLabel*> labels = window->findChildren<QLabel*>();
  for (const char* command : {"duesall", "duesselected", "mempayoff", "totaldues", "totalearnings", "memfees",
                              "memdeleterecord", "alldues", "nametype", "membernew", "memberchange", "memberadd",
                              "membercancel", "memreset", "memresetall", "memhide", "memunhide", "memdelete"}) {
    auto* button = Find<QAbstractButton>(*window, command);
    const bool captioned = button->text().contains(QLatin1Char('&'));
    const bool labelled =
        std::any_of(labels.begin(), labels.end(), [&](QLabel* label) { return label->buddy() == button; });
    EXPECT_TRUE(captioned || labelled) << command;
  }
}

TEST_F(MembersPageTest, RecalculateAllMembersAsksFirstAndPutsItsGaugeAwayAfter) {
  AddTwoMembers();
  auto* recalculate = Find<QAbstractButton>(*window, "memrecalculate");
  ui.AnswerNext(valuation::kRecalculateQuestion, false);
  recalculate->click();
  EXPECT_THAT(ui.Messages(), ElementsAre(valuation::kRecalculateQuestion));
  ui.Clear();
  ui.AnswerNext(valuation::kRecalculateQuestion, true);
  recalculate->click();
  EXPECT_THAT(ui.Messages(),
              ElementsAre(valuation::kRecalculateQuestion, "All active members units been recalculated."));
  EXPECT_EQ(ui.SoundCount(), 1);
  EXPECT_FALSE(Find<QWidget>(*window, "Gauge2")->isVisibleTo(window.get()));
  EXPECT_EQ(window->Club().Info().year, 1999);
}

}  // namespace
}  // namespace pellmark::ui
