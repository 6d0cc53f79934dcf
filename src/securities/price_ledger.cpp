#include "securities/price_ledger.h"

#include <cmath>
#include <map>
#include <set>
#include <system_error>

#include "club/failure_log.h"
#include "club/keys.h"
#include "club/number_format.h"
#include "securities/price_import.h"
#include "securities/write_off.h"
#include "store/file_layer.h"
#include "store/whole_files.h"

namespace pellmark::ledger {

std::string FormatPrice(double price) {
  std::string text = FormatFixed(price, 4);
  for (int i = 0; i < 2 && text.back() == '0'; ++i) text.pop_back();
  return text;
}

PriceLedger::PriceLedger(ClubSession& club, SecurityRecords& securities) : club_(club), securities_(securities) {}

Outcome PriceLedger::Refuse(const std::string& message) { return pellmark::Refuse(club_.Ui(), message); }

Outcome PriceLedger::NoSuchSecurity(std::string_view name) {
  return RefuseMissing(club_.Ui(), "Security " + std::string(name) + " does not exist.");
}

void PriceLedger::NotePricesChanged() {
  club_.Info().stks = true;
  club_.WriteClubInfo();
}

std::optional<TPriceRec> PriceLedger::FindPrice(std::int32_t stkid, std::int32_t tranid) {
  for (const TPriceRec& price : club_.prices.Select(OwnerFilter(stkid))) {
    if (price.tranid == tranid) return price;
  }
  return std::nullopt;
}

PriceResult PriceLedger::RecordPrice(std::int32_t stkid, PriceMode mode, TPriceRec& price, bool show_abort) {
  auto found = securities_.FindById(stkid);
  if (!found) return PriceResult::Cancelled;
  TSecurityRec security = *found;

  if (mode == PriceMode::New || mode == PriceMode::Change) {
    EntryDialogRequest request;
    request.mode = EntryMode::SecurityPrices;
    request.change = mode == PriceMode::Change;
    request.heading = security.name;
    request.price = price;
    request.show_abort = show_abort;
    EntryDialogResult result = club_.Ui().RunEntryDialog(request);
    if (result.outcome == DialogOutcome::Cancelled) return PriceResult::Cancelled;
    if (result.outcome == DialogOutcome::Aborted) return PriceResult::Aborted;
    price.price = result.price.price;
    if (mode == PriceMode::New) price.trandate = result.price.trandate;
  } else if (!std::isfinite(price.price) || price.price < 0) {
    return PriceResult::Cancelled;
  }

  WriteOffs write_offs(club_, securities_);
  if (security.pricec == 0) write_offs.Forget(security);

  bool changed = false;
  if (security.pricec == 0 || (price.trandate >= security.pricedate && price.trandate <= club_.Today())) {
    security.pricec = price.price;
    security.pricedate = price.trandate;
    changed = true;
  }

  price.stkid = security.stkid;
  if (mode == PriceMode::Change) {
    club_.prices.Put(price);
  } else {
    price.tranid = AllocateTranId(security.pricecount);
    changed = true;
    const std::vector<std::string> same_date = club_.prices.Keys(OwnerDateFilter(security.stkid, price.trandate));
    club_.prices.Put(price);
    for (const std::string& key : same_date) club_.prices.Remove(key);
  }
  if (changed) securities_.Save(security);

  if (security.pricec == 0) write_offs.Record(security, price.trandate);
  return PriceResult::Stored;
}

Outcome PriceLedger::AskBeforePriceUpdate() {
  if (club_.Info().stks && !club_.Ui().Confirm(kPriceUpdateQuestion)) return Outcome::Cancelled();
  return Outcome::Done();
}

Outcome PriceLedger::PricesAll(DayNumber date) {
  if (Outcome asked = AskBeforePriceUpdate(); !asked) return asked;
  const std::vector<TSecurityRec> walked = securities_.List(true);
  bool stored = false;
  for (const TSecurityRec& security : walked) {
    TPriceRec price;
    price.trandate = date;
    PriceResult result = RecordPrice(security.stkid, PriceMode::New, price, walked.size() > 1);
    if (result == PriceResult::Aborted) break;
    if (result == PriceResult::Stored) stored = true;
  }
  if (!stored) return Outcome::Cancelled();
  NotePricesChanged();
  club_.Ui().PlayConfirmationSound();
  return Outcome::Done();
}

Outcome PriceLedger::PricesSelected(std::string_view name, DayNumber date) {
  auto security = securities_.Find(name);
  if (!security) return NoSuchSecurity(name);
  if (!security->active) return Refuse("Security is hidden.");
  TPriceRec price;
  price.trandate = date;
  if (RecordPrice(security->stkid, PriceMode::New, price) != PriceResult::Stored) return Outcome::Cancelled();
  NotePricesChanged();
  club_.Ui().PlayConfirmationSound();
  return Outcome::Done();
}

Outcome PriceLedger::PriceSelectClick(PriceSelect choice, std::string_view name, DayNumber date) {
  return choice == PriceSelect::All ? PricesAll(date) : PricesSelected(name, date);
}

Outcome PriceLedger::EnterPrice(std::string_view name, double value, DayNumber date) {
  auto security = securities_.Find(name);
  if (!security) return NoSuchSecurity(name);
  if (!security->active) return Refuse("Security is hidden.");
  TPriceRec price;
  price.price = value;
  price.trandate = date;
  if (RecordPrice(security->stkid, PriceMode::NewWithoutDialog, price) != PriceResult::Stored) {
    return Refuse("Price " + FormatPrice(value) + " is invalid.");
  }
  NotePricesChanged();
  club_.Ui().PlayConfirmationSound();
  return Outcome::Done();
}

Outcome PriceLedger::ChangePrice(std::string_view name, std::int32_t tranid) {
  auto security = securities_.Find(name);
  if (!security) return NoSuchSecurity(name);
  auto price = FindPrice(security->stkid, tranid);
  if (!price) return RefuseMissing(club_.Ui(), "Security " + std::string(name) + " has no price " +
                                                   std::to_string(tranid) + ".");
  if (RecordPrice(security->stkid, PriceMode::Change, *price) != PriceResult::Stored) return Outcome::Cancelled();
  NotePricesChanged();
  club_.Ui().PlayConfirmationSound();
  return Outcome::Done();
}

Outcome PriceLedger::DeletePrice(std::string_view name, std::int32_t tranid) {
  auto security = securities_.Find(name);
  if (!security) return NoSuchSecurity(name);
  auto price = FindPrice(security->stkid, tranid);
  if (!price) return RefuseMissing(club_.Ui(), "Security " + std::string(name) + " has no price " +
                                                   std::to_string(tranid) + ".");
  if (!club_.Ui().Confirm("Selected Record will be removed permanently. Continue?")) return Outcome::Cancelled();
  club_.prices.Remove(club_.prices.KeyOf(*price));
  club_.Ui().PlayConfirmationSound();
  return Outcome::Done();
}

std::vector<PriceRow> PriceLedger::PriceRows(std::string_view name, std::optional<std::int32_t> year) {
  std::vector<PriceRow> rows;
  auto security = securities_.Find(name);
  if (!security) return rows;
  for (const TPriceRec& price : club_.prices.Select(OwnerFilter(security->stkid))) {
    if (year && CivilFromDayNumber(price.trandate).year != *year) continue;
    rows.push_back({price.trandate, price.price, price});
  }
  return rows;
}

namespace {

// Files of at least this many matched lines show their progress.
constexpr std::size_t kImportGaugeLines = 1000;

}  // namespace

// An import's lines held per security until they are stored. A line changes
// only its security's counter and current price and the security's prices of
// the line's date, so the lines are applied to a copy of the security in file
// order; its new prices are then stored with one write and the security saved
// once, leaving the records that entering each line in turn leaves. A line
// that writes the security off or takes back a write-off (a price of 0, or a
// security without a current price) is entered by RecordPrice itself, after
// what its security holds so far is stored, so its messages and questions come
// in file order.
class PriceLedger::ImportBatch {
 public:
  ImportBatch(PriceLedger& prices, const std::vector<TSecurityRec>& listed)
      : prices_(prices), club_(prices.club_), held_(listed.size()) {
    for (std::size_t i = 0; i < listed.size(); ++i) held_[i].record = listed[i];
  }

