#include <QAbstractButton>
#include <QAction>
#include <QMenuBar>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <fmt/format.h>
#include <fstream>
#include <gmock/gmock.h>
#include <map>

#include "books/books.h"
#include "cash/account_ledger.h"
#include "club/dates.h"
#include "club/record_kinds.h"
#include "club/record_layout.h"
#include "forms/entry_dialog.h"
#include "net/http_peer.h"
#include "forms/internet_form.h"
#include "securities/price_ledger.h"
#include "securities/security_records.h"
#include "ui/quote_service_setting.h"
#include "ui/securities_page.h"
#include "window_fixture.h"

namespace pellmark::ui {
namespace {

using ::testing::ElementsAre;

constexpr int kPricesSheet = 0;
constexpr int kDataSheet = 1;
constexpr int kSpecialSheet = 3;

class SecuritiesPageTest : public ClubWindowTest {
 protected:
  SecuritiesPageTest() : ClubWindowTest(MainTab::kSecurities, "SecuritiesPage", "pricegrid") {}

  // Three securities added through the core, then listed as the tab lists them.
  void AddThree() {
    ledger::SecurityRecords securities(window->Club());
    for (auto [name, symbol] : {std::pair{"Acme Corp", "ACME"}, std::pair{"Bolt Inc", "BOLT"},
                                std::pair{"Crane Co", "CRN"}}) {
      ASSERT_TRUE(securities.CommitSecurity(std::nullopt, {name, symbol}));
    }
    window->ChooseTab(MainTab::kSecurities);
    ui.Clear();
  }

  void Select(const QString& name) {
    auto* list = Find<QListWidget>(*window, "Keys");
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.front()).center());
  }

  void AnswerPrice(const char* price, DialogOutcome press = DialogOutcome::Ok) {
    ui.AnswerEntryDialog(
        [price](EntryDialog& dialog) {
          dialog.Form().amount.text = price;
          dialog.amountExit();
        },
        press);
  }

  QString Title(const char* group) { return Find<QGroupBox>(*window, group)->title(); }
};

TEST_F(SecuritiesPageTest, PricesAllOverThreeSecuritiesTakesCancelAndAbort) {
  AddThree();
  Select(QStringLiteral("Crane Co"));
  AnswerPrice("12 3/8");
  AnswerPrice("", DialogOutcome::Aborted);  // Crane Co is never asked
  Click("pricesall");
  ASSERT_EQ(ui.EntryRequests().size(), 2u);
  EXPECT_EQ(ui.EntryRequests()[0].heading, "Acme Corp");
  EXPECT_EQ(ui.EntryRequests()[1].heading, "Bolt Inc");
  EXPECT_TRUE(ui.EntryRequests()[0].show_abort);
  EXPECT_EQ(ui.EntryRequests()[0].price.trandate, DayNumberFromCivil({1999, 12, 31}));
  EXPECT_EQ(ui.SoundCount(), 1);
  EXPECT_TRUE(window->Club().Info().stks);
  EXPECT_EQ(Find<QListWidget>(*window, "Keys")->currentItem()->text(), QStringLiteral("Crane Co"));
  EXPECT_TRUE(GridRows().isEmpty());

  ui.Clear();
  ui.AnswerNext(ledger::kPriceUpdateQuestion, true);
  AnswerPrice("", DialogOutcome::Cancelled);
  AnswerPrice("40");
  AnswerPrice("7.5");
  Click("pricesall");
  EXPECT_TRUE(ui.AllAnswersUsed());
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("12/31/1999|7.50")));
  Select(QStringLiteral("Acme Corp"));
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("12/31/1999|12.375")));
  EXPECT_EQ(Text("pricec"), QStringLiteral("$12.375"));
  EXPECT_EQ(Text("pricecnt"), QStringLiteral("1"));
  EXPECT_EQ(Title("securitysummary"), QStringLiteral("Summary - Even"));
}

TEST_F(SecuritiesPageTest, ANewSecurityIsTypedCommittedListedAndSelected) {
  ShowSheet(kDataSheet);
  Click("securitynew");
  EXPECT_EQ(Find<QLineEdit>(*window, "StockName")->text(), QStringLiteral("Security Name"));
  EXPECT_EQ(Find<QLineEdit>(*window, "Symbol")->text(), QStringLiteral("Symbol"));
  Click("securityadd");
  EXPECT_THAT(ui.Messages(), ElementsAre("No Security to add."));
  Type(*window, "StockName", QStringLiteral("Delta Air"));
  Type(*window, "Symbol", QStringLiteral("DAL"));
  Click("securityadd");
  EXPECT_THAT(ui.Messages(), ElementsAre("No Security to add.", "Security Delta Air added."));
  EXPECT_THAT(ListedNames(), ElementsAre(QStringLiteral("Delta Air")));
  EXPECT_EQ(Find<QListWidget>(*window, "Keys")->currentItem()->text(), QStringLiteral("Delta Air"));
  EXPECT_EQ(Text("secminisummary"), QStringLiteral("Even"));
}

