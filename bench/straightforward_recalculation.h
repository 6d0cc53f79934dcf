// The audit and the full recalculation exactly as the steps read, kept as the
// reference the program's own ones are measured and checked against: one
// audit per unit record, each re-running every later valuation of its year;
// each valuation reads the stores, writes them and is committed on its own
// (dropped when it fails half way), and members are reset in the stores.
//
//   StraightforwardRecalculation(books);        // "Recaulate All Members", unasked
//   StraightforwardAudit(books, 1 January);     // "Audit Valuations", unannounced
#pragma once

#include <cmath>
#include <exception>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "books/books.h"
#include "cash/account_posting.h"
#include "club/keys.h"
#include "club/real48.h"
#include "club/record_kinds.h"
#include "members/member_posting.h"
#include "store/whole_files.h"
#include "valuation/statement_file.h"
#include "valuation/valuation.h"

namespace pellmark::reference {

using namespace pellmark::valuation;

inline int YearOf(DayNumber date) { return CivilFromDayNumber(date).year; }

inline bool HasShares(double shares) { return std::fabs(shares) >= kShareTolerance; }

// Shares of a purchase, sale or reinvestment record; a record without a price carries none.
inline double SharesOf(const TSecurityTranRec& tran) { return tran.price == 0 ? 0 : tran.amount / tran.price; }

// The filter of one owner's transactions of one year ("12_1999_>").
inline std::string OwnerYearFilter(std::int32_t owner, int year) { return fmt::format("{}_{:04}_>", owner, year); }

// The filter of the unit records of one date ("1999_364_>").
inline std::string UnitDateFilter(DayNumber date) {
  const std::string key = UnitKey(0, date);
  return key.substr(0, key.rfind('_') + 1) + ">";
}

// The security's position as of `date`, rebuilt in a working copy from its
// transactions in key order with the position rules of the security ledger for
// purchases, sales, dividends, reinvestments, capital reductions and clears;
// dividends count in `dividendy` when dated in the valuation's year.
inline void RebuildPosition(TSecurityRec& security, const std::vector<TSecurityTranRec>& trans, DayNumber date) {
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

enum class Valued { kDone, kRefused, kFailed };

// An official valuation in audit mode, on the stores.
inline Valued StraightforwardValuation(Books& books, DayNumber date) {
  ClubSession& club = books.Club();
  Interaction& ui = club.Ui();
  TClubInfoRec& info = club.Info();
  store::FileLayer& files = store::DefaultFileLayer();
  const bool official = true;
  if (YearOf(date) < info.year) {
    (void)Refuse(ui, "Valuations for previous years not allowed.");
    return Valued::kRefused;
  }
  const DayNumber today = club.Today();
  if (date > today + 1) {
    (void)Refuse(ui, "Future Valuations are not allowed.");
    return Valued::kRefused;
  }
  const bool current = date >= today;
  const std::string master_filter = current ? std::string(kActiveFilter) : std::string();

  // 4. Re-calculation: official over unit records of the same date.
  std::vector<std::string> collected_keys;
  std::set<std::int32_t> collected_ids;
  if (official) {
    club.unitfile.ForEachKeyed(UnitDateFilter(date), [&](const std::string& key, const TUnitValueRec& unit) {
      collected_keys.push_back(key);
      collected_ids.insert(unit.unitid);
    });
  }
  const bool recalculation = !collected_keys.empty();

  const std::filesystem::path file = club.Folder() / StatementFileName(date);
  std::optional<std::string> replaced;  // the statement the new one replaced, put back on a failure
  bool written = false;
  try {
    BusyGuard busy(ui);
    // 5. Previous unit value.
    double previous = info.vunit;
    if (!current) {
      club.unitfile.ForEachBackward("", [&](const TUnitValueRec& unit) {
        previous = unit.unitval;
        return unit.date >= date;
      });
    }

    // 6. The statement, header first.
    Statement statement;
    statement.date = date;
    double total_value = 0;

    // 7. Securities.
    club.securities.ForEach(master_filter, [&](TSecurityRec security) {
      std::vector<TSecurityTranRec> trans;
      if (!current) {
        trans = club.stkrecs.Select(OwnerFilter(security.stkid));
        RebuildPosition(security, trans, date);
      }
      if (!HasShares(security.sharest)) return;
      if (!current) {
        security.pricec = security.pricep;
        club.prices.ForEachBackward(OwnerFilter(security.stkid), [&](const TPriceRec& price) {
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
    club.securities.ForEach("", [&](const TSecurityRec& security) {
      club.stkrecs.ForEach(OwnerYearFilter(security.stkid, year), [&](const TSecurityTranRec& tran) {
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
    club.accounts.ForEach(master_filter, [&](TAccountRec account) {
      if (account.ExcludedFromValuation()) return;
      club.actrecs.ForEachBackward(OwnerFilter(account.actid), [&](const TAccountTranRec& tran) {
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
    club.members.ForEach(master_filter, [&](TMemberRec member) {
      const std::vector<TMemberTranRec> trans = club.memrecs.Select(OwnerFilter(member.memid));
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
      return Valued::kRefused;
    }

    // 12. The unit value, the summary and the trailer; the file is replaced whole.
    const double unit_value = total_value / total_units;
    const std::int32_t unitid = info.unitind;
    statement.summary = StatementSummary{unit_value, previous, total_value, total_units};
    statement.unit_id = official ? unitid : -1;
    const std::string bytes = EncodeStatement(statement);
    replaced = store::TryReadWholeFile(files, file);
    written = true;
    store::SaveFileAtomically(files, file, bytes);

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
      club.unitfile.Put(unit);
      if (recalculation) {
        std::set<std::int32_t> reset;
        for (TMemberTranRec tran : to_repoint) {
          tran.unitind = unitid;
          tran.cunit = unit_value;
          club.memrecs.Put(tran);
          reset.insert(tran.memid);
        }
        for (std::int32_t memid : reset) books.Members().RecalculateMember(memid);
        for (const std::string& key : collected_keys) {
          const std::optional<TUnitValueRec> old = club.unitfile.Find(key);
          club.unitfile.Remove(key);
          if (old && info.unitkey == old->unitid) {
            info.unitkey = unitid;
            info.vunit = unit_value;
          }
        }
      }
      club.WriteClubInfo();
    }
    return Valued::kDone;
  } catch (const std::exception&) {
    // The statement of this valuation does not outlive it: the one it replaced comes back.
    if (written) {
      try {
        if (replaced) {
          store::SaveFileAtomically(files, file, *replaced);
        } else if (files.Exists(file)) {
          files.Remove(file);
        }
      } catch (const std::exception&) {
        // The failure already being reported is the one the user needs.
      }
    }
    (void)Refuse(ui, valuation::kCreationFailed);
    return Valued::kFailed;
  }
}

inline void StraightforwardAudit(Books& books, DayNumber start) {
  ClubSession& club = books.Club();
  const bool saved_mode = club.AuditMode();
  club.SetAuditMode(true);
  if (YearOf(start) < club.Info().year) start = DayNumberFromCivil({club.Info().year, 1, 1});
  for (const std::string& key : club.unitfile.Keys(fmt::format("{:04}_>", YearOf(start)))) {
    const std::optional<TUnitValueRec> unit = club.unitfile.Find(key);
    if (!unit || unit->date < start) continue;
    if (StraightforwardValuation(books, unit->date) == Valued::kFailed) {
      books.Abandon();
    } else {
      books.Commit();
    }
  }
  club.SetAuditMode(saved_mode);
}

inline void StraightforwardRecalculation(Books& books) {
  ClubSession& club = books.Club();
  TClubInfoRec& info = club.Info();
  const std::int32_t saved_year = info.year;
  auto first_after = [&](std::optional<DayNumber> date) {
    std::optional<TUnitValueRec> found;
    club.unitfile.ForEachBackward("", [&](const TUnitValueRec& unit) {
      if (date && unit.date <= *date) return false;
      found = unit;
      return true;
    });
    return found;
  };
  std::optional<TUnitValueRec> previous = first_after(std::nullopt);
  for (std::optional<TUnitValueRec> next = previous ? first_after(previous->date) : std::nullopt; next;
       next = first_after(previous->date)) {
    const DayNumber date = next->date;
    info.year = YearOf(date);
    for (const TMemberRec& member : club.members.Select(kActiveFilter)) {
      bool repriced = false;
      for (TMemberTranRec tran : club.memrecs.Select(OwnerFilter(member.memid))) {
        const MemberTranKind kind = KindOf(tran);
        if (tran.trandate < previous->date || tran.trandate >= date ||
            (kind != MemberTranKind::Payment && kind != MemberTranKind::Payout)) {
          continue;
        }
        if (tran.cunit == previous->unitval && tran.unitind == previous->unitid) continue;
        tran.cunit = previous->unitval;
        tran.unitind = previous->unitid;
        club.memrecs.Put(tran);
        repriced = true;
      }
      if (repriced) books.Members().RecalculateMember(member.memid);
    }
    StraightforwardAudit(books, date);
    const std::string key = UnitKey(0, date);
    std::optional<TUnitValueRec> replaced;
    club.unitfile.ForEach(key.substr(0, key.rfind('_') + 1) + ">", [&](const TUnitValueRec& unit) {
      if (!replaced) replaced = unit;
    });
    previous = replaced ? replaced : next;
  }
  info.year = saved_year;
  club.WriteClubInfo();
  books.Commit();
}

}  // namespace pellmark::reference
