#include "ui/dialog_grab.h"

#include <QApplication>
#include <QPixmap>
#include <QTextStream>
#include <optional>
#include <utility>

#include "club/dates.h"
#include "club/record_kinds.h"
#include "ui/qt_interaction.h"
#include "ui/tsecurity_input.h"
#include "ui/tselect_shares.h"

namespace pellmark::ui {
namespace {

TAccountRec SampleAccount(const char* name, std::int32_t actid, std::int32_t lstchk) {
  TAccountRec account;
  account.name = name;
  account.actid = actid;
  account.lstchk = lstchk;
  return account;
}

TCategoryRec SampleCategory(const char* name, std::int32_t catid, CategoryKind kind) {
  TCategoryRec category;
  category.cat = name;
  category.catid = catid;
  category.typ = Code(kind);
  return category;
}

TSecurityTranRec SampleLot(double shares, double price, CivilDate date,
                           SecurityTranKind kind = SecurityTranKind::Purchase) {
  TSecurityTranRec lot;
  lot.typ = Code(kind);
  lot.tax = true;
  lot.amount = shares * price;
  lot.price = price;
  lot.comm = 9.95;
  lot.trandate = DayNumberFromCivil(date);
  return lot;
}

// A club with two accounts, two securities, categories and two valuations; the
// record of the mode carries sample figures when it is shown for change.
EntryDialogRequest SampleRequest(EntryMode mode, bool change) {
  EntryDialogRequest request;
  request.mode = mode;
  request.change = change;
  request.accounts = {SampleAccount("Brokerage Cash", 1, 1041), SampleAccount("Club Savings", 2, -1)};
  TSecurityRec acme, bolt;
  acme.name = "Acme Widgets Inc";
  acme.stkid = 1;
  bolt.name = "Bolt Motors";
  bolt.stkid = 2;
  request.securities = {acme, bolt};
  request.categories = {SampleCategory("Dues", 1, CategoryKind::Income),
                        SampleCategory("Dividend Income", 2, CategoryKind::Income),
                        SampleCategory("Office Expenses", 11, CategoryKind::Expense),
                        SampleCategory("Postage", 12, CategoryKind::Expense)};
  request.current_account = request.accounts[0];
  double date = DayNumberFromCivil({1999, 6, 15});
  TSecurityTranRec& tran = request.security_tran;
  tran = SampleLot(100, 12.375, {1999, 6, 15});
  tran.tax = false;
  tran.stkid = 1;
  tran.actid = 1;
  request.price.price = 12.375;
  request.price.trandate = date;
  request.member_tran.dues = 50;
  request.member_tran.trandate = date;
  request.member_tran.actid = 1;
  request.account_tran.amount = 125;
  request.account_tran.desc = "Annual NAIC dues";
  request.account_tran.trandate = date;
  request.account_tran.actid = 1;
  request.account_tran.typ = Code(AccountTranKind::TransferOut);
  request.account_tran.catid = 11;
  request.account_tran.xferact = 2;
  request.account_tran.checknum = 1041;
  request.ratio = {2, 1, false};
  TUnitValueRec june;
  june.unitval = 12.5;
  june.unitid = 9;
  june.date = DayNumberFromCivil({1999, 5, 31});
  request.payoff_valuations = {{june, 2500}};
  request.check_ticked = true;
  switch (mode) {
    case EntryMode::MemberDues:
    case EntryMode::MemberPayoff:
    case EntryMode::MemberFee:
    case EntryMode::TotalDuesModification:
    case EntryMode::TotalEarningsModification: request.heading = "Mary Jones"; break;
    default: request.heading = IsAccountMode(mode) ? "Brokerage Cash" : "Acme Widgets Inc"; break;
  }
  return request;
}

LotChooserRequest SampleLots() {
  LotChooserRequest request;
  request.mode = LotChooserMode::Sale;
  request.security.name = "Acme Widgets Inc";
  request.transaction = SampleLot(150, 20, {1999, 6, 15}, SecurityTranKind::Sale);
  request.candidates = {{"a", SampleLot(100, 10, {1997, 1, 6})},
                        {"b", SampleLot(100, 11.5, {1998, 2, 2})},
                        {"c", SampleLot(4.2376, 12, {1998, 12, 15}, SecurityTranKind::Reinvestment)}};
  return request;
}

}  // namespace

int SaveWidgetPicture(QWidget& widget, const QString& file) {
  widget.ensurePolished();
  widget.adjustSize();
  if (!widget.grab().save(file)) {
    QTextStream(stderr) << "Cannot write " << file << "\n";
    return 3;
  }
  return 0;
}

QString DialogNames() {
  return QStringLiteral(
      "buy, sell, dividend, reinvest, capital-change, price, dues, check, deposit, withdraw, charge, interest, "
      "transfer, split, basis, payoff, fee, total-dues, total-earnings, foreign-tax, a number 0 to 19, or lots");
}

std::optional<EntryMode> EntryModeNamed(const QString& name) {
  static const std::pair<const char*, EntryMode> kNames[] = {
      {"buy", EntryMode::Buy},
      {"sell", EntryMode::Sell},
      {"dividend", EntryMode::Dividends},
      {"reinvest", EntryMode::DividendReinvestment},
      {"capital-change", EntryMode::CapitalChange},
      {"price", EntryMode::SecurityPrices},
      {"dues", EntryMode::MemberDues},
      {"check", EntryMode::Check},
      {"deposit", EntryMode::Deposit},
      {"withdraw", EntryMode::Withdrawal},
      {"charge", EntryMode::ServiceCharge},
      {"interest", EntryMode::Interest},
      {"transfer", EntryMode::Transfer},
      {"split", EntryMode::Split},
      {"basis", EntryMode::BasisUpdate},
      {"payoff", EntryMode::MemberPayoff},
      {"fee", EntryMode::MemberFee},
      {"total-dues", EntryMode::TotalDuesModification},
      {"total-earnings", EntryMode::TotalEarningsModification},
      {"foreign-tax", EntryMode::ForeignTax},
  };
  for (const auto& [shown, mode] : kNames) {
    if (name.compare(QLatin1String(shown), Qt::CaseInsensitive) == 0) return mode;
  }
  bool is_number = false;
  const int number = name.toInt(&is_number);
  return is_number ? EntryModeFromNumber(number) : std::nullopt;
}

int GrabDialog(const QString& which, const QString& file, bool change) {
  QtInteraction ui(nullptr);
  if (which == QStringLiteral("lots")) {
    Tselectshares lots(ui);
    lots.PrepareLots(SampleLots());
    return SaveWidgetPicture(lots, file);
  }
  const std::optional<EntryMode> mode = EntryModeNamed(which);
  if (!mode) {
    QTextStream(stderr) << "Unknown dialog " << which << " (" << DialogNames() << ")\n";
    return 2;
  }
  TsecurityInput dialog(ui);
  dialog.Prepare(SampleRequest(*mode, change));
  return SaveWidgetPicture(dialog, file);
}

}  // namespace pellmark::ui