TEST_F(SecuritiesPageTest, HiddenSecuritiesAreListedWithATildeAndTheLabelWhileShown) {
  AddThree();
  Select(QStringLiteral("Bolt Inc"));
  ShowSheet(kSpecialSheet);
  Click("sechide");
  EXPECT_THAT(ui.Messages(), ElementsAre("Security Bolt Inc is hidden."));
  EXPECT_THAT(ListedNames(), ElementsAre(QStringLiteral("Acme Corp"), QStringLiteral("Crane Co")));
  EXPECT_FALSE(Find<QLabel>(*window, "specialhiddenlabel")->isVisible());

  window->Club().View().showhiddensecurities = true;
  window->ChooseTab(MainTab::kSecurities);
  EXPECT_THAT(ListedNames(),
              ElementsAre(QStringLiteral("Acme Corp"), QStringLiteral("Crane Co"), QStringLiteral("~Bolt Inc")));
  Select(QStringLiteral("~Bolt Inc"));
  EXPECT_TRUE(Find<QLabel>(*window, "specialhiddenlabel")->isVisible());
  EXPECT_EQ(Find<QLabel>(*window, "specialhiddenlabel")->text(), QStringLiteral("~ Indicates Hidden Security"));
  ui.Clear();
  Click("secreset");
  Click("secunhide");
  EXPECT_THAT(ui.Messages(), ElementsAre("Security is hidden.", "Security Bolt Inc is not hidden."));
  EXPECT_THAT(ListedNames(),
              ElementsAre(QStringLiteral("Acme Corp"), QStringLiteral("Bolt Inc"), QStringLiteral("Crane Co")));
}

TEST_F(SecuritiesPageTest, TheGridShowsTheCalendarsYearOrAllAndDeletesAfterTheQuestion) {
  AddThree();
  ledger::SecurityRecords securities(window->Club());
  ledger::PriceLedger prices(window->Club(), securities);
  for (auto [value, date] : {std::pair{10.0, DayNumberFromCivil({1998, 6, 1})},
                             std::pair{11.25, DayNumberFromCivil({1999, 6, 1})}}) {
    TPriceRec price;
    price.price = value;
    price.trandate = date;
    ASSERT_EQ(prices.RecordPrice(1, ledger::PriceMode::NewWithoutDialog, price), ledger::PriceResult::Stored);
  }
  Select(QStringLiteral("Bolt Inc"));
  Select(QStringLiteral("Acme Corp"));
  EXPECT_EQ(Title("pricegridgroup"), QStringLiteral("1999 Price History"));
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("06/01/1999|11.25")));
  Click("allprice");
  EXPECT_EQ(Title("pricegridgroup"), QStringLiteral("Complete Price History"));
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("06/01/1998|10.00"), QStringLiteral("06/01/1999|11.25")));
  EXPECT_TRUE(window->Club().View().allprice);

  ui.AnswerNext("Selected Record will be removed permanently. Continue?", true);
  Click("deleteprice");  // the last row is selected
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("06/01/1998|10.00")));
  EXPECT_EQ(Text("pricec"), QStringLiteral("$11.25"));  // a reset recomputes it
  ShowSheet(kSpecialSheet);
  Click("secreset");
  ShowSheet(kPricesSheet);
  EXPECT_EQ(Text("pricec"), QStringLiteral("$10.00"));
}

TEST_F(SecuritiesPageTest, ImportAsksForAFileInTheClubFolder) {
  AddThree();
  std::filesystem::path asked;
  window->findChild<SecuritiesPage*>()->SetFileChooser([&](const std::filesystem::path& start) {
    asked = start;
    const std::filesystem::path file = start / "quotes.txt";
    std::ofstream(file) << "ACME,12.5,12/30/1999\nCRN,3,12/30/99\n";
    return std::optional(file);
  });
  Select(QStringLiteral("Acme Corp"));
  Click("importprice");
  EXPECT_EQ(asked, window->ClubFolder());
  EXPECT_THAT(ui.Messages(), ElementsAre("Imported prices for 2 securities"));
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("12/30/1999|12.50")));
  EXPECT_EQ(Text("totalassets"), QStringLiteral("$0.00"));  // no shares held yet
}

