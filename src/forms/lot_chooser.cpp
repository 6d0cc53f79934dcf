#include "forms/lot_chooser.h"

#include <cmath>

#include "club/dates.h"
#include "club/number_format.h"
#include "club/record_kinds.h"

namespace pellmark::securities {
namespace {

// Remaining shares this small print as "0.0000": the allocation is complete, so a
// rounding residue of the money arithmetic does not keep the dialog from closing.
constexpr double kNoShares = 0.00005;

std::string Shares(double shares) { return FormatFixed(shares, 4); }

}  // namespace

LotChooser::LotChooser(const LotChooserRequest& request)
    : mode_(request.mode),
      name_(request.security.name),
      price_(request.transaction.price),
      remaining_(request.transaction.amount) {
  for (const LotCandidate& candidate : request.candidates) {
    const TSecurityTranRec& rec = candidate.record;
    bool shown = mode_ == LotChooserMode::Sale ? IsOpenLot(rec) : IsOpenShortSale(rec);
    if (!shown) continue;
    // Counted as the ledger counts a lot (ledger::SharesOf, out of this layer's
    // reach): a commission taken from the dividend bought no shares.
    const double shares = (CommissionFromDividend(rec) ? rec.amount - rec.comm : rec.amount) / rec.price;
    rows_.push_back({candidate.key, FormatDate(rec.trandate), LotLabel(rec), Shares(shares), "", shares});
  }
}

std::string LotChooser::Title() const {
  return mode_ == LotChooserMode::Sale ? "Select Sell Shares" : "Select Buy Shares";
}
std::string LotChooser::GroupCaption() const { return mode_ == LotChooserMode::Sale ? "Buy History" : "Sell History"; }
std::string LotChooser::ButtonCaption() const { return mode_ == LotChooserMode::Sale ? "SELL" : "BUY"; }
std::string LotChooser::TotalCaption() const {
  return mode_ == LotChooserMode::Sale ? "Shares to Sell" : "Shares to Buy";
}
std::string LotChooser::StatusHeader() const { return mode_ == LotChooserMode::Sale ? "Sold?" : "Bought?"; }

double LotChooser::RemainingShares() const { return remaining_ / price_; }

std::string LotChooser::tshares() const { return Shares(RemainingShares()); }

void LotChooser::stockfilterClick(int row) {
  if (!CanAllocate() || row < 0 || row >= static_cast<int>(rows_.size())) return;
  LotRow& lot = rows_[row];
  if (!lot.status.empty()) return;
  double wanted = RemainingShares();
  if (lot.share_count >= wanted) {
    lot.status = Shares(wanted);
    remaining_ = 0;
  } else {
    lot.status = Shares(lot.share_count);
    remaining_ -= lot.share_count * price_;
    if (std::fabs(RemainingShares()) < kNoShares) remaining_ = 0;
  }
}

LotChoiceOutcome LotChooser::PressOk() const {
  LotChoiceOutcome outcome;
  if (remaining_ != 0) {
    outcome.message = "All shares are not sold.";
    return outcome;
  }
  outcome.accepted = true;
  for (const LotRow& row : rows_) {
    if (!row.status.empty() && row.status == row.shares) outcome.keys.push_back(row.key);
  }
  for (const LotRow& row : rows_) {
    if (!row.status.empty() && row.status != row.shares) outcome.keys.push_back(row.key);
  }
  return outcome;
}

LotChooserResult LotChooser::Result() const {
  LotChoiceOutcome ok = PressOk();
  LotChooserResult result;
  result.outcome = ok.accepted ? DialogOutcome::Ok : DialogOutcome::Cancelled;
  result.keys = ok.keys;
  return result;
}

}  // namespace pellmark::securities
