// The dialog pictures of a club's own data: the real operation runs against the
// club with an interaction that pictures the dialog asked for and cancels it, so
// the picture holds exactly what the program would offer, and the club is left
// as it was (every dialog is cancelled, every question answered No, and what
// remains uncommitted is dropped).
#include <QTextStream>
#include <algorithm>
#include <fmt/format.h>
#include <vector>

#include "books/books.h"
#include "club/keys.h"
#include "forms/entry_dialog.h"
#include "ui/dialog_grab.h"
#include "ui/qt_interaction.h"
#include "ui/tsecurity_input.h"
#include "ui/tselect_shares.h"

namespace pellmark::ui {
namespace {

class GrabbingInteraction : public Interaction {
 public:
  // `mode` is the dialog to picture; nullopt pictures the lot chooser of a sale.
  GrabbingInteraction(QtInteraction& dialogs, std::optional<EntryMode> mode, QString file)
      : dialogs_(dialogs), mode_(mode), file_(std::move(file)) {}

  bool Grabbed() const { return status_.has_value(); }
  int Status() const { return status_.value_or(1); }
  const std::string& LastMessage() const { return last_message_; }

  void ShowError(std::string_view text) override { last_message_ = text; }
  void ShowInformation(std::string_view text) override { last_message_ = text; }
  // Only the sale of the lot chooser's picture asks to choose its lots.
  bool Confirm(std::string_view text, bool) override { return !mode_ && text == "Select Shares to Sell?"; }
  bool ConfirmAfterwards(std::string_view) override { return false; }
  void Beep() override {}
  void PlayConfirmationSound() override {}
  void SetBusy(bool) override {}
  void ShowProgress(std::string_view, int) override {}
  bool KeepResponsive() override { return true; }

  EntryDialogResult RunEntryDialog(const EntryDialogRequest& request) override {
    EntryDialog model(request);
    if (Grabbed()) return model.Cancelled();
    if (mode_ && request.mode == *mode_) {
      TsecurityInput dialog(dialogs_);
      dialog.Prepare(request);
      status_ = SaveWidgetPicture(dialog, file_);
    } else if (!mode_ && request.mode == EntryMode::Sell && sale_) {
      // Half the holding at its price: a sale of every share has no lots to choose.
      model.Form().amount.text = fmt::format("{:.2f}", sale_->shares * sale_->price);
      model.Form().price.text = fmt::format("{:.4f}", sale_->price);
      model.priceExit();
      model.Form().commission.text = "0";
      const OkOutcome outcome = model.PressOk();
      if (outcome.kind == OkOutcome::Kind::Accepted) return outcome.result;
      if (!outcome.messages.empty()) last_message_ = outcome.messages.front();
    }
    return model.Cancelled();
  }

  LotChooserResult RunLotChooser(const LotChooserRequest& request) override {
    if (!mode_ && !Grabbed()) {
      Tselectshares lots(dialogs_);
      lots.PrepareLots(request);
      status_ = SaveWidgetPicture(lots, file_);
    }
    return {};
  }

  std::optional<std::filesystem::path> ChooseTargetDirectory(const FolderChooserRequest&) override {
    return std::nullopt;
  }

  struct Sale {
    double shares = 0, price = 0;
  };
  void SellPart(Sale sale) { sale_ = sale; }