TEST_F(SecuritiesPageTest, OnlineEntersTheQuotesOfTheServiceInTheSettings) {
  AddThree();
  const std::filesystem::path reply = window->ClubFolder() / "reply.txt";
  std::ofstream(reply, std::ios::binary) << "\"ACME\",12.5,\"12/30/1999\"\r\n\"BOLT\",0.00,\"N/A\"\r\n"
                                            "\"CRN\",3,\"12/29/1999\"\r\n";
  testing::HttpPeer server = testing::HttpPeer::Server(window->ClubFolder(), {"/d/quotes.csv=body:" + reply.string()});
  SaveQuoteServiceSetting({.host = server.HostPort()});
  bool online_disabled_while_connecting = false;
  std::string title;
  window->findChild<SecuritiesPage*>()->SetConnectionRunner([&](InternetForm& form) {
    online_disabled_while_connecting = !Find<QAbstractButton>(*window, "onlinequote")->isEnabled();
    title = form.Title();
    ConnectOnce().Run(form);
  });
  Select(QStringLiteral("Acme Corp"));
  EXPECT_EQ(Find<QAbstractButton>(*window, "onlinequote")->toolTip(), QStringLiteral("Prices from Internet"));
  Click("onlinequote");
  SaveQuoteServiceSetting({});
  EXPECT_TRUE(online_disabled_while_connecting);
  EXPECT_EQ(title, "Getting Online Quotes");
  EXPECT_THAT(ui.Messages(), ElementsAre("BOLT is an invalid symbol for security Bolt Inc.",
                                         "Stock Quotes have been updated..."));
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("12/30/1999|12.50")));
  EXPECT_EQ(Text("pricec"), QStringLiteral("$12.50"));
  EXPECT_TRUE(window->Club().Info().stks);
  EXPECT_TRUE(Find<QAbstractButton>(*window, "onlinequote")->isEnabled());
  EXPECT_TRUE(Find<QWidget>(*window, "quotegauge")->isHidden());
  EXPECT_TRUE(Find<QWidget>(*window, "processlabel")->isHidden());
}

TEST_F(SecuritiesPageTest, OnlineWithoutAQuoteServiceSaysSo) {
  AddThree();
  SaveQuoteServiceSetting({});
  Click("onlinequote");
  EXPECT_THAT(ui.Messages(), ElementsAre("No quote service is configured."));
}

