// The security ledger: purchases, sales against lots, short sales and their
// covering purchases, dividends, reinvestments, capital changes and foreign
// taxes of the "Transactions" sheet, without its window. Every record goes
// through PostStockTransaction, which writes the records, posts the cash side
// to an account (AccountLedger), records the price (PriceLedger, without
// dialog) and keeps the security's totals. Refusals come before anything is
// written, so a refused operation leaves every store as it was.
//
//   SecurityLedger ledger(club, securities, prices, accounts);
//   ledger.Enter("Acme", StockEntry::Buy, date);        // runs the "Buy" dialog
//   ledger.Enter("Acme", StockEntry::Sell, date);       // relieves lots oldest first, or those chosen
//   ledger.DeleteRecord("Acme", stranid, /*force_deletes=*/false);
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cash/account_ledger.h"
#include "club/club_session.h"
#include "club/lot_chooser_request.h"
#include "club/outcome.h"
#include "club/records.h"
#include "securities/price_ledger.h"
#include "securities/security_records.h"

namespace pellmark::ledger {

// The items of `stockselect` this ledger serves; "Split" (5) and "Basis Update"
// (6) belong to the corporate changes.
enum class StockEntry { Buy = 0, Sell = 1, Dividends = 2, Reinvestment = 3, CapitalChange = 4, ForeignTaxes = 7 };

enum class StockPostMode { New = 1, Change = 2, Delete = 3 };

// Direction flags of a posting: apply the new record, reverse the old one.
enum StockDirection { kApplyNew = 1, kReverseOld = 2 };

inline constexpr const char* kSellBeyondHoldings = "Attempting to sell more shares than owned.";

// One row of the history grid `stockgrid`: the stored record and the figures
// its columns show.
struct StockRow {
  DayNumber date = 0;
  SecurityTranKind kind = SecurityTranKind::Purchase;
  // The shares of a lot or sale, or the holding a clear removed.
  std::optional<double> shares;
  // A split's new and old shares, or a basis change's new and old cost.
  std::optional<std::pair<double, double>> ratio;
  std::optional<double> amount;                // none for clears, splits and basis changes
  std::optional<double> price, commission;     // of a lot or sale
  TSecurityTranRec record;
};

// An open lot (an unsold purchase or reinvestment).
struct OpenLot {
  TSecurityTranRec record;
  double shares = 0;
  double cost = 0;  // LotCost
  int term = 0;     // HoldingTerm from its date to today
};

class SecurityLedger {
 public:
  SecurityLedger(ClubSession& club, SecurityRecords& securities, PriceLedger& prices, AccountLedger& accounts);

  // `stockselectClick`: a new transaction of the security, proposed on `date`.
  // Asks the audit question for a back-dated entry (the outcome carries the
  // date) and, after a sale that leaves no shares, whether to hide the security.
  Outcome Enter(std::string_view name, StockEntry choice, DayNumber date);
  // `stockgridDblClick`: the dialog for the stored record `stranid`; a
  // read-only record comes back cancelled.
  Outcome ChangeRecord(std::string_view name, std::int32_t stranid);
  // `deletestockClick`: asks first; "Force Deletes" lifts the refusals of sold
  // lots, covered short sales and split-fraction sales.
  Outcome DeleteRecord(std::string_view name, std::int32_t stranid, bool force_deletes);

  // The one posting routine of the security `stkid`. New runs the dialog of the
  // record's type and writes; Change runs the dialog for `old` and rewrites it;
  // Delete undoes `old`, already removed from the store. `flags` are
  // StockDirection bits. On done, `tran` holds the record as posted.
  Outcome PostStockTransaction(std::int32_t stkid, StockPostMode mode, const TSecurityTranRec* old,
                               TSecurityTranRec& tran, int flags);

  // The history grid: the year's records, or all when `year` is empty.
  std::vector<StockRow> Grid(std::string_view name, std::optional<std::int32_t> year);
  // The security's open lots in key order, with their holding terms today.
  std::vector<OpenLot> OpenLots(std::string_view name);

  // The security's records in key order, and one of them by id.
  std::vector<TSecurityTranRec> Records(std::int32_t stkid);
  std::optional<TSecurityTranRec> FindRecord(std::int32_t stkid, std::int32_t stranid);

 private:
  struct Written;  // the records one posting wrote, for the totals
  using Selected = Keyed<TSecurityRec>;
  std::optional<Selected> SelectById(std::int32_t stkid);
  Outcome Refuse(const std::string& message);
  Outcome NoSuchSecurity(std::string_view name);
  Outcome NoSuchRecord(std::string_view name, std::int32_t stranid);
  EntryDialogRequest DialogRequest(const TSecurityRec& security, const TSecurityTranRec& tran, bool change);

  Outcome PostNew(Selected& security, TSecurityTranRec& tran);
  Outcome PostChange(Selected& security, const TSecurityTranRec& old, TSecurityTranRec& tran, int flags);
  [[nodiscard]] Outcome PostDelete(Selected& security, const TSecurityTranRec& old, int flags);

  // Posts the record's cash side, if it has one, and sets its transid (-1 without).
  [[nodiscard]] Outcome PostCash(TSecurityTranRec& tran, std::string_view name, std::int32_t check_number);
  [[nodiscard]] Outcome PlainWrite(Selected& security, TSecurityTranRec& tran, std::int32_t check_number,
                                   Written& written);
  [[nodiscard]] Outcome SellFromLots(Selected& security, TSecurityTranRec& sale,
                                     const std::vector<LotCandidate>& candidates, Written& written);
  [[nodiscard]] Outcome CoverShortSells(Selected& security, TSecurityTranRec& purchase,
                                        const std::vector<LotCandidate>& candidates, std::int32_t check_number,
                                        Written& written);
  std::vector<LotCandidate> Candidates(std::int32_t stkid);
  std::optional<std::vector<LotCandidate>> Choose(LotChooserMode mode, const TSecurityRec& security,
                                                  const TSecurityTranRec& tran, std::vector<LotCandidate> all);
  [[nodiscard]] Outcome UnlinkAccount(const TSecurityTranRec& old, std::string_view name);
  void Store(const TSecurityTranRec& tran);

  ClubSession& club_;
  SecurityRecords& securities_;
  PriceLedger& prices_;
  AccountLedger& accounts_;
  bool check_ticked_ = false;  // "Check" at the last purchase
};

}  // namespace pellmark::ledger
