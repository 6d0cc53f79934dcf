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
#include "securities/security_position.h"
#include "members/member_posting.h"
#include "store/whole_files.h"
#include "valuation/statement_file.h"
#include "valuation/statement_of_date.h"
#include "valuation/valuation_books.h"

namespace pellmark::valuation {
namespace {

int YearOf(DayNumber date) { return CivilFromDayNumber(date).year; }

// The key prefix of the unit records of one date ("1999_364_").
std::string UnitDatePrefix(DayNumber date) {
  const std::string key = UnitKey(0, date);
  return key.substr(0, key.rfind('_') + 1);
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

// A member's transactions priced again: those in `repointed` move to the
// unit record `unitid` of `unit_value`. The cash of a payout is a fact no
// valuation changes: a re-priced payout keeps its amount and takes that amount
// at the new unit value in units, but never more units than the member held
// just before it; and a payout that took every unit the member held still does
// (its unit value is then its amount over those units), so a member paid off
// in full holds no units after any audit. Returns the records that changed and
// the totals taken again from all of them.
struct RepricedMember {
  std::vector<std::pair<ValuationBooks::MemberTran*, TMemberTranRec>> changed;
  TMemberRec totals;
};

RepricedMember Reprice(ValuationBooks::Member& member, const std::set<const ValuationBooks::MemberTran*>& repointed,
                       std::int32_t unitid, double unit_value) {
  RepricedMember result;
  result.totals = member.record;
  result.totals.tunits = result.totals.totalc = result.totals.totale = 0;
  TMemberRec as_before = result.totals;
  for (ValuationBooks::MemberTran& tran : *member.transactions) {
    TMemberTranRec record = tran.record;
    const bool payout = KindOf(record) == MemberTranKind::Payout;
    if (repointed.contains(&tran)) {
      record.unitind = unitid;
      record.cunit = unit_value;
    }
    if (payout) {
      const double held = result.totals.tunits;
      const bool took_everything = std::fabs(as_before.tunits - ledger::UnitsOf(tran.record)) < kShareTolerance;
      if (held >= kShareTolerance && (took_everything || ledger::UnitsOf(record) > held)) {
        record.cunit = record.dues / held;
      }
    }
    ledger::ApplyMemberPosting(as_before, tran.record, +1);
    ledger::ApplyMemberPosting(result.totals, record, +1);
    if (record.cunit != tran.record.cunit || record.unitind != tran.record.unitind) {
      result.changed.emplace_back(&tran, record);
    }
  }
  return result;
}

void ApplyRepricing(ValuationBooks& books, ValuationBooks::Member& member, const RepricedMember& repriced) {
  for (const auto& [tran, record] : repriced.changed) {
    tran->record = record;
    tran->changed = true;
  }
  books.SetTotals(member, repriced.totals);
}

// A failure the user is told of in a word ("Valuation Statement Creation
// failed") keeps its cause for whoever looks into it.
void LogFailure(const std::string& what, const std::exception& error) {
  fmt::print(stderr, "pellmark: {} failed: {}\n", what, error.what());
}

}  // namespace

Valuations::Valuations(ClubSession& club, ClubFigures& figures) : club_(club), figures_(figures) {}

store::FileLayer& Valuations::Files() const { return club_.Files(); }

Outcome Valuations::Failed() { return Refuse(club_.Ui(), kCreationFailed); }

ValuationResult Valuations::CreateValuation(DayNumber date, bool official) {
  ValuationBooks books(club_);
  ValuationResult result = Value(books, date, official);
  if (!result.figures) return result;
  try {
    books.Write();
  } catch (const std::exception& error) {
    LogFailure("writing the statement of " + FormatDate(date), error);
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

    // 6 to 10. The statement of what the books held on the date.
    HeldOnDate held = StatementOfDate(books, info, date, current);
    Statement& statement = held.statement;
    const double total_value = held.total_value;
    const double total_units = held.total_units;

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
    // books as they were. The transactions that move to the new unit record:
    // those that used the records of the date it replaces, and the payments it
    // now prices, dated from it up to the next valuation (every payment buys at
    // the newest valuation on or before its date, whenever that was entered).
    std::vector<std::pair<ValuationBooks::Member*, RepricedMember>> repriced;
    int newly_priced = 0;
    std::optional<DayNumber> next_date;
    if (official) {
      for (auto unit = units.upper_bound(UnitDatePrefix(date) + "~"); unit != units.end(); ++unit) {
        if (unit->second.date > date) {
          next_date = unit->second.date;
          break;
        }
      }
      for (ValuationBooks::Member& member : books.Members()) {
        std::set<const ValuationBooks::MemberTran*> repointed;
        for (const ValuationBooks::MemberTran& tran : *member.transactions) {
          const TMemberTranRec& record = tran.record;
          if (recalculation && collected_ids.contains(record.unitind)) {
            repointed.insert(&tran);
          } else if (KindOf(record) == MemberTranKind::Payment && record.trandate >= date &&
                     (!next_date || record.trandate < *next_date)) {
            repointed.insert(&tran);
            ++newly_priced;
          }
        }
        if (!repointed.empty()) repriced.emplace_back(&member, Reprice(member, repointed, unitid, unit_value));
      }
    }

    books.PutStatement(file, std::move(bytes));
    const ValuationFigures figures{file,     unit_value,    previous,      total_value,  total_units,
                                   official ? unitid : -1, official, current, recalculation, newly_priced,
                                   date};
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
      for (auto& [member, repricing] : repriced) ApplyRepricing(books, *member, repricing);
      if (recalculation) {
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
      // The payments it priced bought units that later valuations count.
      if (newly_priced > 0 && next_date && !audit) result.outcome.AuditFrom(*next_date);
    }
    result.figures = figures;
    return result;
  } catch (const StatementError& error) {
    // A figure the statement cannot hold: the user is told whose it is, to
    // correct it (a price or share count entered wrong).
    LogFailure("the valuation of " + FormatDate(date), error);
    result.outcome = Failed();
    ui.ShowInformation(error.what());
    result.failed = true;
    return result;
  } catch (const std::exception& error) {
    LogFailure("the valuation of " + FormatDate(date), error);
    result.outcome = Failed();
    result.failed = true;
    return result;
  }
}

void Valuations::AnnounceOfficial(const ValuationFigures& figures) {
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation("Valuation Statement " + figures.statement.filename().string() +
                             " created. Valuation Updated");
  if (figures.newly_priced > 0) {
    club_.Ui().ShowInformation(fmt::format("{} dues payment{} dated from {} on now buy{} units at this valuation.",
                                           figures.newly_priced, figures.newly_priced == 1 ? "" : "s",
                                           FormatDate(figures.date), figures.newly_priced == 1 ? "s" : ""));
  }
  figures_.RefreshPurchaseUnit();
}

ValuationResult Valuations::Audit(ValuationBooks& books, DayNumber start) {
  AuditModeGuard audit(club_);
  const std::int32_t open_year = club_.Info().year;
  if (YearOf(start) < open_year) start = DayNumberFromCivil({open_year, 1, 1});

  const std::map<std::string, TUnitValueRec>& units = books.Units();
  const std::string year_prefix = fmt::format("{:04}_", YearOf(start));
  std::vector<std::string> keys;
  for (auto unit = units.lower_bound(year_prefix); unit != units.end() && unit->first.starts_with(year_prefix); ++unit) {
    keys.push_back(unit->first);
  }
  // The club's starting unit value is where the books begin, not a valuation:
  // it is taken as right, as the recalculation takes it.
  const std::string starting_key = units.empty() ? std::string() : units.begin()->first;
  ValuationResult last;
  for (const std::string& key : keys) {
    const auto unit = units.find(key);
    if (unit == units.end() || unit->second.date < start || key == starting_key) continue;
    const DayNumber date = unit->second.date;
    last = Value(books, date, /*official=*/true);
    if (!last.failed && last.outcome) continue;
    // The valuations after a failed one would build on it: the audit ends here.
    const std::string cause = last.failed ? kCreationFailed : last.outcome.Message();
    last.outcome = Outcome::Refusal("The Audit stopped at the valuation of " + FormatDate(date) + ": " + cause);
    break;
  }
  return last;
}

Outcome Valuations::WriteAudited(ValuationBooks& books) {
  try {
    books.Write();
  } catch (const std::exception& error) {
    LogFailure("writing the audited valuations", error);
    return Failed();
  }
  return Outcome::Done();
}

Outcome Valuations::Stopped(const ValuationResult& stopped) {
  club_.Ui().ShowError(stopped.outcome.Message());
  return stopped.outcome;
}

Outcome Valuations::AuditValuations(DayNumber start) {
  ValuationBooks books(club_);
  if (ValuationResult audited = Audit(books, start); !audited.outcome) return Stopped(audited);
  return WriteAudited(books);
}

void Valuations::AnnounceAudit() {
  club_.Ui().PlayConfirmationSound();
  club_.Ui().ShowInformation(kAuditCompleted);
}

Outcome Valuations::RecalculateAllMembers(Interaction& ui) {
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
      // Every payment from the previous valuation up to this one buys at the
      // previous valuation, across a year's end too; payouts keep their cash.
      for (ValuationBooks::Member& member : books.Members()) {
        if (!member.Active()) continue;
        std::set<const ValuationBooks::MemberTran*> repointed;
        for (const ValuationBooks::MemberTran& tran : *member.transactions) {
          const TMemberTranRec& record = tran.record;
          if (record.trandate < previous->date || record.trandate >= date) continue;
          if (KindOf(record) != MemberTranKind::Payment) continue;
          if (record.cunit == previous->unitval && record.unitind == previous->unitid) continue;
          repointed.insert(&tran);
        }
        if (repointed.empty()) continue;
        ApplyRepricing(books, member, Reprice(member, repointed, previous->unitid, previous->unitval));
      }
      if (ValuationResult audited = Audit(books, date); !audited.outcome) {
        info.year = saved_year;
        ui.ShowProgress(kRecalculateCaption, 0);
        return Stopped(audited);
      }
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
  if (Outcome written = WriteAudited(books); !written) {
    ui.ShowProgress(kRecalculateCaption, 0);
    return written;
  }
  return Outcome::Done();
}

void Valuations::AnnounceRecalculated(Interaction& ui) {
  figures_.RefreshPurchaseUnit();
  ui.ShowProgress(kRecalculateCaption, 100);
  ui.PlayConfirmationSound();
  ui.ShowInformation(kRecalculated);
  ui.ShowProgress(kRecalculateCaption, 0);
}

Outcome Valuations::DeleteStatement(const std::filesystem::path& file) {
  Interaction& ui = club_.Ui();
  const std::string name = file.filename().string();
  std::string lowered = name;
  std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](unsigned char c) { return std::tolower(c); });
  const bool statement_name =
      lowered.size() > 5 && lowered.front() == 'v' && (lowered.ends_with(".stm") || lowered.ends_with(".sta"));
  if (!statement_name) return Refuse(ui, name + " is not a valuation statement.");
  // A statement of the club goes with the operation's unit of work, so the
  // journal keeps its bytes for an undo; one kept elsewhere is no file of the books.
  const bool club_file =
      (std::filesystem::absolute(file).parent_path() / "").lexically_normal() == (club_.Folder() / "").lexically_normal();
  const bool exists = club_file ? club_.CommittedFile(name).has_value() : Files().Exists(file) && !Files().IsFolder(file);
  if (!exists) return RefuseMissing(ui, "Valuation statement " + name + " does not exist.");
  if (!ui.Confirm(ToWindows1252(file.string()) + " will be removed permanently. Continue?")) return Outcome::Cancelled();
  if (club_file) {
    club_.NameOperation("Delete valuation statement " + name);
    club_.StageRemoval(club_.Folder() / name);
  } else {
    Files().Remove(file);
  }
  ui.PlayConfirmationSound();
  return Outcome::Done();
}

}  // namespace pellmark::valuation
