#include "valuation/valuation.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>
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

namespace pellmark::valuation {
namespace {

bool HasShares(double shares) { return std::fabs(shares) >= kShareTolerance; }

// Shares of a purchase, sale or reinvestment record; a record without a price carries none.
double SharesOf(const TSecurityTranRec& tran) { return tran.price == 0 ? 0 : tran.amount / tran.price; }

int YearOf(DayNumber date) { return CivilFromDayNumber(date).year; }

// The filter of one owner's transactions of one year ("12_1999_>").
std::string OwnerYearFilter(std::int32_t owner, int year) { return fmt::format("{}_{:04}_>", owner, year); }

// The filter of the unit records of one date ("1999_364_>").
std::string UnitDateFilter(DayNumber date) {
  const std::string key = UnitKey(0, date);
  return key.substr(0, key.rfind('_') + 1) + ">";
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

// The unit record that comes first after `date`, in key (date) order.
std::optional<TUnitValueRec> FirstUnitAfter(Table<TUnitValueRec>& units, std::optional<DayNumber> date) {
  std::optional<TUnitValueRec> found;
  units.ForEachBackward("", [&](const TUnitValueRec& unit) {
    if (date && unit.date <= *date) return false;
    found = unit;
    return true;
  });
  return found;
}

// Payments buy units and payouts sell them; the other kinds carry none, and a
// unit value given to them would invent units.
bool CarriesUnits(const TMemberTranRec& tran) {
  const MemberTranKind kind = KindOf(tran);
  return kind == MemberTranKind::Payment || kind == MemberTranKind::Payout;
}

}  // namespace

Valuations::Valuations(ClubSession& club, ClubFigures& figures, ledger::MemberLedger& members)
    : club_(club), figures_(figures), members_(members) {}

store::FileLayer& Valuations::Files() const { return files_ != nullptr ? *files_ : store::DefaultFileLayer(); }

Outcome Valuations::Failed() { return Refuse(club_.Ui(), kCreationFailed); }

ValuationResult Valuations::CreateValuation(DayNumber date, bool official) {
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
  const std::string master_filter = current ? std::string(kActiveFilter) : std::string();

  // 3. Staleness question.
  if (current && !audit) {
    bool active_security = false;
    club_.securities.ForEachBackward(kActiveFilter, [&](const TSecurityRec&) {
      active_security = true;
      return false;
    });
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
  if (official) {
    club_.unitfile.ForEachKeyed(UnitDateFilter(date), [&](const std::string& key, const TUnitValueRec& unit) {
      collected_keys.push_back(key);
      collected_ids.insert(unit.unitid);
    });
  }
  const bool recalculation = !collected_keys.empty();
  if (recalculation && !audit) {
    ui.ShowInformation("Pellmark has detected that you are re-calculating Valuation for " + FormatDate(date) +
                       ".  An audit will be performed after the New Valuation Unit value is calculated.");
  }

  const std::filesystem::path file = club_.Folder() / StatementFileName(date);
  std::optional<std::string> replaced;  // the statement the new one replaced, put back on a failure
  bool written = false;
  try {
    BusyGuard busy(ui);
    // 5. Previous unit value.
    double previous = info.vunit;
    if (!current) {
      club_.unitfile.ForEachBackward("", [&](const TUnitValueRec& unit) {
        previous = unit.unitval;
        return unit.date >= date;
      });
    }

    // 6. The statement, header first.
    Statement statement;
    statement.date = date;
    double total_value = 0;

    // 7. Securities.
    club_.securities.ForEach(master_filter, [&](TSecurityRec security) {
      std::vector<TSecurityTranRec> trans;
      if (!current) {
        trans = club_.stkrecs.Select(OwnerFilter(security.stkid));
        RebuildPosition(security, trans, date);
      }
      if (!HasShares(security.sharest)) return;
      if (!current) {
        security.pricec = security.pricep;
        club_.prices.ForEachBackward(OwnerFilter(security.stkid), [&](const TPriceRec& price) {
          if (price.trandate > date) return true;
          security.pricec = price.price;
          return false;
        });
        // Splits and basis changes after the date rewrote the lots and prices
        // before it; they are walked back from the newest.
        for (auto tran = trans.rbegin(); tran != trans.rend() && tran->trandate > date; ++tran) {
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
        if (!HasShares(security.sharest)) return;
      }
      const double shares = RoundThroughReal48(security.sharest);
      const double price = RoundThroughReal48(security.pricec);
      statement.securities.push_back(
          {security.pricep * security.sharest / shares, security.pricec, security.dividendy, security.sharest, security.name});
      total_value += shares * price;
    });

    // 8. Dividends of the year, hidden securities included.
    double dividends = 0;
    const int year = YearOf(date);
    club_.securities.ForEach("", [&](const TSecurityRec& security) {
      club_.stkrecs.ForEach(OwnerYearFilter(security.stkid, year), [&](const TSecurityTranRec& tran) {
        const auto kind = KindOf(tran);
        if (tran.trandate <= date && (kind == SecurityTranKind::Dividend || kind == SecurityTranKind::Reinvestment)) {
          dividends += tran.amount;
        }
      });
    });
    statement.dividends = dividends;

    // 9. Accounts: what came after the date, and the members' contributions of
    // the date, backed out of a working copy.
    bool backed_out_cash = false;
    club_.accounts.ForEach(master_filter, [&](TAccountRec account) {
      if (account.ExcludedFromValuation()) return;
      club_.actrecs.ForEachBackward(OwnerFilter(account.actid), [&](const TAccountTranRec& tran) {
        if (tran.trandate < date) return false;
        if (tran.trandate > date || tran.catid == Code(PredefinedCategory::MemberContributions)) {
          ledger::ApplyAccountPosting(account, tran, -1, info.year);
          backed_out_cash = true;
        }
        return true;
      });
      if (account.bal == 0) return;
      statement.accounts.push_back({account.bal, account.interesty, account.name});
      total_value += account.bal;
    });

    // 10. Members: transactions after the date, those of the date when cash of
    // the date was backed out, and on a re-calculation those that bought at the
    // unit records it replaces, backed out of a working copy.
    double total_units = 0;
    std::vector<TMemberTranRec> to_repoint;
    club_.members.ForEach(master_filter, [&](TMemberRec member) {
      const std::vector<TMemberTranRec> trans = club_.memrecs.Select(OwnerFilter(member.memid));
      for (auto tran = trans.rbegin(); tran != trans.rend(); ++tran) {
        const bool at_replaced_unit = recalculation && collected_ids.count(tran->unitind) != 0;
        if (at_replaced_unit) to_repoint.push_back(*tran);
        bool back_out;
        if (backed_out_cash && tran->trandate == date) {
          back_out = true;
        } else {
          back_out = tran->trandate > date || (at_replaced_unit && tran->trandate <= date);
        }
        if (back_out) ledger::ApplyMemberPosting(member, *tran, -1);
      }
      if (member.tunits == 0) return;
      statement.members.push_back({member.tunits, member.totalc, member.totale, ledger::DisplayName(member)});
      total_units += member.tunits;
    });

    // 11. No units, no valuation.
    if (total_units == 0) {
      const std::string message = "No Valuation Units.  Valuation Statement not created";
      if (!audit) ui.ShowError(message);
      result.outcome = Outcome::Refusal(message);
      return result;
    }

    // 12. The unit value, the summary and the trailer; the file is replaced whole.
    const double unit_value = total_value / total_units;
    const std::int32_t unitid = info.unitind;
    statement.summary = StatementSummary{unit_value, previous, total_value, total_units};
    statement.unit_id = official ? unitid : -1;
    const std::string bytes = EncodeStatement(statement);
    replaced = store::TryReadWholeFile(Files(), file);
    written = true;
    store::SaveFileAtomically(Files(), file, bytes);

    ValuationFigures figures{file, unit_value, previous, total_value, total_units, official ? unitid : -1,
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
      club_.unitfile.Put(unit);
      if (recalculation) {
        std::set<std::int32_t> reset;
        for (TMemberTranRec tran : to_repoint) {
          tran.unitind = unitid;
          tran.cunit = unit_value;
          club_.memrecs.Put(tran);
          reset.insert(tran.memid);
        }
        for (std::int32_t memid : reset) members_.RecalculateMember(memid);
        for (const std::string& key : collected_keys) {
          const std::optional<TUnitValueRec> old = club_.unitfile.Find(key);
          club_.unitfile.Remove(key);
          if (old && info.unitkey == old->unitid) {
            info.unitkey = unitid;
            info.vunit = unit_value;
          }
        }
      }
      club_.WriteClubInfo();
      result.backup_pending = !audit;
    } else if (!audit) {
      // 14. A test statement.
      ui.PlayConfirmationSound();
      ui.ShowInformation("Valuation Statement " + file.filename().string() + " created.");
    }
    result.figures = figures;
    return result;
  } catch (const std::exception&) {
    // The statement of this valuation does not outlive it: the one it replaced comes back.
    if (written) {
      try {
        if (replaced) {
          store::SaveFileAtomically(Files(), file, *replaced);
        } else if (Files().Exists(file)) {
          Files().Remove(file);
        }
      } catch (const std::exception&) {
        // The failure already being reported is the one the user needs.
      }
    }
    result.outcome = Failed();
    result.failed = true;
    result.figures.reset();
    result.backup_pending = false;
    return result;
  }
}

void Valuations::AnnounceOfficial(const ValuationFigures& figures) {
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation("Valuation Statement " + figures.statement.filename().string() +
                             " created. Valuation Updated");
  figures_.RefreshPurchaseUnit();
}

Outcome Valuations::AuditValuations(DayNumber start, bool announce, const SettleValuation& settle) {
  AuditModeGuard audit(club_);
  ReportCalendar* const calendar = calendar_;
  const DayNumber saved_date = calendar != nullptr ? calendar->Date() : DayNumber{};
  const std::int32_t open_year = club_.Info().year;
  if (YearOf(start) < open_year) start = DayNumberFromCivil({open_year, 1, 1});

  const std::vector<std::string> keys = club_.unitfile.Keys(fmt::format("{:04}_>", YearOf(start)));
  for (const std::string& key : keys) {
    const std::optional<TUnitValueRec> unit = club_.unitfile.Find(key);
    if (!unit || unit->date < start) continue;
    if (calendar != nullptr) calendar->SetDate(unit->date);
    settle(CreateValuation(unit->date, /*official=*/true));
  }

  if (calendar != nullptr) calendar->SetDate(saved_date);
  if (announce) {
    club_.Ui().PlayConfirmationSound();
    club_.Ui().ShowInformation(kAuditCompleted);
  }
  return Outcome::Done();
}

Outcome Valuations::RecalculateAllMembers(const SettleValuation& settle, Interaction& ui) {
  if (!ui.Confirm(kRecalculateQuestion)) return Outcome::Cancelled();

  TClubInfoRec& info = club_.Info();
  const std::int32_t saved_year = info.year;
  const int total = club_.unitfile.Count();
  ui.ShowProgress(kRecalculateCaption, 0);
  try {
    // The club's first unit value is taken as right.
    std::optional<TUnitValueRec> previous = FirstUnitAfter(club_.unitfile, std::nullopt);
    int done = 1;
    for (std::optional<TUnitValueRec> next = previous ? FirstUnitAfter(club_.unitfile, previous->date) : std::nullopt;
         next; next = FirstUnitAfter(club_.unitfile, previous->date)) {
      const DayNumber date = next->date;
      info.year = YearOf(date);
      // Every units-carrying transaction from the previous valuation up to this
      // one buys at the previous valuation, across a year's end too.
      for (const TMemberRec& member : club_.members.Select(kActiveFilter)) {
        bool repriced = false;
        for (TMemberTranRec tran : club_.memrecs.Select(OwnerFilter(member.memid))) {
          if (tran.trandate < previous->date || tran.trandate >= date || !CarriesUnits(tran)) continue;
          if (tran.cunit == previous->unitval && tran.unitind == previous->unitid) continue;
          tran.cunit = previous->unitval;
          tran.unitind = previous->unitid;
          club_.memrecs.Put(tran);
          repriced = true;
        }
        if (repriced) members_.RecalculateMember(member.memid);
      }
      (void)AuditValuations(date, /*announce=*/false, settle);
      ++done;
      ui.ShowProgress(kRecalculateCaption, total == 0 ? 100 : done * 100 / total);
      // The audit replaced the record of this date; the new one prices the next stretch.
      std::optional<TUnitValueRec> replaced;
      club_.unitfile.ForEach(UnitDateFilter(date), [&](const TUnitValueRec& unit) {
        if (!replaced) replaced = unit;
      });
      previous = replaced ? replaced : next;
    }
  } catch (...) {
    info.year = saved_year;
    ui.ShowProgress(kRecalculateCaption, 0);
    throw;
  }
  info.year = saved_year;
  club_.WriteClubInfo();
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
