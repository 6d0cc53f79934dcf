#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTabBar>
#include <gmock/gmock.h>

#include <QMenu>
#include <QSignalSpy>
#include <set>

#include "club/club_info_file.h"
#include "forms/club_setup_form.h"
#include "club/club_lock.h"
#include "club/club_session.h"
#include "club/entry_dialog_mode.h"
#include "forms/entry_mode_text.h"
#include "forms/lot_chooser.h"
#include "ui/club_host.h"
#include "ui/tselect_shares.h"
#include "club/records.h"
#include "ui/help_window.h"
#include "ui/reports_page.h"
#include "ui/qt_interaction.h"
#include "ui_test_support.h"

namespace pellmark::ui {
namespace {

using ::testing::ElementsAre;
using Event = testing::ScriptedInteraction::Event;
using Kind = testing::ScriptedInteraction::Kind;

// Clicks the tab of the strip as the user does.
void ClickTab(TPellmark& window, MainTab tab) {
  auto* strip = Find<QTabBar>(window, "TabSet1");
  QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(static_cast<int>(tab)).center());
}

QString ShownPage(TPellmark& window) { return Find<QStackedWidget>(window, "pages")->currentWidget()->objectName(); }

QStringList ListedKeys(TPellmark& window) {
  QStringList keys;
  auto* list = Find<QListWidget>(window, "Keys");
  for (int row = 0; row < list->count(); ++row) keys << list->item(row)->text();
  return keys;
}

void AddMember(ClubSession& club, const std::string& key, bool active) {
  TMemberRec member;
  member.active = active;
  club.members.PutAt(key, member);
}

// A picture taken with --grab of a club not set up: the refusal of its tab must
// end the run, not wait for a click on a box nobody sees.
TEST(UnattendedInteraction, ShowsNoBoxAndAnswersNo) {
  QtInteraction ui(nullptr);
  ui.SetUnattended(true);
  ui.ShowError("Please choose the Special Tab to set up the club for the first time");
  ui.ShowInformation("Valuation Updated");
  EXPECT_FALSE(ui.Confirm("Selected Record will be removed permanently. Continue?"));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainWindowTest, FirstRunOffersOnlyTheSpecialTab) {
  auto window = OpenWindow();
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Pellmark"));
  EXPECT_EQ(window->CurrentTab(), MainTab::kSpecial);
  EXPECT_EQ(ShownPage(*window), QStringLiteral("SpecialPage"));
  EXPECT_FALSE(Find<QWidget>(*window, "Keys")->isVisible());
  EXPECT_EQ(Find<QLabel>(*window, "totalassets")->text(), QString());

  for (MainTab refused : {MainTab::kMembers, MainTab::kSecurities, MainTab::kAccounts, MainTab::kReports}) {
    ui.Clear();
    ClickTab(*window, refused);
    EXPECT_THAT(ui.Events(),
                ElementsAre(Event{Kind::Beep, ""},
                            Event{Kind::Information,
                                  "Please choose the Special Tab to set up the club for the first time"}));
    EXPECT_EQ(Find<QTabBar>(*window, "TabSet1")->currentIndex(), 4);
    EXPECT_EQ(ShownPage(*window), QStringLiteral("SpecialPage"));
  }
  ui.Clear();
  QTest::keyClick(window.get(), Qt::Key_1, Qt::ControlModifier);
  EXPECT_THAT(ui.Messages(), ElementsAre("Please choose the Special Tab to set up the club for the first time"));
  EXPECT_EQ(window->CurrentTab(), MainTab::kSpecial);
}

TEST_F(MainWindowTest, FirstSetUpThroughTheSpecialPageOpensTheOtherTabs) {
  auto window = OpenWindow();
  window->show();
  EXPECT_EQ(Find<QLineEdit>(*window, "clubname")->text(), QStringLiteral("Investment Club Name"));
  EXPECT_EQ(Find<QLineEdit>(*window, "clubaddress")->text(), QStringLiteral("Address, City, Zip"));
  EXPECT_EQ(Find<QLineEdit>(*window, "clubtaxid")->text(), QStringLiteral("Tax ID"));
  EXPECT_EQ(Find<QLineEdit>(*window, "trackyear")->text(), QStringLiteral("1999"));
  EXPECT_EQ(Find<QLineEdit>(*window, "startunit")->text(), QStringLiteral("25.00"));
  EXPECT_TRUE(Find<QWidget>(*window, "startunit")->isVisible());
  EXPECT_TRUE(Find<QLineEdit>(*window, "clubname")->isReadOnly());
  EXPECT_FALSE(Find<QWidget>(*window, "clubinfocommit")->isEnabled());

  SetUpClub(*window, QStringLiteral("1998"));

  EXPECT_THAT(ui.Messages(), ElementsAre("Club Information added."));
  EXPECT_EQ(ui.SoundCount(), 1);
  EXPECT_TRUE(window->Club().InfoExists());
  EXPECT_EQ(ReadClubInfo(folder.Path())->club, "Elm Street Investors");
  EXPECT_EQ(ReadClubInfo(folder.Path())->year, 1998);
  EXPECT_FALSE(Find<QWidget>(*window, "startunit")->isVisible());
  EXPECT_FALSE(Find<QWidget>(*window, "startunitlabel")->isVisible());
  EXPECT_TRUE(Find<QLineEdit>(*window, "clubname")->isReadOnly());
  EXPECT_TRUE(Find<QCheckBox>(*window, "stksort")->isChecked());
  EXPECT_EQ(Find<QLabel>(*window, "totalassets")->text(), QStringLiteral("$0.00"));
  EXPECT_EQ(Find<QLabel>(*window, "totalunits")->text(), QStringLiteral("0.000"));
  EXPECT_EQ(Find<QLabel>(*window, "purchaseunit")->text(), QStringLiteral("$25.00"));

  ui.Clear();
  ClickTab(*window, MainTab::kAccounts);
  EXPECT_TRUE(ui.Events().empty());
  EXPECT_EQ(ShownPage(*window), QStringLiteral("AccountsPage"));
  EXPECT_THAT(ListedKeys(*window), ElementsAre(QStringLiteral("Cash")));
  EXPECT_EQ(Find<QListWidget>(*window, "Keys")->currentRow(), 0);  // the default account
  ClickTab(*window, MainTab::kMembers);
  EXPECT_EQ(ShownPage(*window), QStringLiteral("MembersPage"));
  EXPECT_TRUE(Find<QWidget>(*window, "Keys")->isVisible());
}

// A page group is built the first time its tab is chosen, once, in its place
// on the page stack; Force Deletes reads off until the Special page exists.
TEST_F(MainWindowTest, PageGroupsAreBuiltWhenFirstShownAndKept) {
  auto window = OpenWindow();
  SetUpClub(*window);
  window.reset();
  window = OpenWindow();
  EXPECT_EQ(window->CurrentTab(), MainTab::kMembers);
  EXPECT_NE(window->findChild<QWidget*>(QStringLiteral("MembersPage")), nullptr);
  EXPECT_EQ(window->findChild<QWidget*>(QStringLiteral("AccountsPage")), nullptr);
  EXPECT_EQ(window->findChild<QWidget*>(QStringLiteral("forcedeletes")), nullptr);
  EXPECT_FALSE(window->ForceDeletes());

  ASSERT_TRUE(window->ChooseTab(MainTab::kAccounts));
  auto* accounts = window->findChild<QWidget*>(QStringLiteral("AccountsPage"));
  auto* pages = window->findChild<QStackedWidget*>(QStringLiteral("pages"));
  ASSERT_NE(accounts, nullptr);
  EXPECT_EQ(pages->currentWidget(), accounts);
  EXPECT_EQ(pages->indexOf(accounts), static_cast<int>(MainTab::kAccounts));
  ASSERT_TRUE(window->ChooseTab(MainTab::kMembers));
  ASSERT_TRUE(window->ChooseTab(MainTab::kAccounts));
  EXPECT_EQ(window->findChildren<QWidget*>(QStringLiteral("AccountsPage")).size(), 1);
  EXPECT_EQ(pages->currentWidget(), accounts);
  EXPECT_EQ(pages->count(), 5);
}

TEST_F(MainWindowTest, ASecondCommitUpdatesTheClubInformation) {
  auto window = OpenWindow();
  window->show();
  SetUpClub(*window);
  ui.Clear();
  QTest::mouseClick(Find<QWidget>(*window, "clubinfochange"), Qt::LeftButton);
  Type(*window, "clubaddress", QStringLiteral("1 Main Street"));
  QTest::mouseClick(Find<QWidget>(*window, "clubinfocommit"), Qt::LeftButton);
  EXPECT_THAT(ui.Messages(), ElementsAre("Club Information updated."));
  EXPECT_EQ(ReadClubInfo(folder.Path())->addr, "1 Main Street");
}

TEST_F(MainWindowTest, AnInvalidTrackYearChangesNothing) {
  auto window = OpenWindow();
  window->show();
  SetUpClub(*window, QStringLiteral("19x7"));
  EXPECT_THAT(ui.Messages(), ElementsAre("Invalid Track Year"));
  EXPECT_EQ(ui.BeepCount(), 1);  // the error box's beep
  EXPECT_FALSE(window->Club().InfoExists());
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "clubinfo.qdb"));
  EXPECT_EQ(window->Club().unitfile.Count(), 0);
  EXPECT_TRUE(Find<QWidget>(*window, "clubinfocommit")->isEnabled());  // still editing
  EXPECT_TRUE(Find<QWidget>(*window, "startunit")->isVisible());

  ui.Clear();
  ClickTab(*window, MainTab::kMembers);
  EXPECT_THAT(ui.Messages(), ElementsAre("Please choose the Special Tab to set up the club for the first time"));
}

