// The audit and the full recalculation exactly as the steps read, kept as the
// reference the program's own ones are measured and checked against: one
// audit per unit record, each re-running every later valuation of its year;
// each valuation is the program's single valuation, which reads the stores,
// writes them and is committed on its own (dropped when it fails half way),
// and members are reset in the stores.
//
//   StraightforwardRecalculation(books);        // "Recaulate All Members", unasked
//   StraightforwardAudit(books, 1 January);     // "Audit Valuations", unannounced
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "books/books.h"
#include "club/keys.h"
#include "club/record_kinds.h"
#include "valuation/valuation.h"

namespace pellmark::reference {

inline int YearOf(DayNumber date) { return CivilFromDayNumber(date).year; }

inline void StraightforwardAudit(Books& books, DayNumber start) {
  ClubSession& club = books.Club();
  const bool saved_mode = club.AuditMode();
  club.SetAuditMode(true);
  if (YearOf(start) < club.Info().year) start = DayNumberFromCivil({club.Info().year, 1, 1});
  const std::vector<std::string> all = club.unitfile.Keys("");
  const std::string starting_key = all.empty() ? std::string() : all.front();
  for (const std::string& key : club.unitfile.Keys(fmt::format("{:04}_>", YearOf(start)))) {
    const std::optional<TUnitValueRec> unit = club.unitfile.Find(key);
    if (!unit || unit->date < start || key == starting_key) continue;
    // One valuation read from the stores, written and committed (dropped when it fails).
    if (!books.CreateValuation(unit->date, /*official=*/true).outcome) break;
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
        if (tran.trandate < previous->date || tran.trandate >= date || KindOf(tran) != MemberTranKind::Payment) {
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
