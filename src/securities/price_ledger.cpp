#include "securities/price_ledger.h"

#include <cmath>
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
    rows.push_back({FormatDate(price.trandate), FormatPrice(price.price), price});
  }
  return rows;
}

Outcome PriceLedger::ImportPrices(const std::filesystem::path& file) {
  std::error_code error;
  std::optional<std::string> text;
  if (!std::filesystem::is_directory(file, error)) text = store::TryReadWholeFile(store::DefaultFileLayer(), file);
  if (!text) return Refuse("Invalid Price Import File");

  int entered = 0;
  std::set<std::size_t> priced;  // a security priced on several lines counts once
  try {
    // Hidden securities take no new prices.
    const std::vector<TSecurityRec> listed = securities_.List(true);
    std::vector<std::string> symbols;
    for (const TSecurityRec& security : listed) symbols.push_back(security.symbol);
    const PriceImportReading reading = ReadPriceImport(*text, symbols, club_.Today());
    // The whole file is read before any price is stored.
    if (reading.bad_line) return Refuse(ImportRefusal(*reading.bad_line));
    for (const ImportedPrice& line : reading.lines) {
      TPriceRec price;
      price.price = line.price;
      price.trandate = line.date;
      if (RecordPrice(listed[line.security].stkid, PriceMode::NewWithoutDialog, price) == PriceResult::Stored) {
        ++entered;
        priced.insert(line.security);
      }
    }
    if (entered > 0) NotePricesChanged();
  } catch (const std::exception& error) {
    LogFailure("Price Import failed", error);
    // The prices stored before the failure go with the rest of the import.
    club_.Abandon();
    return Refuse("Price Import failed");
  }
  if (entered == 0) return Refuse("No prices were updated. Symbol lookup failed.");
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation("Imported prices for " + std::to_string(priced.size()) + " securities");
  return Outcome::Done();
}

}  // namespace pellmark::ledger
