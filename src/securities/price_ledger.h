// Security prices: the price history of each security, the entry of prices for
// all securities or one, their change and deletion, and the import of a price
// file. Every price goes through RecordPrice, which also keeps the security's
// current price:
//
//   a security without a current price (pricec 0) takes any price entered; else
//   a price becomes current when its date is not before `pricedate` and not
//   after today. A security holds at most one price per date: a new price
//   replaces the others of its date.
//
//   PriceLedger prices(club, securities);
//   prices.PricesAll(today);                       // one "Security Prices" dialog per active security
//   TPriceRec quote;
//   quote.price = 12.375;
//   quote.trandate = today;
//   prices.RecordPrice(stkid, PriceMode::NewWithoutDialog, quote);   // a downloaded quote
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "club/club_session.h"
#include "club/dates.h"
#include "club/outcome.h"
#include "club/records.h"
#include "securities/security_records.h"

namespace pellmark::ledger {

enum class PriceMode {
  New = 1,               // the "Security Prices" dialog asks for the price
  Change = 2,            // the dialog shows a stored price for change; its date stays
  NewWithoutDialog = 5,  // the price given is stored as it is
};

enum class PriceResult { Stored = 1, Cancelled = 2, Aborted = 3 };

// One row of the price history grid.
struct PriceRow {
  DayNumber date = 0;
  double price = 0;
  TPriceRec record;
};

// The items of `priceselect`.
enum class PriceSelect { All, Selected };

inline constexpr const char* kPriceUpdateQuestion =
    "No Valuation Statement Created since last price update. Continue?";
// The caption of the progress a long price file shows while it is entered.
inline constexpr const char* kImportCaption = "Importing Prices";

class PriceLedger {
 public:
  PriceLedger(ClubSession& club, SecurityRecords& securities);

  // Enters one price of the security `stkid`. `price` holds the price and its
  // date (mode Change: the stored record, whose key stays). Modes New and Change
  // run the dialog first, with its "Abort" button when `show_abort`; mode
  // NewWithoutDialog stores `price` as given and needs a price of at least 0.
  // On Stored, `price` holds the record as stored. Cancelled also when the
  // security does not exist or a price given without dialog is negative or not
  // a number. The prices-changed flag is the caller's: those who enter prices
  // for the user (price entry, import, quotes) set it.
  PriceResult RecordPrice(std::int32_t stkid, PriceMode mode, TPriceRec& price, bool show_abort = false);

  // Asked before prices of all securities or of a file are entered while the
  // prices-changed flag is set: "No Valuation Statement Created since last price
  // update. Continue?". Cancelled on No, else done.
  Outcome AskBeforePriceUpdate();

  // "Prices - All": the dialog for each active security in list order, dated
  // `date`; Cancel skips a security, Abort ends the walk. Done when at least one
  // price was stored (the prices-changed flag is then set), else cancelled.
  Outcome PricesAll(DayNumber date);
  // "Prices - Selected": the dialog for the security of this name.
  Outcome PricesSelected(std::string_view name, DayNumber date);
  // The choice of `priceselect`; `name` is the selected security.
  Outcome PriceSelectClick(PriceSelect choice, std::string_view name, DayNumber date);
  // A price of the selected security entered without the dialog.
  Outcome EnterPrice(std::string_view name, double price, DayNumber date);
  // Double click in the price grid: the dialog for the price `tranid`.
  Outcome ChangePrice(std::string_view name, std::int32_t tranid);
  // Asks first; the current price is not recomputed (a reset does that).
  Outcome DeletePrice(std::string_view name, std::int32_t tranid);

  // The price history grid: the prices of one year, or all.
  std::vector<PriceRow> PriceRows(std::string_view name, std::optional<std::int32_t> year);
  std::optional<TPriceRec> FindPrice(std::int32_t stkid, std::int32_t tranid);

  // "Import" after the question and the choice of a file: each line whose
  // symbol matches an active security entered without dialog. "Imported prices
  // for <n> securities" on success. All or nothing: a file with a bad line
  // ("Invalid Price Import File") or a failure part way ("Price Import
  // failed") leaves no price of it stored. The stores and messages are those
  // of entering the lines one by one; a file of many lines shows its progress
  // (kImportCaption).
  Outcome ImportPrices(const std::filesystem::path& file);

 private:
  class ImportBatch;
  Outcome Refuse(const std::string& message);
  Outcome NoSuchSecurity(std::string_view name);
  void NotePricesChanged();

  ClubSession& club_;
  SecurityRecords& securities_;
};

// A price with 4 decimals, of which up to two trailing zeros are removed:
// 12.5 -> "12.50", 12.375 -> "12.375", 3.1416 -> "3.1416".
std::string FormatPrice(double price);

}  // namespace pellmark::ledger