// "Reset Dividends" on the Special sheet: a dividend posting that no longer
// matches its record is made again, with every other dividend posting of the
// open year, once each; the year before is left alone; No changes nothing.
TEST_F(SecuritiesPageTest, ResetDividendsPostsTheYearsDividendsAgainAfterItsQuestion) {
  AddThree();
  Select(QStringLiteral("Acme Corp"));
  Books& books = window->TheBooks();
  ui.AnswerEvery("The Stock transaction just entered has a date earlier", false);
  const auto enter_dividend = [&](const char* amount, bool taxable, DayNumber date) {
    ui.AnswerEntryDialog([=](EntryDialog& dialog) {
      dialog.Form().amount.text = amount;
      dialog.Form().tax.checked = taxable;
    });
    ASSERT_TRUE(books.Settle(books.Trades().Enter("Acme Corp", ledger::StockEntry::Dividends, date)));
  };
  enter_dividend("25", true, DayNumberFromCivil({1999, 3, 1}));
  enter_dividend("7", false, DayNumberFromCivil({1999, 4, 1}));
  enter_dividend("11", true, DayNumberFromCivil({1998, 4, 1}));
  window->RefreshClubSummary();
  EXPECT_EQ(Text("totalassets"), QStringLiteral("$43.00"));

  // The taxable dividend's posting was changed behind the ledger's back.
  ledger::AccountLedger& accounts = books.Accounts();
  const std::int32_t cash = accounts.Find("Cash")->actid;
  std::map<double, std::int32_t> posting_of;  // dividend amount -> its posting
  for (const TSecurityTranRec& tran : window->Club().stkrecs.Select()) {
    if (KindOf(tran) == SecurityTranKind::Dividend) posting_of[tran.amount] = tran.transid;
  }
  TAccountTranRec changed = *accounts.FindTransaction(cash, posting_of[25]);
  changed.amount = 20;
  window->Club().actrecs.Put(changed);
  ASSERT_TRUE(books.Settle(accounts.ResetAccount("Cash", false)));
  window->RefreshClubSummary();
  EXPECT_EQ(Text("totalassets"), QStringLiteral("$38.00"));
  const auto bytes = [&] {
    std::vector<std::string> all;
    for (const TAccountTranRec& tran : accounts.Transactions(cash)) all.push_back(EncodeRecord(tran));
    return all;
  };
  const std::vector<std::string> damaged = bytes();
  ShowSheet(kSpecialSheet);
  ui.Clear();

  const std::string question =
      "This option will delete all account dividend transactions from stocks and reset them from the security "
      "records. Continue?";
  using Event = testing::ScriptedInteraction::Event;
  using Kind = testing::ScriptedInteraction::Kind;
  ui.AnswerNext(question, false);
  Click("SpeedButton1");
  EXPECT_THAT(ui.Events(), ElementsAre(Event{Kind::Beep, ""}, Event{Kind::Question, question}));
  EXPECT_EQ(bytes(), damaged);

  ui.Clear();
  ui.AnswerNext(question, true);
  Click("SpeedButton1");
  EXPECT_THAT(ui.Events(), ElementsAre(Event{Kind::Beep, ""}, Event{Kind::Question, question}, Event{Kind::Sound, ""},
                                       Event{Kind::Information, "Security Dividend Records have been reset"}));
  std::vector<std::string> dividend_postings;
  for (const TAccountTranRec& posting : accounts.Transactions(cash)) {
    if (OriginOf(posting) != AccountOrigin::Security) continue;
    dividend_postings.push_back(fmt::format("{} {:.2f} {}", CivilFromDayNumber(posting.trandate).year, posting.amount,
                                            posting.desc));
  }
  EXPECT_THAT(dividend_postings, ElementsAre("1998 11.00 Acme Corp Dividend", "1999 25.00 Acme Corp Dividend",
                                             "1999 7.00 Acme Corp NT-Dividend"));
  for (const TSecurityTranRec& tran : window->Club().stkrecs.Select()) {
    if (KindOf(tran) != SecurityTranKind::Dividend) continue;
    const std::optional<TAccountTranRec> posting = accounts.FindTransaction(cash, tran.transid);
    ASSERT_TRUE(posting) << tran.amount;
    EXPECT_EQ(posting->amount, tran.amount);
  }
  EXPECT_EQ(accounts.FindTransaction(cash, posting_of[11])->amount, 11);  // the year before kept its posting
  EXPECT_EQ(Text("totalassets"), QStringLiteral("$43.00"));  // the summary follows
}

TEST_F(SecuritiesPageTest, EveryCommandHasAKeyboardShortcut) {
  AddThree();
  Select(QStringLiteral("Bolt Inc"));
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  AnswerPrice("4.5");
  QTest::keyClick(window.get(), Qt::Key_S, Qt::AltModifier);  // "Prices - &Selected"
  // A mnemonic animates the button's click, which lands a moment later.
  EXPECT_TRUE(QTest::qWaitFor([&] { return ui.AllAnswersUsed(); }, 2000));
  EXPECT_THAT(GridRows(), ElementsAre(QStringLiteral("12/31/1999|4.50")));
  // On each sheet the mnemonics of the commands, the field captions and the menus
  // all differ.
  for (int sheet : {kPricesSheet, kDataSheet, kSpecialSheet}) {
    ShowSheet(sheet);
    std::map<QString, QString> owners;
    const auto claim = [&](const QString& text, const QString& owner) {
      const QString key = QKeySequence::mnemonic(text).toString();
      if (key.isEmpty()) return;
      EXPECT_TRUE(owners.emplace(key, owner).second)
          << key.toStdString() << ": " << owner.toStdString() << " and " << owners[key].toStdString();
    };
    for (QAction* menu : window->menuBar()->actions()) claim(menu->text(), menu->text());
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
      if (button->isVisible()) claim(button->text(), button->objectName());
    }
    for (QLabel* label : window->findChildren<QLabel*>()) {
      if (label->isVisible() && label->buddy() != nullptr) claim(label->text(), label->buddy()->objectName());
    }
  }
  const QList<QLabel*> labels = window->findChildren<QLabel*>();
  for (const char* command : {"pricesall", "pricesselected", "importprice", "deleteprice", "allprice", "securitynew",
                              "securitychange", "securityadd", "securitycancel", "securityup", "securitydown",
                              "secreset", "secresetall", "sechide", "secunhide", "secdelete", "SpeedButton1"}) {
    auto* button = Find<QAbstractButton>(*window, command);
    const bool captioned = button->text().contains(QLatin1Char('&'));
    const bool labelled =
        std::any_of(labels.begin(), labels.end(), [&](QLabel* label) { return label->buddy() == button; });
    EXPECT_TRUE(captioned || labelled) << command;
  }
}

}  // namespace
}  // namespace pellmark::ui