TEST_F(MainWindowTest, AbortRestoresTheStoredValuesAndLocksTheFields) {
  auto window = OpenWindow();
  window->show();
  QTest::mouseClick(Find<QWidget>(*window, "clubinfochange"), Qt::LeftButton);
  EXPECT_FALSE(Find<QLineEdit>(*window, "clubname")->isReadOnly());
  EXPECT_FALSE(Find<QWidget>(*window, "clubinfochange")->isEnabled());
  Type(*window, "clubname", QStringLiteral("Scratch"));
  QTest::mouseClick(Find<QWidget>(*window, "clubinfoabort"), Qt::LeftButton);
  EXPECT_EQ(Find<QLineEdit>(*window, "clubname")->text(), QStringLiteral("Investment Club Name"));
  EXPECT_TRUE(Find<QLineEdit>(*window, "clubname")->isReadOnly());
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(MainWindowTest, ProxyAndAuthenticationBoxesUnlockTheirFieldsAndAreChecked) {
  auto window = OpenWindow();
  window->show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QTest::mouseClick(Find<QWidget>(*window, "internetchange"), Qt::LeftButton);
  EXPECT_TRUE(Find<QLineEdit>(*window, "proxy")->isReadOnly());
  EXPECT_TRUE(Find<QLineEdit>(*window, "username")->isReadOnly());
  EXPECT_TRUE(Find<QLineEdit>(*window, "eSMTPServer")->hasFocus());

  Find<QCheckBox>(*window, "useproxy")->click();
  EXPECT_FALSE(Find<QLineEdit>(*window, "proxy")->isReadOnly());
  QTest::mouseClick(Find<QWidget>(*window, "internetcommit"), Qt::LeftButton);

  Type(*window, "proxy", QStringLiteral("proxy.example.com:8080"));
  Find<QCheckBox>(*window, "uselogin")->click();
  EXPECT_FALSE(Find<QLineEdit>(*window, "username")->isReadOnly());
  EXPECT_FALSE(Find<QLineEdit>(*window, "password")->isReadOnly());
  Type(*window, "username", QStringLiteral("ann"));
  QTest::mouseClick(Find<QWidget>(*window, "internetcommit"), Qt::LeftButton);

  // No dial-up networking on this system: "Dialup" is shown but cannot be chosen.
  EXPECT_FALSE(Find<QAbstractButton>(*window, "dialoptdialup")->isEnabled());
  EXPECT_TRUE(Find<QAbstractButton>(*window, "dialoptlan")->isEnabled());
  Find<QAbstractButton>(*window, "dialoptdialup")->click();
  EXPECT_FALSE(Find<QAbstractButton>(*window, "dialoptdialup")->isChecked());
  EXPECT_FALSE(Find<QWidget>(*window, "dialentries")->isEnabled());
  Type(*window, "password", QStringLiteral("secret"));

  EXPECT_THAT(ui.Messages(),
              ElementsAre("Use Proxy checked but proxy server not provided.",
                          "Basic Authentication checked but user and/or password not provided."));
  EXPECT_FALSE(window->Club().InfoExists());

  ui.Clear();
  Find<QCheckBox>(*window, "useproxy")->click();
  EXPECT_TRUE(Find<QLineEdit>(*window, "proxy")->isReadOnly());
  QTest::mouseClick(Find<QWidget>(*window, "internetcommit"), Qt::LeftButton);
  EXPECT_THAT(ui.Messages(), ElementsAre("Club Information added."));
  auto stored = ReadClubInfo(folder.Path());
  EXPECT_FALSE(stored->usepxy);
  EXPECT_TRUE(stored->usepas);
  EXPECT_EQ(stored->user, "ann");
  EXPECT_EQ(stored->passwd, "secret");
  EXPECT_EQ(stored->proxy, "proxy.example.com:8080");
  EXPECT_EQ(stored->contyp, -1);
}

TEST_F(MainWindowTest, ListsLeaveHiddenItemsOutUnlessAsked) {
  auto window = OpenWindow();
  window->show();
  SetUpClub(*window);
  AddMember(window->Club(), "_Adams, Ann", true);
  AddMember(window->Club(), "~Zed, Bob", false);
  window->ChooseTab(MainTab::kMembers);
  EXPECT_THAT(ListedKeys(*window), ElementsAre(QStringLiteral("Adams, Ann")));
  window->Club().View().showhiddenmembers = true;
  window->ChooseTab(MainTab::kMembers);
  EXPECT_THAT(ListedKeys(*window), ElementsAre(QStringLiteral("Adams, Ann"), QStringLiteral("~Zed, Bob")));

  window->ChooseTab(MainTab::kReports);
  EXPECT_FALSE(Find<QWidget>(*window, "Keys")->isVisible());
  EXPECT_TRUE(Find<QWidget>(*window, "reportdategroup")->isEnabled());
}

TEST_F(MainWindowTest, ReportsNeedAnActiveMember) {
  auto window = OpenWindow();
  window->show();
  SetUpClub(*window);
  AddMember(window->Club(), "~Zed, Bob", false);
  window->ChooseTab(MainTab::kReports);
  EXPECT_EQ(ShownPage(*window), QStringLiteral("ReportsPage"));
  EXPECT_FALSE(Find<QWidget>(*window, "reportdategroup")->isEnabled());
}

TEST_F(MainWindowTest, TheViewStateIsKeptBetweenTwoRuns) {
  {
    auto window = OpenWindow();
    window->show();
    SetUpClub(*window);
    for (const char* key : {"_Adams, Ann", "_Brown, Bea", "_Cole, Cy"}) AddMember(window->Club(), key, true);
    window->ChooseTab(MainTab::kSpecial);
    auto* options = Find<QTabWidget>(*window, "SpecialPage");
    options->setCurrentIndex(1);
    Find<QCheckBox>(*window, "usecolor")->click();
    ClickTab(*window, MainTab::kMembers);
    Find<QListWidget>(*window, "Keys")->setCurrentRow(2);
    Find<QAction>(*window, "exit")->trigger();
    EXPECT_FALSE(window->isVisible());
  }
  ASSERT_TRUE(std::filesystem::exists(folder.Path() / "clubstaten.qdb"));
  auto window = OpenWindow();
  window->show();
  EXPECT_EQ(window->CurrentTab(), MainTab::kMembers);
  EXPECT_EQ(Find<QListWidget>(*window, "Keys")->currentRow(), 2);
  EXPECT_FALSE(window->Club().View().usecolor);
  EXPECT_EQ(window->Club().View().memberposition, 2);
  ASSERT_TRUE(window->ChooseTab(MainTab::kSpecial));
  EXPECT_FALSE(Find<QCheckBox>(*window, "usecolor")->isChecked());
}

TEST_F(MainWindowTest, SortBySecuritiesIsWrittenAtOnceAndForceDeletesStartsOff) {
  auto window = OpenWindow();
  window->show();
  SetUpClub(*window);
  Find<QTabWidget>(*window, "SpecialPage")->setCurrentIndex(1);
  EXPECT_FALSE(window->ForceDeletes());
  Find<QCheckBox>(*window, "stksort")->click();
  EXPECT_FALSE(ReadClubInfo(folder.Path())->sort);
  Find<QCheckBox>(*window, "forcedeletes")->click();
  EXPECT_TRUE(window->ForceDeletes());
  window->ChooseTab(MainTab::kMembers);
  window->ChooseTab(MainTab::kSpecial);
  EXPECT_TRUE(window->ForceDeletes());  // kept for the run
  EXPECT_FALSE(Find<QWidget>(*window, "hiddenmember")->isEnabled());
  EXPECT_EQ(Find<QLabel>(*window, "hidmemlab")->text(), QStringLiteral("(0)"));
}

TEST_F(MainWindowTest, CheckBooksListsABreachAndMendsItOnYes) {
  auto window = OpenWindow();
  window->show();
  SetUpClub(*window);
  TAccountRec cash = *window->Club().accounts.Find("_Cash");
  cash.bal = 12.5;  // a balance without the register lines that make it
  window->Club().accounts.Put(cash);
  Find<QTabWidget>(*window, "SpecialPage")->setCurrentIndex(1);
  ui.Clear();
  ui.AnswerNext(
      "1 breach of the books:\n\nAccount Cash: balance $12.50, its opening balance and register give $0.00.\n"
      "Mend: pellmark-cli account reset Cash\n\nRun the resets and counter raises now?",
      true);
  Find<QPushButton>(*window, "checkbooks")->click();
  EXPECT_TRUE(ui.AllAnswersUsed());
  EXPECT_EQ(window->Club().accounts.Find("_Cash")->bal, 0);
  EXPECT_EQ(ui.Messages().back(), "The books hold.");
}

TEST_F(MainWindowTest, HiddenCountsAreShownAndEnableTheirBoxes) {
  {
    auto window = OpenWindow();
    SetUpClub(*window);
    AddMember(window->Club(), "~Old, One", false);
    AddMember(window->Club(), "~Old, Two", false);
    window->close();
  }
  auto window = OpenWindow();
  ASSERT_TRUE(window->ChooseTab(MainTab::kSpecial));
  EXPECT_EQ(Find<QLabel>(*window, "hidmemlab")->text(), QStringLiteral("(2)"));
  EXPECT_TRUE(Find<QWidget>(*window, "hiddenmember")->isEnabled());
  EXPECT_EQ(Find<QLabel>(*window, "hidseclab")->text(), QStringLiteral("(0)"));
  EXPECT_FALSE(Find<QWidget>(*window, "hiddensecurity")->isEnabled());
}

TEST_F(MainWindowTest, HelpOpensAtEachPagesTopic) {
  auto window = OpenWindow();
  window->show();
  Find<QAction>(*window, "Index1")->trigger();
  EXPECT_EQ(window->Help().Topic(), 1);
  EXPECT_TRUE(window->Help().PageText().contains(QStringLiteral("Pellmark Help")));
  SetUpClub(*window);
  VisitEveryPage(*window);

  const std::pair<const char*, int> buttons[] = {
      {"helpmemdues", 2002},  {"helpmemdata", 2006},  {"helpmemspec", 2007},   {"helpacttran", 1002},
      {"helpactdata", 1003},  {"helpactspec", 1004},  {"helpactcats", 1005},   {"helpsecprice", 2502},
      {"helpsecdata", 2503},  {"helpsectran", 2504},  {"helpsecspec", 2513},   {"helpspecsetup", 3502},
      {"helpspcoption", 3503}, {"helprptrpt", 3001}, {"helprptcharts", 3001}};
  for (auto [name, topic] : buttons) {
    auto* button = Find<QPushButton>(*window, name);
    ASSERT_NE(button, nullptr);
    button->click();
    EXPECT_EQ(window->Help().Topic(), topic) << name;
    EXPECT_GT(window->Help().PageText().size(), 200) << name;
  }
  EXPECT_TRUE(window->Help().PageText().contains(QStringLiteral("Valuations and reports")));
}

// The pages let go of the books as they are destroyed: the club must still be
// open (its lock held) when the last page goes, or they write into freed memory.
TEST_F(MainWindowTest, PagesAreDestroyedWhileTheClubIsStillOpen) {
  auto window = OpenWindow();
  SetUpClub(*window);
  VisitEveryPage(*window);
  auto* page = window->findChild<ReportsPage*>();
  ASSERT_NE(page, nullptr);
  bool destroyed = false, club_was_open = false;
  QObject::connect(page, &QObject::destroyed, [&] {
    destroyed = true;
    try {
      ClubLock taken(store::DefaultFileLayer(), folder.Path() / kWorkingFolderName);
    } catch (const ClubLocked&) {
      club_was_open = true;
    }
  });
  window.reset();
  EXPECT_TRUE(destroyed);
  EXPECT_TRUE(club_was_open);
}

TEST_F(MainWindowTest, PageMarginsComeFromTheSettingsWithTheirDefaults) {
  {
    QSettings settings(QStringLiteral("Quillomer"), QStringLiteral("Pellmark"));
    settings.clear();
  }
  EXPECT_EQ(OpenWindow()->Margins().top, 0.25);
  {
    QSettings settings(QStringLiteral("Quillomer"), QStringLiteral("Pellmark"));
    settings.setValue(QStringLiteral("TOPMARGIN"), QStringLiteral("0.5"));
    settings.setValue(QStringLiteral("RIGHTMARGIN"), QStringLiteral("1"));
    settings.setValue(QStringLiteral("LEFTMARGIN"), QStringLiteral("wide"));
  }
  auto window = OpenWindow();
  EXPECT_EQ(window->Margins().top, 0.5);
  EXPECT_EQ(window->Margins().bottom, 0.25);
  EXPECT_EQ(window->Margins().left, 0.75);  // unreadable: the default
  EXPECT_EQ(window->Margins().right, 1.0);
  QSettings(QStringLiteral("Quillomer"), QStringLiteral("Pellmark")).clear();
}

}  // namespace
}  // namespace pellmark::ui