  // Whether the line's price was stored (as RecordPrice would say).
  bool Enter(const ImportedPrice& line) {
    Held& held = held_[line.security];
    TSecurityRec& security = held.record;
    if (security.pricec == 0 || !std::isfinite(line.price) || line.price <= 0) return EnterAlone(line.security, line);
    if (line.date >= security.pricedate && line.date <= club_.Today()) {
      security.pricec = line.price;
      security.pricedate = line.date;
    }
    TPriceRec price;
    price.price = line.price;
    price.trandate = line.date;
    price.stkid = security.stkid;
    price.tranid = AllocateTranId(security.pricecount);
    // One price a date: a price of this import replaces the one before it
    // unseen; the first of the date replaces the stored ones.
    const std::string date_filter = OwnerDateFilter(security.stkid, line.date);
    auto [dated, first_of_date] = held.added.try_emplace(date_filter, price);
    if (first_of_date) {
      for (std::string& key : club_.prices.Keys(date_filter)) held.replaced.push_back(std::move(key));
    } else {
      dated->second = price;
    }
    held.changed = true;
    return true;
  }

  // Stores what every security holds.
  void Store() {
    std::vector<std::size_t> all(held_.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    Store(all);
  }

 private:
  struct Held {
    TSecurityRec record;
    std::map<std::string, TPriceRec> added;  // by the filter of their date
    std::vector<std::string> replaced;       // stored keys of prices replaced
    bool changed = false;
  };

  bool EnterAlone(std::size_t position, const ImportedPrice& line) {
    Store({position});
    TPriceRec price;
    price.price = line.price;
    price.trandate = line.date;
    const std::int32_t stkid = held_[position].record.stkid;
    const bool stored = prices_.RecordPrice(stkid, PriceMode::NewWithoutDialog, price) == PriceResult::Stored;
    // The write-off may have saved or hidden the security.
    if (auto found = prices_.securities_.FindById(stkid)) held_[position].record = *found;
    return stored;
  }

  // The new prices of the securities go in with one write; a security whose
  // stored prices some replace has its prices taken out and the others put
  // back with them, so the store is packed once for it, not once a line.
  // Then each security is saved.
  void Store(const std::vector<std::size_t>& positions) {
    std::vector<TPriceRec> put;
    for (std::size_t position : positions) {
      Held& held = held_[position];
      // A line stores its price, then removes the others of its date.
      const std::set<std::string> gone(held.replaced.begin(), held.replaced.end());
      if (!gone.empty()) {
        const std::string owner = OwnerFilter(held.record.stkid);
        for (TPriceRec& kept : club_.prices.Select(owner)) {
          if (!gone.contains(club_.prices.KeyOf(kept))) put.push_back(std::move(kept));
        }
        club_.prices.RemoveAll(owner);
      }
      for (auto& [filter, price] : held.added) {
        if (!gone.contains(club_.prices.KeyOf(price))) put.push_back(price);
      }
    }
    if (!put.empty()) club_.prices.PutAll(put);
    for (std::size_t position : positions) {
      Held& held = held_[position];
      if (held.changed) prices_.securities_.Save(held.record);
      held.added.clear();
      held.replaced.clear();
      held.changed = false;
    }
  }

  PriceLedger& prices_;
  ClubSession& club_;
  std::vector<Held> held_;  // in the order of the securities listed
};

Outcome PriceLedger::ImportPrices(const std::filesystem::path& file) {
  std::optional<std::string> text;
  if (!club_.Files().IsFolder(file)) text = store::TryReadWholeFile(club_.Files(), file);
  if (!text) return Refuse("Invalid Price Import File");

  Interaction& ui = club_.Ui();
  int entered = 0;
  std::set<std::size_t> priced;  // a security priced on several lines counts once
  bool gauge = false;
  try {
    // Hidden securities take no new prices.
    const std::vector<TSecurityRec> listed = securities_.List(true);
    std::vector<std::string> symbols;
    for (const TSecurityRec& security : listed) symbols.push_back(security.symbol);
    const PriceImportReading reading = ReadPriceImport(*text, symbols, club_.Today());
    // The whole file is read before any price is stored.
    if (reading.bad_line) return Refuse(ImportRefusal(*reading.bad_line));
    const std::size_t total = reading.lines.size();
    gauge = total >= kImportGaugeLines;
    ImportBatch batch(*this, listed);
    int shown = 0;
    for (std::size_t done = 0; done < total; ++done) {
      const ImportedPrice& line = reading.lines[done];
      if (batch.Enter(line)) {
        ++entered;
        priced.insert(line.security);
      }
      // Storing the held prices takes the last step of the gauge.
      const int percent = static_cast<int>((done + 1) * 99 / total);
      if (gauge && percent != shown) ui.ShowProgress(kImportCaption, shown = percent);
    }
    batch.Store();
    if (entered > 0) NotePricesChanged();
  } catch (const std::exception& error) {
    if (gauge) ui.ShowProgress(kImportCaption, 0);
    LogFailure("Price Import failed", error);
    // The prices stored before the failure go with the rest of the import.
    club_.Abandon();
    return Refuse("Price Import failed");
  }
  if (gauge) {
    ui.ShowProgress(kImportCaption, 100);
    ui.ShowProgress(kImportCaption, 0);
  }
  if (entered == 0) return Refuse("No prices were updated. Symbol lookup failed.");
  ui.PlayConfirmationSound();
  ui.ShowInformation("Imported prices for " + std::to_string(priced.size()) + " securities");
  return Outcome::Done();
}

}  // namespace pellmark::ledger
