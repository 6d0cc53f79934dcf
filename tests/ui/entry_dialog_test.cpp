#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "club/dates.h"
#include "support/scripted_interaction.h"
#include "ui/tsecurity_input.h"
#include "ui/tselect_shares.h"

namespace pellmark::ui {
namespace {

using ::testing::ElementsAre;

template <typename Widget>
Widget* Find(QWidget& dialog, const char* name) {
  auto* widget = dialog.findChild<Widget*>(QString::fromLatin1(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

void Type(QWidget& dialog, const char* box, const QString& text) {
  auto* edit = Find<QLineEdit>(dialog, box);
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, text);
  emit edit->editingFinished();
}

EntryDialogRequest BuyRequest() {
  EntryDialogRequest request;
  request.mode = EntryMode::Buy;
  request.heading = "Acme Widgets";
  TAccountRec broker, savings;
  broker.name = "Broker";
  broker.actid = 1;
  broker.lstchk = 1041;
  savings.name = "Savings";
  savings.actid = 2;
  request.accounts = {broker, savings};
  request.current_account = broker;
  request.security_tran.trandate = DayNumberFromCivil({1999, 6, 15});
  request.security_tran.actid = 1;
  request.check_ticked = true;
  return request;
}

TEST(TsecurityInputWindow, PurchaseTypedAndConfirmed) {
  testing::ScriptedInteraction ui;
  TsecurityInput dialog(ui);
  dialog.Prepare(BuyRequest());
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Buy"));
  EXPECT_EQ(Find<QLabel>(dialog, "NameLabel")->text(), QStringLiteral("Acme Widgets"));
  EXPECT_EQ(Find<QLabel>(dialog, "typelabel")->text(), QStringLiteral("Investment"));
  EXPECT_EQ(Find<QLabel>(dialog, "warnlabel")->text(), QStringLiteral("Investment should NOT Include Commission"));
  EXPECT_FALSE(Find<QLineEdit>(dialog, "Date")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>(dialog, "abort")->isVisible());
  EXPECT_TRUE(Find<QLineEdit>(dialog, "amount")->hasFocus());
  EXPECT_EQ(Find<QCheckBox>(dialog, "tax")->text(), QStringLiteral("Check"));
  EXPECT_EQ(Find<QLineEdit>(dialog, "desc")->text(), QStringLiteral("1042"));

  QSignalSpy help(&dialog, &TsecurityInput::helpRequested);
  QTest::mouseClick(Find<QPushButton>(dialog, "secinphelp"), Qt::LeftButton);
  ASSERT_EQ(help.count(), 1);
  EXPECT_EQ(help.at(0).at(0).toInt(), 2505);

  Type(dialog, "amount", QStringLiteral("1000"));
  Type(dialog, "price", QStringLiteral("12 1/2"));
  EXPECT_EQ(Find<QLineEdit>(dialog, "price")->text(), QStringLiteral("12.50"));
  QTest::mouseClick(Find<QPushButton>(dialog, "OK"), Qt::LeftButton);
  EXPECT_THAT(ui.Messages(), ElementsAre("Commission+Fees  is invalid."));
  EXPECT_TRUE(dialog.isVisible());

  Type(dialog, "commission", QStringLiteral("9.95"));
  Find<QCheckBox>(dialog, "tran")->setChecked(false);
  EXPECT_FALSE(Find<QComboBox>(dialog, "accountbox")->isEnabled());
  EXPECT_FALSE(Find<QCheckBox>(dialog, "tax")->isVisible());
  Find<QCheckBox>(dialog, "tran")->setChecked(true);
  EXPECT_EQ(Find<QComboBox>(dialog, "accountbox")->currentText(), QStringLiteral("Broker"));
  QTest::keyClick(&dialog, Qt::Key_Return);
  EXPECT_FALSE(dialog.isVisible());
  EntryDialogResult result = dialog.Result();
  ASSERT_EQ(result.outcome, DialogOutcome::Ok);
  EXPECT_DOUBLE_EQ(result.security_tran.amount, 1000);
  EXPECT_DOUBLE_EQ(result.security_tran.price, 12.5);
  EXPECT_DOUBLE_EQ(result.security_tran.comm, 9.95);
  EXPECT_EQ(result.security_tran.actid, 1);
  EXPECT_EQ(result.check_number, 1042);
}

TEST(TsecurityInputWindow, TransferRefusesThenAborts) {
  testing::ScriptedInteraction ui;
  EntryDialogRequest request = BuyRequest();
  request.mode = EntryMode::Transfer;
  request.heading = "Broker";
  request.show_abort = true;
  TsecurityInput dialog(ui);
  dialog.Prepare(request);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Transfer"));
  EXPECT_FALSE(Find<QLineEdit>(dialog, "price")->isVisible());
  EXPECT_TRUE(Find<QLineEdit>(dialog, "desc")->isVisible());
  EXPECT_TRUE(Find<QCheckBox>(dialog, "cleared")->isVisible());
  EXPECT_TRUE(Find<QCheckBox>(dialog, "tran")->isVisible());  // only a check hides it
  EXPECT_TRUE(Find<QPushButton>(dialog, "abort")->isVisible());

  Type(dialog, "amount", QStringLiteral("x"));
  QTest::mouseClick(Find<QPushButton>(dialog, "OK"), Qt::LeftButton);
  EXPECT_THAT(ui.Messages(),
              ElementsAre("Amount x is invalid.", "Description Required.", "Transfer Account not selected."));
  EXPECT_EQ(ui.BeepCount(), 3);
  EXPECT_TRUE(dialog.isVisible());

  Find<QComboBox>(dialog, "accountbox")->setCurrentIndex(0);
  Type(dialog, "amount", QStringLiteral("50"));
  Type(dialog, "desc", QStringLiteral("To broker"));
  ui.Clear();
  QTest::mouseClick(Find<QPushButton>(dialog, "OK"), Qt::LeftButton);
  EXPECT_THAT(ui.Messages(), ElementsAre("Transfer in and out accounts are the same"));

  QTest::mouseClick(Find<QPushButton>(dialog, "abort"), Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.Result().outcome, DialogOutcome::Aborted);
}

TSecurityTranRec Lot(std::uint8_t typ, double shares, double price, CivilDate date) {
  TSecurityTranRec rec;
  rec.typ = typ;
  rec.amount = shares * price;
  rec.price = price;
  rec.trandate = DayNumberFromCivil(date);
  return rec;
}

TEST(TselectsharesWindow, SaleAllocatedRowByRow) {
  testing::ScriptedInteraction ui;
  LotChooserRequest request;
  request.security.name = "Acme Widgets";
  request.transaction = Lot(1, 150, 20, {1999, 6, 1});
  request.candidates = {{"k-jan", Lot(0, 100, 10, {1999, 1, 4})}, {"k-feb", Lot(0, 100, 10, {1999, 2, 1})}};
  Tselectshares dialog(ui);
  dialog.PrepareLots(request);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select Sell Shares"));
  auto* grid = Find<QTableWidget>(dialog, "stockgrid");
  auto* sell = Find<QPushButton>(dialog, "stockfilter");
  ASSERT_EQ(grid->rowCount(), 2);
  EXPECT_EQ(grid->horizontalHeaderItem(3)->text(), QStringLiteral("Sold?"));
  EXPECT_EQ(grid->item(0, 2)->text(), QStringLiteral("100.0000"));
  EXPECT_EQ(sell->text(), QStringLiteral("SELL"));
  EXPECT_EQ(Find<QLineEdit>(dialog, "tshares")->text(), QStringLiteral("150.0000"));

  grid->selectRow(1);
  QTest::mouseClick(sell, Qt::LeftButton);
  EXPECT_EQ(grid->item(1, 3)->text(), QStringLiteral("100.0000"));
  QTest::mouseClick(Find<QPushButton>(dialog, "BitBtn1"), Qt::LeftButton);
  EXPECT_THAT(ui.Messages(), ElementsAre("All shares are not sold."));
  EXPECT_TRUE(dialog.isVisible());

  grid->selectRow(0);
  QTest::mouseClick(sell, Qt::LeftButton);
  EXPECT_EQ(grid->item(0, 3)->text(), QStringLiteral("50.0000"));
  EXPECT_EQ(Find<QLineEdit>(dialog, "tshares")->text(), QStringLiteral("0.0000"));
  EXPECT_FALSE(sell->isEnabled());
  QTest::mouseClick(Find<QPushButton>(dialog, "BitBtn1"), Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.LotResult().outcome, DialogOutcome::Ok);
  EXPECT_THAT(dialog.LotResult().keys, ElementsAre("k-feb", "k-jan"));
}

}  // namespace
}  // namespace pellmark::ui