namespace pellmark::ui {
namespace {

// Every topic the program opens has its page: those of the window's Help
// buttons, of every entry dialog mode (and its reconciliation), of the lot
// chooser and the contents.
TEST_F(MainWindowTest, EveryHelpTopicTheProgramUsesHasItsPage) {
  auto window = OpenWindow();
  SetUpClub(*window);
  VisitEveryPage(*window);
  std::set<int> topics = {HelpWindow::kIndexTopic, securities::LotChooser::kHelpTopic, kFolderChooserHelpTopic};
  for (QPushButton* button : window->findChildren<QPushButton*>()) {
    if (button->property("helptopic").isValid()) topics.insert(button->property("helptopic").toInt());
  }
  for (int number = 0; number < kEntryModeCount; ++number) {
    topics.insert(EntryModeHelpTopic(static_cast<EntryMode>(number), false));
    topics.insert(EntryModeHelpTopic(static_cast<EntryMode>(number), true));
  }
  EXPECT_GT(topics.size(), 30u);
  for (int topic : topics) {
    window->Help().ShowTopic(topic);
    EXPECT_EQ(window->Help().Topic(), topic);
    EXPECT_GT(window->Help().PageText().size(), 200) << "topic " << topic << " has no page";
  }
}

// The lot chooser and the folder chooser share their dialog; each one's Help
// asks for its own topic.
TEST_F(MainWindowTest, TheSharedChooserDialogAsksForTheTopicOfItsUse) {
  Tselectshares dialog(ui, nullptr);
  QSignalSpy asked(&dialog, &Tselectshares::helpRequested);
  dialog.PrepareFolders({folder.Path(), "*.bck"});
  Find<QPushButton>(dialog, "sellshareshelp")->click();
  ASSERT_EQ(asked.count(), 1);
  EXPECT_EQ(asked.at(0).at(0).toInt(), kFolderChooserHelpTopic);
}

// File › Open Club… closes the shown club and opens the chosen one; the recent
// clubs remember both, and the first comes back from the Recent Clubs menu.
TEST_F(MainWindowTest, FileOpenClubSwitchesToASecondClubAndBack) {
  testing::TempFolder second;
  {
    Books books(second.Path(), ui, clock);
    books.Open();
    ClubInfoFields fields = ClubSetupFields(books.Club());
    fields.club = "Oak Investors";
    fields.year = "1999";
    ASSERT_TRUE(CommitClubSetup(books.Club(), fields).IsDone());
    books.Close();
  }
  ClubHost host(ui, clock);
  ASSERT_TRUE(host.Open(folder.Path()));
  host.Window()->show();
  SetUpClub(*host.Window());
  EXPECT_EQ(host.Window()->windowTitle(), QStringLiteral("Pellmark - Elm Street Investors"));

  host.Window()->SetFolderChooser([&](const std::filesystem::path& current) {
    EXPECT_EQ(current, folder.Path());
    return std::optional(second.Path());
  });
  Find<QAction>(*host.Window(), "openclub")->trigger();
  QTRY_VERIFY(host.Window()->ClubFolder() == second.Path());
  EXPECT_EQ(host.Window()->windowTitle(), QStringLiteral("Pellmark - Oak Investors"));
  EXPECT_TRUE(host.Window()->isVisible());
  EXPECT_EQ(host.Window()->CurrentTab(), MainTab::kMembers);
  // The first club was closed whole: its information is on disk, no working files remain.
  auto first = ReadClubInfo(folder.Path());
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->club, "Elm Street Investors");
  // Only the lock file stays, unlocked, in the working folder.
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path() / kWorkingFolderName)) {
    EXPECT_EQ(entry.path().filename(), kLockFileName);
  }

  const QStringList recent = RecentClubs();
  ASSERT_GE(recent.size(), 2);
  EXPECT_EQ(recent[0].toStdString(), second.Path().string());
  EXPECT_EQ(recent[1].toStdString(), folder.Path().string());
  auto* menu = Find<QMenu>(*host.Window(), "recentclubs");
  ASSERT_FALSE(menu->actions().isEmpty());
  EXPECT_EQ(menu->actions().front()->text().toStdString(), folder.Path().string());
  menu->actions().front()->trigger();
  QTRY_VERIFY(host.Window()->ClubFolder() == folder.Path());
  EXPECT_EQ(host.Window()->windowTitle(), QStringLiteral("Pellmark - Elm Street Investors"));
  EXPECT_EQ(ClubHost::StartFolder(std::nullopt), folder.Path());
}

}  // namespace
}  // namespace pellmark::ui
