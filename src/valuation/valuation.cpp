#include "valuation/valuation.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>
#include <map>
#include <set>
#include <vector>

#include <fmt/format.h>

#include "club/keys.h"
#include "club/real48.h"
#include "club/record_kinds.h"
#include "club/text_encoding.h"
#include "cash/account_posting.h"
#include "members/member_posting.h"
#include "store/whole_files.h"
#include "valuation/statement_file.h"
#include "valuation/valuation_books.h"

namespace pellmark::valuation {
namespace {

bool HasShares(double shares) { return std::fabs(shares) >= kShareTolerance; }

// Shares of a purchase, sale or reinvestment record; a record without a price carries none.
double SharesOf(const TSecurityTranRec& tran) { return tran.price == 0 ? 0 : tran.amount / tran.price; }

int YearOf(DayNumber date) { return CivilFromDayNumber(date).year; }

// The key prefix of the unit records of one date ("1999_364_").
std::string UnitDatePrefix(DayNumber date) {
  const std::string key = UnitKey(0, date);
  return key.substr(0, key.rfind('_') + 1);
}

// The security's position as of `date`, rebuilt in a working copy from its
// transactions in key order with the position rules of the security ledger for
// purchases, sales, dividends, reinvestments, capital reductions and clears;
// dividends count in `dividendy` when dated in the valuation's year.
void RebuildPosition(TSecurityRec& security, const std::vector<TSecurityTranRec>& trans, DayNumber date) {
  security.pricep = security.dividendt = security.dividendy = security.tspent = security.sharest = 0;
  security.pricedate = 0;
  const int year = YearOf(date);
  auto apply_dividend = [&](const TSecurityTranRec& tran) {
    security.dividendt += tran.amount;
    if (YearOf(tran.trandate) == year) security.dividendy += tran.amount;
  };
  auto take_price = [&](double price) {
    if (security.pricedate == 0) security.pricec = price;
  };
  for (const TSecurityTranRec& tran : trans) {
    if (tran.trandate > date) break;
    switch (KindOf(tran)) {
      case SecurityTranKind::Purchase:
        if (tran.compc) break;  // covers short sales: no position of its own
        security.sharest += SharesOf(tran);
        security.tspent += tran.amount + tran.comm;
        ApplySecurityBookkeeping(security);
        take_price(tran.price);
        break;
      case SecurityTranKind::Reinvestment:
        if (tran.compc) {
          security.sharest += SharesOf(tran);
          security.tspent += tran.amount + tran.comm;
        } else {
          security.sharest += tran.price == 0 ? 0 : (tran.amount - tran.comm) / tran.price;
          security.tspent += tran.amount;
        }
        ApplySecurityBookkeeping(security);
        take_price(tran.price);
        apply_dividend(tran);
        break;
      case SecurityTranKind::Sale: {
        if (tran.compc && !tran.tax) break;  // a short sale changes no position
        // The lot the sale names; the sale itself when the lot is gone.
        const TSecurityTranRec* lot = &tran;
        for (const TSecurityTranRec& other : trans) {
          const auto kind = KindOf(other);
          if ((kind == SecurityTranKind::Purchase || kind == SecurityTranKind::Reinvestment) &&
              other.stranid == tran.buytran) {
            lot = &other;
            break;
          }
        }
        const bool company_paid_reinvestment = KindOf(*lot) == SecurityTranKind::Reinvestment && !lot->compc;
        security.sharest -= SharesOf(tran);
        security.tspent -= lot->amount + (company_paid_reinvestment ? 0 : lot->comm);
        ApplySecurityBookkeeping(security);
        take_price(tran.price);
        break;
      }
      case SecurityTranKind::Dividend: apply_dividend(tran); break;
      case SecurityTranKind::CapitalReduction:
        security.tspent -= tran.amount;
        security.pricep = security.sharest > 0 ? security.tspent / security.sharest : 0;
        break;
      case SecurityTranKind::Clear:
        security.sharest -= tran.amount;
        if (security.sharest < kShareTolerance) security.sharest = 0;
        break;
      default: break;  // distributions, splits, basis changes and foreign taxes move no position here
    }
  }
}

// Audit mode for the lifetime of the guard; the flag it found comes back after.
class AuditModeGuard {
 public:
  explicit AuditModeGuard(ClubSession& club) : club_(club), saved_(club.AuditMode()) { club_.SetAuditMode(true); }
  ~AuditModeGuard() { club_.SetAuditMode(saved_); }
  AuditModeGuard(const AuditModeGuard&) = delete;
  AuditModeGuard& operator=(const AuditModeGuard&) = delete;

