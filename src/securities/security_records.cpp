#include "securities/security_records.h"

#include "club/keys.h"
#include "club/record_names.h"
#include "securities/security_totals.h"
#include "store/key_order.h"

namespace pellmark::ledger {
namespace {

std::string SecurityPrefix(std::string_view name) { return "Security " + std::string(name); }

std::string SecurityName(const TSecurityRec& security) { return security.name; }

}  // namespace

SecurityRecords::SecurityRecords(ClubSession& club)
    : club_(club), records_(club, club.securities, &TClubInfoRec::hidstks, SecurityName) {}

Outcome SecurityRecords::Refuse(const std::string& message) { return pellmark::Refuse(club_.Ui(), message); }

Outcome SecurityRecords::NoSuchSecurity(std::string_view name) {
  return RefuseMissing(club_.Ui(), SecurityPrefix(name) + " does not exist.");
}

std::optional<std::string> SecurityRecords::KeyOf(std::string_view name) { return records_.KeyOf(name); }

std::optional<TSecurityRec> SecurityRecords::Find(std::string_view name) {
  auto security = records_.Select(name);
  if (!security) return std::nullopt;
  return security->record;
}

std::optional<TSecurityRec> SecurityRecords::FindById(std::int32_t stkid) {
  for (const TSecurityRec& security : List(false)) {
    if (security.stkid == stkid) return security;
  }
  return std::nullopt;
}

std::vector<TSecurityRec> SecurityRecords::List(bool active_only) { return records_.List(active_only); }

void SecurityRecords::Save(const TSecurityRec& security) {
  records_.Save({NameKey(!security.active, security.name), security});
}

Outcome SecurityRecords::CommitSecurity(const std::optional<std::string>& existing, const SecurityEntry& entry) {
  const std::string& name = entry.name;
  if (NameFaultOf(name, kSecurityNameWidth) == NameFault::kMissing) {
    return Refuse("No Security to add.");
  }
  if (NameFaultOf(name, kSecurityNameWidth) == NameFault::kTooLong) {
    return Refuse(TooLongMessage(name, kSecurityNameWidth));
  }
  // A longer symbol than the field would be cut and then never match an
  // imported or downloaded quote.
  const std::string& symbol = entry.symbol;
  if (symbol.size() > kSymbolWidth) {
    return Refuse("Symbol " + symbol + " is " + std::to_string(symbol.size()) + " characters long; at most " +
                  std::to_string(kSymbolWidth) + " fit.");
  }

  if (!existing) {
    if (KeyOf(name)) return Refuse(SecurityPrefix(name) + " already exists.");
    TSecurityRec security;
    security.name = name;
    security.symbol = symbol;
    security.pricedate = 0;
    security.pricec = 0;
    security.active = true;
    security.stkid = NextRecordId(club_.securities, &TSecurityRec::stkid);
    records_.Save({NameKey(false, name), security});
    club_.Ui().PlayConfirmationSound();
    club_.Ui().ShowInformation(SecurityPrefix(name) + " added.");
    return Outcome::Done();
  }

  auto selected = records_.Select(*existing);
  if (!selected) return NoSuchSecurity(*existing);
  Selected& security = *selected;
  security.record.symbol = symbol;
  if (name == security.record.name) {
    records_.Save(security);
  } else {
    // Another security of the new name is not overwritten; the same security
    // with only its letter case changed is no duplicate. A hidden security
    // stays hidden under its new name.
    auto found = KeyOf(name);
    if (found && store::CompareKeys(*found, security.key, false) != 0) {
      return Refuse(SecurityPrefix(name) + " already exists.");
    }
    records_.Remove(security);
    security.record.name = name;
    security.key = NameKey(!security.record.active, name);
    records_.Save(security);
  }
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation(SecurityPrefix(name) + " changed.");
  return Outcome::Done();
}

// The linked posting of every dividend reads "<name> Dividend", taxable or not:
// the name may have changed since it was posted.
void SecurityRecords::RenameDividendPostings(const TSecurityRec& security,
                                             const std::vector<TSecurityTranRec>& records) {
  std::string desc = security.name + " Dividend";
  if (desc.size() > kPostingDescWidth) desc.resize(kPostingDescWidth);
  for (const TSecurityTranRec& tran : records) {
    if (KindOf(tran) != SecurityTranKind::Dividend || tran.actid < 0 || tran.transid < 0) continue;
    // A posting is dated like its record, so its key finds it without a walk
    // of the whole account; one dated otherwise is looked for by its id.
    std::optional<TAccountTranRec> posting = club_.actrecs.Find(TranKey(tran.actid, tran.transid, tran.trandate));
    if (!posting) {
      for (TAccountTranRec other : club_.actrecs.Select(OwnerFilter(tran.actid))) {
        if (other.tranid == tran.transid) {
          posting = std::move(other);
          break;
        }
      }
    }
    if (posting && posting->desc != desc) {
      posting->desc = desc;
      club_.actrecs.Put(*posting);
    }
  }
}

void SecurityRecords::ResetFigures(Selected& security) {
  ResetFigures(security, club_.stkrecs.Select(OwnerFilter(security.record.stkid)));
}

void SecurityRecords::ResetFigures(Selected& security, const std::vector<TSecurityTranRec>& transactions) {
  TSecurityRec& record = security.record;
  record.pricep = record.dividendt = record.dividendy = record.tspent = record.sharest = 0;
  record.pricedate = 0;
  ReapplyTotals(record, transactions, club_.Info().year);
  RenameDividendPostings(record, transactions);
  // The newest price not after today, looked for from the newest back: a
  // price dated ahead is rare, so the walk mostly stops at the first.
  const DayNumber today = club_.Today();
  club_.prices.ForEachBackward(OwnerFilter(record.stkid), [&](const TPriceRec& price) {
    if (price.trandate > today) return true;
    record.pricec = price.price;
    record.pricedate = price.trandate;
    return false;
  });
  records_.Save(security);
}

Outcome SecurityRecords::Reset(std::optional<Selected> selected, std::string_view name,
                               const std::vector<TSecurityTranRec>* transactions, bool announce) {
  if (!selected) return NoSuchSecurity(name);
  if (!selected->record.active && !club_.AuditMode()) return Refuse("Security is hidden.");
  if (transactions) {
    ResetFigures(*selected, *transactions);
  } else {
    ResetFigures(*selected);
  }
  if (announce && !club_.AuditMode()) {
    club_.Ui().PlayConfirmationSound();
    club_.Ui().ShowInformation(SecurityPrefix(selected->record.name) + " has been reset.");
  }
  return Outcome::Done();
}

Outcome SecurityRecords::ResetSecurity(std::string_view name, bool announce) {
  return Reset(records_.Select(name), name, nullptr, announce);
}

Outcome SecurityRecords::ResetSecurity(std::string_view name, const std::vector<TSecurityTranRec>& transactions,
                                       bool announce) {
  return Reset(records_.Select(name), name, &transactions, announce);
}

Outcome SecurityRecords::ResetAllSecurities() {
  for (const TSecurityRec& security : List(false)) {
    if (!security.active) break;
    Selected selected{NameKey(false, security.name), security};
    ResetFigures(selected);
  }
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation("All active securities have been reset.");
  return Outcome::Done();
}

Outcome SecurityRecords::Hide(std::string_view name) {
  auto selected = records_.Select(name);
  if (!selected) return NoSuchSecurity(name);
  Selected& security = *selected;
  const std::string prefix = SecurityPrefix(security.record.name);
  if (security.record.sharest != 0 && security.record.pricec != 0) {
    return Refuse("Total shares not zero.  Cannot hide.");
  }
  if (!security.record.active) return Refuse(prefix + " is hidden.");
  records_.Rekey(security, true);
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation(prefix + " is hidden.");
  return Outcome::Done();
}

Outcome SecurityRecords::Unhide(std::string_view name) {
  auto selected = records_.Select(name);
  if (!selected) return NoSuchSecurity(name);
  Selected& security = *selected;
  const std::string prefix = SecurityPrefix(security.record.name);
  if (security.record.active) return Refuse(prefix + " is not hidden.");
  records_.Rekey(security, false);
  if (club_.Info().hidstks == 0) club_.View().showhiddensecurities = false;
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation(prefix + " is not hidden.");
  return Outcome::Done();
}

Outcome SecurityRecords::Delete(std::string_view name) {
  auto selected = records_.Select(name);
  if (!selected) return NoSuchSecurity(name);
  const TSecurityRec& security = selected->record;
  const std::string prefix = SecurityPrefix(security.name);
  if (security.sharest != 0) return Refuse(prefix + " has shares. Cannot Delete.");
  if (!club_.Ui().Confirm(prefix + " will be removed permanently. Continue?")) return Outcome::Cancelled();
  club_.stkrecs.RemoveAll(OwnerFilter(security.stkid));
  // The prices go too: a security added later may take this one's id, and must
  // not inherit its history.
  club_.prices.RemoveAll(OwnerFilter(security.stkid));
  records_.Remove(*selected);
  if (!security.active) {
    club_.Info().hidstks -= 1;
    club_.WriteClubInfo();
    if (club_.Info().hidstks == 0) club_.View().showhiddensecurities = false;
  }
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation(prefix + " deleted.");
  return Outcome::Done();
}

Outcome SecurityRecords::Special(SecuritySpecial choice, std::string_view name) {
  switch (choice) {
    case SecuritySpecial::ResetSelected: return ResetSecurity(name, true);
    case SecuritySpecial::ResetAll: return ResetAllSecurities();
    case SecuritySpecial::Hide: return Hide(name);
    case SecuritySpecial::Unhide: return Unhide(name);
    case SecuritySpecial::Delete: return Delete(name);
  }
  return Outcome::Cancelled();
}

}  // namespace pellmark::ledger