 private:
  QtInteraction& dialogs_;
  std::optional<EntryMode> mode_;
  QString file_;
  std::optional<Sale> sale_;
  std::optional<int> status_;
  std::string last_message_;
};

// The security a new entry of this mode is shown for: the first holding shares
// (most open lots for a sale's lot chooser), else the first listed.
std::optional<TSecurityRec> SubjectSecurity(Books& books, bool lots) {
  const std::vector<TSecurityRec> securities = books.Securities().List(true);
  if (securities.empty()) return std::nullopt;
  if (lots) {
    std::optional<TSecurityRec> most;
    std::size_t most_lots = 1;
    for (const TSecurityRec& security : securities) {
      const std::size_t count = books.Trades().OpenLots(security.name).size();
      if (count > most_lots) {
        most = security;
        most_lots = count;
      }
    }
    return most;
  }
  const auto holding = std::find_if(securities.begin(), securities.end(),
                                    [](const TSecurityRec& security) { return security.sharest > 0; });
  return holding != securities.end() ? *holding : securities.front();
}

std::optional<TMemberRec> SubjectMember(Books& books) {
  const std::vector<TMemberRec> members = books.Members().List(true);
  const auto holding =
      std::find_if(members.begin(), members.end(), [](const TMemberRec& member) { return member.tunits > 0; });
  if (holding != members.end()) return *holding;
  return members.empty() ? std::nullopt : std::optional(members.front());
}

std::optional<TAccountRec> SubjectAccount(Books& books) {
  if (auto account = books.Accounts().FindById(books.Club().Info().defact); account && account->active) return account;
  const std::vector<TAccountRec> accounts = books.Accounts().List(true);
  return accounts.empty() ? std::nullopt : std::optional(accounts.front());
}

std::optional<ledger::StockEntry> StockEntryOf(EntryMode mode) {
  switch (mode) {
    case EntryMode::Buy: return ledger::StockEntry::Buy;
    case EntryMode::Sell: return ledger::StockEntry::Sell;
    case EntryMode::Dividends: return ledger::StockEntry::Dividends;
    case EntryMode::DividendReinvestment: return ledger::StockEntry::Reinvestment;
    case EntryMode::CapitalChange: return ledger::StockEntry::CapitalChange;
    case EntryMode::ForeignTax: return ledger::StockEntry::ForeignTaxes;
    default: return std::nullopt;
  }
}

std::optional<ledger::MemberAction> MemberActionOf(EntryMode mode) {
  switch (mode) {
    case EntryMode::MemberDues: return ledger::MemberAction::DuesSelected;
    case EntryMode::MemberPayoff: return ledger::MemberAction::Payoff;
    case EntryMode::MemberFee: return ledger::MemberAction::Fees;
    case EntryMode::TotalDuesModification: return ledger::MemberAction::TotalDues;
    case EntryMode::TotalEarningsModification: return ledger::MemberAction::TotalEarnings;
    default: return std::nullopt;
  }
}

// A new entry of the mode, as its page's command opens it today.
void OpenNewEntry(Books& books, EntryMode mode) {
  const DayNumber today = books.Club().Today();
  if (IsAccountMode(mode)) {
    if (auto account = SubjectAccount(books)) (void)books.Accounts().EnterTransaction(account->name, mode, today);
  } else if (auto action = MemberActionOf(mode)) {
    if (auto member = SubjectMember(books)) (void)books.Members().Collect(*action, MemberName(*member), today);
  } else if (auto security = SubjectSecurity(books, false)) {
    if (auto entry = StockEntryOf(mode)) {
      (void)books.Trades().Enter(security->name, *entry, today);
    } else if (mode == EntryMode::SecurityPrices) {
      (void)books.Prices().PricesSelected(security->name, today);
    } else {
      const auto change = mode == EntryMode::Split ? ledger::CorporateChange::Split : ledger::CorporateChange::BasisUpdate;
      (void)books.Changes().Enter(security->name, change, today);
    }
  }
}

// A stored record shown in the mode: the records of each security, member or
// account in list order are opened for change, newest first, until one shows
// that dialog.
void OpenStoredEntry(Books& books, EntryMode mode, const GrabbingInteraction& grab) {
  if (IsAccountMode(mode)) {
    for (const TAccountRec& account : books.Accounts().List(true)) {
      std::vector<TAccountTranRec> records = books.Accounts().Transactions(account.actid);
      for (auto record = records.rbegin(); record != records.rend() && !grab.Grabbed(); ++record) {
        (void)books.Accounts().ChangeTransaction(account.name, record->tranid);
      }
    }
  } else if (IsMemberMode(mode)) {
    for (const TMemberRec& member : books.Members().List(true)) {
      std::vector<TMemberTranRec> records = books.Members().Transactions(member.memid);
      for (auto record = records.rbegin(); record != records.rend() && !grab.Grabbed(); ++record) {
        (void)books.Members().ChangeTransaction(MemberName(member), record->duestran);
      }
    }
  } else if (mode == EntryMode::SecurityPrices) {
    for (const TSecurityRec& security : books.Securities().List(true)) {
      // The security's newest price: its prices lie in date order under its id.
      std::optional<std::int32_t> newest;
      books.Club().prices.ForEachBackward(OwnerFilter(security.stkid), [&](const TPriceRec& price) {
        newest = price.tranid;
        return false;
      });
      if (newest && !grab.Grabbed()) (void)books.Prices().ChangePrice(security.name, *newest);
    }
  } else {
    for (const TSecurityRec& security : books.Securities().List(true)) {
      std::vector<TSecurityTranRec> records = books.Trades().Records(security.stkid);
      for (auto record = records.rbegin(); record != records.rend() && !grab.Grabbed(); ++record) {
        (void)books.Trades().ChangeRecord(security.name, record->stranid);
      }
    }
  }
}

}  // namespace

int GrabClubDialog(const QString& which, const QString& file, bool change, const std::filesystem::path& club,
                   QtInteraction& ui, const Clock& clock) {
  const bool lots = which == QStringLiteral("lots");
  const std::optional<EntryMode> mode = lots ? std::nullopt : EntryModeNamed(which);
  if (!lots && !mode) {
    QTextStream(stderr) << "Unknown dialog " << which << " (" << DialogNames() << ")\n";
    return 2;
  }
  GrabbingInteraction grab(ui, mode, file);
  try {
    Books books(club, grab, clock);
    books.Open();
    if (!books.Club().InfoExists()) {
      QTextStream(stderr) << "No club is set up in " << QString::fromStdString(club.string()) << "\n";
      return 3;
    }
    if (lots) {
      if (auto security = SubjectSecurity(books, true)) {
        grab.SellPart({security->sharest / 2, security->pricec > 0 ? security->pricec : 1});
        (void)books.Trades().Enter(security->name, ledger::StockEntry::Sell, books.Club().Today());
      }
    } else if (change) {
      OpenStoredEntry(books, *mode, grab);
    } else {
      OpenNewEntry(books, *mode);
    }
    books.Abandon();
    books.Close();
  } catch (const std::exception& error) {
    QTextStream(stderr) << error.what() << "\n";
    return 3;
  }
  if (!grab.Grabbed()) {
    QTextStream(stderr) << "The club has no " << which << (change && !lots ? " record to show" : " dialog to show");
    if (!grab.LastMessage().empty()) QTextStream(stderr) << ": " << FromCore(grab.LastMessage());
    QTextStream(stderr) << "\n";
  }
  return grab.Status();
}

}  // namespace pellmark::ui