 private:
  ClubSession& club_;
  bool saved_;
};

// Payments buy units and payouts sell them; the other kinds carry none, and a
// unit value given to them would invent units.
bool CarriesUnits(const TMemberTranRec& tran) {
  const MemberTranKind kind = KindOf(tran);
  return kind == MemberTranKind::Payment || kind == MemberTranKind::Payout;
}

// A member's totals taken again from all its transactions, as a member reset
// does; those in `repointed` count at the unit record `unitid` of `unit_value`.
TMemberRec ResetTotals(const ValuationBooks::Member& member,
                       const std::set<const ValuationBooks::MemberTran*>* repointed, std::int32_t unitid,
                       double unit_value) {
  TMemberRec totals = member.record;
  totals.tunits = totals.totalc = totals.totale = 0;
  for (const ValuationBooks::MemberTran& tran : *member.transactions) {
    if (repointed != nullptr && repointed->contains(&tran)) {
      TMemberTranRec moved = tran.record;
      moved.unitind = unitid;
      moved.cunit = unit_value;
      ledger::ApplyMemberPosting(totals, moved, +1);
    } else {
      ledger::ApplyMemberPosting(totals, tran.record, +1);
    }
  }
  return totals;
}

}  // namespace

Valuations::Valuations(ClubSession& club, ClubFigures& figures) : club_(club), figures_(figures) {}

store::FileLayer& Valuations::Files() const { return files_ != nullptr ? *files_ : store::DefaultFileLayer(); }

Outcome Valuations::Failed() { return Refuse(club_.Ui(), kCreationFailed); }

ValuationResult Valuations::CreateValuation(DayNumber date, bool official) {
  ValuationBooks books(club_);
  ValuationResult result = Value(books, date, official);
  if (!result.figures) return result;
  try {
    books.Write(Files());
  } catch (const std::exception&) {
    result.outcome = Failed();
    result.failed = true;
    result.figures.reset();
    result.backup_pending = false;
    return result;
  }
  if (!official && !club_.AuditMode()) {
    // 14. A test statement.
    club_.Ui().PlayConfirmationSound();
    club_.Ui().ShowInformation("Valuation Statement " + result.figures->statement.filename().string() + " created.");
  }
  return result;
}

ValuationResult Valuations::Value(ValuationBooks& books, DayNumber date, bool official) {
  Interaction& ui = club_.Ui();
  TClubInfoRec& info = club_.Info();
  const bool audit = club_.AuditMode();
  ValuationResult result;

  // 1. Date checks, by whole days: tomorrow is the latest date a valuation takes.
  const DayNumber today = club_.Today();
  if (YearOf(date) < info.year) {
    result.outcome = Refuse(ui, "Valuations for previous years not allowed.");
    return result;
  }
  if (date > today + 1) {
    result.outcome = Refuse(ui, "Future Valuations are not allowed.");
    return result;
  }
  // 2. Current (today or tomorrow): active items with their stored figures;
  // past-dated: hidden items too, with figures rebuilt as of the date.
  const bool current = date >= today;

  // 3. Staleness question.
  if (current && !audit) {
    bool active_security = false;
    for (const ValuationBooks::Security& security : books.Securities()) active_security |= security.Active();
    std::string subject;
    if (!info.stks && !info.dues && active_security) {
      subject = "Security Prices and Member Dues";
    } else if (!info.stks && active_security) {
      subject = "Security Prices";
    } else if (!info.dues) {
      subject = "Member Dues";
    }
    if (!subject.empty() && !ui.Confirm(subject + " Not updated, Continue?")) {
      result.outcome = Outcome::Cancelled();
      return result;
    }
  }

  // 4. Re-calculation: official over unit records of the same date.
  std::vector<std::string> collected_keys;
  std::set<std::int32_t> collected_ids;
  const std::map<std::string, TUnitValueRec>& units = books.Units();
  if (official) {
    const std::string date_prefix = UnitDatePrefix(date);
    for (auto unit = units.lower_bound(date_prefix); unit != units.end() && unit->first.starts_with(date_prefix);
         ++unit) {
      collected_keys.push_back(unit->first);
      collected_ids.insert(unit->second.unitid);
    }
  }
  const bool recalculation = !collected_keys.empty();
  if (recalculation && !audit) {
    ui.ShowInformation("Pellmark has detected that you are re-calculating Valuation for " + FormatDate(date) +
                       ".  An audit will be performed after the New Valuation Unit value is calculated.");
  }

  const std::filesystem::path file = club_.Folder() / StatementFileName(date);
  try {
    BusyGuard busy(ui);
    // 5. Previous unit value.
    double previous = info.vunit;
    if (!current) {
      for (auto unit = units.rbegin(); unit != units.rend(); ++unit) {
        previous = unit->second.unitval;
        if (unit->second.date < date) break;
      }
    }

    // 6. The statement, header first.
    Statement statement;
    statement.date = date;
    double total_value = 0;

    // 7. Securities.
    for (const ValuationBooks::Security& stored : books.Securities()) {
      if (current && !stored.Active()) continue;
      TSecurityRec security = stored.record;
      const std::vector<TSecurityTranRec>* trans = nullptr;
      if (!current) {
        trans = &books.SecurityTransactions(security.stkid);
        RebuildPosition(security, *trans, date);
      }
      if (!HasShares(security.sharest)) continue;
      if (!current) {
        security.pricec = security.pricep;
        const std::vector<TPriceRec>& prices = books.Prices(security.stkid);
        for (auto price = prices.rbegin(); price != prices.rend(); ++price) {
          if (price->trandate > date) continue;
          security.pricec = price->price;
          break;
        }
        // Splits and basis changes after the date rewrote the lots and prices
        // before it; they are walked back from the newest.
        for (auto tran = trans->rbegin(); tran != trans->rend() && tran->trandate > date; ++tran) {
          if (tran->price == 0 || tran->comm == 0) continue;
          if (KindOf(*tran) == SecurityTranKind::Split) {
            security.sharest -= tran->amount;
            security.pricec = security.pricec * tran->price / tran->comm;
            security.pricep = security.pricep * tran->price / tran->comm;
          } else if (KindOf(*tran) == SecurityTranKind::BasisChange) {
            // The change took the cost from `comm` to `price`; back it goes.
            security.pricec = security.pricec * tran->comm / tran->price;
            security.pricep = security.pricep * tran->comm / tran->price;
          }
        }
        if (!HasShares(security.sharest)) continue;
      }
      const double shares = RoundThroughReal48(security.sharest);
      const double price = RoundThroughReal48(security.pricec);
      statement.securities.push_back(
          {security.pricep * security.sharest / shares, security.pricec, security.dividendy, security.sharest, security.name});
      total_value += shares * price;
    }

    // 8. Dividends of the year, hidden securities included.
    double dividends = 0;
    const DayNumber year_start = DayNumberFromCivil({YearOf(date), 1, 1});
    for (const ValuationBooks::Security& security : books.Securities()) {
      for (const TSecurityTranRec& tran : books.SecurityTransactions(security.record.stkid)) {
        const auto kind = KindOf(tran);
        if (tran.trandate >= year_start && tran.trandate <= date &&
            (kind == SecurityTranKind::Dividend || kind == SecurityTranKind::Reinvestment)) {
          dividends += tran.amount;
        }
      }
    }
    statement.dividends = dividends;

    // 9. Accounts: what came after the date, and the members' contributions of
    // the date, backed out of a working copy.
    bool backed_out_cash = false;
    for (const ValuationBooks::Account& stored : books.Accounts()) {
      if ((current && !stored.Active()) || stored.record.ExcludedFromValuation()) continue;
      TAccountRec account = stored.record;
      const std::vector<TAccountTranRec>& trans = books.AccountTransactions(account.actid);
      for (auto tran = trans.rbegin(); tran != trans.rend() && tran->trandate >= date; ++tran) {
        if (tran->trandate > date || tran->catid == Code(PredefinedCategory::MemberContributions)) {
          ledger::ApplyAccountPosting(account, *tran, -1, info.year);
          backed_out_cash = true;
        }
      }
      if (account.bal == 0) continue;
      statement.accounts.push_back({account.bal, account.interesty, account.name});
      total_value += account.bal;
    }

    // 10. Members: transactions after the date, those of the date when cash of
    // the date was backed out, and on a re-calculation those that bought at the
    // unit records it replaces, backed out of a working copy.
    double total_units = 0;
    std::vector<ValuationBooks::MemberTran*> to_repoint;
    for (ValuationBooks::Member& stored : books.Members()) {
      if (current && !stored.Active()) continue;
      TMemberRec member = stored.record;
      std::vector<ValuationBooks::MemberTran>& trans = *stored.transactions;
      for (auto tran = trans.rbegin(); tran != trans.rend(); ++tran) {
        const bool at_replaced_unit = recalculation && collected_ids.count(tran->record.unitind) != 0;
        if (at_replaced_unit) to_repoint.push_back(&*tran);
        bool back_out;
        if (backed_out_cash && tran->record.trandate == date) {
          back_out = true;
        } else {
          back_out = tran->record.trandate > date || (at_replaced_unit && tran->record.trandate <= date);
        }
        if (back_out) ledger::ApplyMemberPosting(member, tran->record, -1);
      }
      if (member.tunits == 0) continue;
      statement.members.push_back({member.tunits, member.totalc, member.totale, ledger::DisplayName(member)});
      total_units += member.tunits;
    }

    // 11. No units, no valuation.
    if (total_units == 0) {
      const std::string message = "No Valuation Units.  Valuation Statement not created";
      if (!audit) ui.ShowError(message);
      result.outcome = Outcome::Refusal(message);
      return result;
    }

    // 12. The unit value, the summary and the trailer.
    const double unit_value = total_value / total_units;
    const std::int32_t unitid = info.unitind;
    statement.summary = StatementSummary{unit_value, previous, total_value, total_units};
    statement.unit_id = official ? unitid : -1;
    std::string bytes = EncodeStatement(statement);

    // 13.5, worked out before anything changes so that a failure leaves the
    // books as they were: the totals of the members whose transactions move to
    // the new unit record, taken again from all their transactions.
    const std::set<const ValuationBooks::MemberTran*> repointed(to_repoint.begin(), to_repoint.end());
    std::vector<std::pair<ValuationBooks::Member*, TMemberRec>> resets;
    if (official) {
      std::set<std::int32_t> reset_ids;
      for (const ValuationBooks::MemberTran* tran : to_repoint) reset_ids.insert(tran->record.memid);
      for (std::int32_t memid : reset_ids) {
        if (ValuationBooks::Member* member = books.FindMember(memid)) {
          resets.emplace_back(member, ResetTotals(*member, &repointed, unitid, unit_value));
        }
      }
    }

    books.PutStatement(file, std::move(bytes));
    const ValuationFigures figures{file, unit_value, previous, total_value, total_units, official ? unitid : -1,
                                   official, current, recalculation};
    if (official) {
      // 13. The unit record and the club information.
      TUnitValueRec unit;
      unit.unitval = unit_value;
      unit.date = date;
      unit.upd = false;
      unit.unitid = unitid;
      if (current || date > info.date) {
        info.unitkey = unitid;
        info.vunit = unit_value;
        info.date = date;
        info.dues = false;
        info.stks = false;
      }
      AllocateTranId(info.unitind);
      books.PutUnit(unit);
      if (recalculation) {
        for (ValuationBooks::MemberTran* tran : to_repoint) {
          tran->record.unitind = unitid;
          tran->record.cunit = unit_value;
          tran->changed = true;
        }
        for (auto& [member, totals] : resets) books.SetTotals(*member, totals);
        for (const std::string& key : collected_keys) {
          const auto old = units.find(key);
          const std::optional<std::int32_t> old_id =
              old == units.end() ? std::nullopt : std::optional<std::int32_t>(old->second.unitid);
          books.RemoveUnit(key);
          if (old_id && info.unitkey == *old_id) {
            info.unitkey = unitid;
            info.vunit = unit_value;
          }
        }
      }
      books.InfoChanged();
      result.backup_pending = !audit;
    }
    result.figures = figures;
    return result;
  } catch (const std::exception&) {
    result.outcome = Failed();
    result.failed = true;
    return result;
  }
}

void Valuations::AnnounceOfficial(const ValuationFigures& figures) {
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation("Valuation Statement " + figures.statement.filename().string() +
                             " created. Valuation Updated");
  figures_.RefreshPurchaseUnit();
}

void Valuations::Audit(ValuationBooks& books, DayNumber start) {
  AuditModeGuard audit(club_);
  ReportCalendar* const calendar = calendar_;
  const DayNumber saved_date = calendar != nullptr ? calendar->Date() : DayNumber{};
  const std::int32_t open_year = club_.Info().year;
  if (YearOf(start) < open_year) start = DayNumberFromCivil({open_year, 1, 1});

  const std::map<std::string, TUnitValueRec>& units = books.Units();
  const std::string year_prefix = fmt::format("{:04}_", YearOf(start));
  std::vector<std::string> keys;
  for (auto unit = units.lower_bound(year_prefix); unit != units.end() && unit->first.starts_with(year_prefix); ++unit) {
    keys.push_back(unit->first);
  }
  for (const std::string& key : keys) {
    const auto unit = units.find(key);
    if (unit == units.end() || unit->second.date < start) continue;
    const DayNumber date = unit->second.date;
    if (calendar != nullptr) calendar->SetDate(date);
    (void)Value(books, date, /*official=*/true);
  }
  if (calendar != nullptr) calendar->SetDate(saved_date);
}

Outcome Valuations::WriteAudited(ValuationBooks& books, const SettleValuation& settle) {
  ValuationResult written;
  try {
    books.Write(Files());
  } catch (const std::exception&) {
    written.outcome = Failed();
    written.failed = true;
  }
  settle(written);
  return written.outcome;
}

Outcome Valuations::AuditValuations(DayNumber start, bool announce, const SettleValuation& settle) {
  ValuationBooks books(club_);
  Audit(books, start);
  if (Outcome written = WriteAudited(books, settle); !written) return written;
  if (announce) {
    club_.Ui().PlayConfirmationSound();
    club_.Ui().ShowInformation(kAuditCompleted);
  }
  return Outcome::Done();
}

Outcome Valuations::RecalculateAllMembers(const SettleValuation& settle, Interaction& ui) {
  if (!ui.Confirm(kRecalculateQuestion)) return Outcome::Cancelled();

  ValuationBooks books(club_);
  const std::map<std::string, TUnitValueRec>& units = books.Units();
  // The unit record that comes first after `date`, in key (date) order.
  auto first_after = [&](std::optional<DayNumber> date) {
    std::optional<TUnitValueRec> found;
    for (auto unit = units.rbegin(); unit != units.rend() && (!date || unit->second.date > *date); ++unit) {
      found = unit->second;
    }
    return found;
  };
  TClubInfoRec& info = club_.Info();
  const std::int32_t saved_year = info.year;
  const int total = static_cast<int>(units.size());
  ui.ShowProgress(kRecalculateCaption, 0);
  try {
    // The club's first unit value is taken as right.
    std::optional<TUnitValueRec> previous = first_after(std::nullopt);
    int done = 1;
    for (std::optional<TUnitValueRec> next = previous ? first_after(previous->date) : std::nullopt; next;
         next = first_after(previous->date)) {
      const DayNumber date = next->date;
      info.year = YearOf(date);
      // Every units-carrying transaction from the previous valuation up to this
      // one buys at the previous valuation, across a year's end too.
      for (ValuationBooks::Member& member : books.Members()) {
        if (!member.Active()) continue;
        bool repriced = false;
        for (ValuationBooks::MemberTran& tran : *member.transactions) {
          TMemberTranRec& record = tran.record;
          if (record.trandate < previous->date || record.trandate >= date || !CarriesUnits(record)) continue;
          if (record.cunit == previous->unitval && record.unitind == previous->unitid) continue;
          record.cunit = previous->unitval;
          record.unitind = previous->unitid;
          tran.changed = true;
          repriced = true;
        }
        if (!repriced) continue;
        if (ValuationBooks::Member* reset = books.FindMember(member.record.memid)) {
          books.SetTotals(*reset, ResetTotals(*reset, nullptr, 0, 0));
        }
      }
      Audit(books, date);
      ++done;
      ui.ShowProgress(kRecalculateCaption, total == 0 ? 100 : done * 100 / total);
      // The audit replaced the record of this date; the new one prices the next stretch.
      const std::string date_prefix = UnitDatePrefix(date);
      const auto replaced = units.lower_bound(date_prefix);
      if (replaced != units.end() && replaced->first.starts_with(date_prefix)) {
        previous = replaced->second;
      } else {
        previous = next;
      }
    }
  } catch (...) {
    info.year = saved_year;
    ui.ShowProgress(kRecalculateCaption, 0);
    throw;
  }
  info.year = saved_year;
  books.InfoChanged();
  if (Outcome written = WriteAudited(books, settle); !written) {
    ui.ShowProgress(kRecalculateCaption, 0);
    return written;
  }
  figures_.RefreshPurchaseUnit();
  ui.ShowProgress(kRecalculateCaption, 100);
  ui.PlayConfirmationSound();
  ui.ShowInformation(kRecalculated);
  ui.ShowProgress(kRecalculateCaption, 0);
  return Outcome::Done();
}

Outcome Valuations::DeleteStatement(const std::filesystem::path& file) {
  Interaction& ui = club_.Ui();
  const std::string name = file.filename().string();
  std::string lowered = name;
  std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](unsigned char c) { return std::tolower(c); });
  const bool statement_name =
      lowered.size() > 5 && lowered.front() == 'v' && (lowered.ends_with(".stm") || lowered.ends_with(".sta"));
  if (!statement_name) return Refuse(ui, name + " is not a valuation statement.");
  if (!Files().Exists(file) || Files().IsFolder(file)) {
    return RefuseMissing(ui, "Valuation statement " + name + " does not exist.");
  }
  if (!ui.Confirm(ToWindows1252(file.string()) + " will be removed permanently. Continue?")) return Outcome::Cancelled();
  Files().Remove(file);
  ui.PlayConfirmationSound();
  return Outcome::Done();
}

}  // namespace pellmark::valuation
