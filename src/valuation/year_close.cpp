#include "valuation/year_close.h"

#include <fmt/format.h>

#include "club/dates.h"
#include "store/whole_files.h"
#include "valuation/statement_file.h"

namespace pellmark::valuation {

std::string NeedClosingStatement(std::int32_t year) {
  return fmt::format("Need to create an Official Valuation Statement for 12/31/{}", year);
}

YearCloseStart StartYearClose(ClubSession& club, store::FileLayer& files) {
  Interaction& ui = club.Ui();
  YearCloseStart start;
  const std::int32_t year = club.Info().year;
  const std::filesystem::path statement = club.Folder() / StatementFileName(DayNumberFromCivil({year, 12, 31}));
  if (!files.Exists(statement)) {
    start.outcome = Refuse(ui, NeedClosingStatement(year));
    return start;
  }
  std::optional<std::int32_t> unitid;
  try {
    unitid = DecodeStatement(store::ReadWholeFile(files, statement), statement.filename().string()).unit_id;
  } catch (const StatementError& damaged) {
    start.outcome = Refuse(ui, damaged.what());
    return start;
  }
  // A test statement's trailer holds -1; one without a trailer names no valuation either.
  std::optional<TUnitValueRec> unit;
  if (unitid && *unitid >= 0) {
    club.unitfile.ForEachBackward("", [&](const TUnitValueRec& record) {
      if (record.unitid == *unitid) unit = record;
      return !unit;
    });
  }
  if (!unit) {
    start.outcome = Refuse(ui, NeedClosingStatement(year));
    return start;
  }
  if (unit->upd) {
    start.outcome = Refuse(ui, fmt::format("Year {} already closed.", year));
    return start;
  }
  if (!ui.Confirm(fmt::format("Have all transactions for {} been entered and verified?", year))) {
    start.outcome = Outcome::Cancelled();
    return start;
  }
  start.closing = ClosingValuation{year, statement, *unit};
  return start;
}

void MarkYearClosed(ClubSession& club, const ClosingValuation& closing) {
  TUnitValueRec unit = closing.unit;
  unit.upd = true;
  club.unitfile.Put(unit);
}

void OpenNextYear(ClubSession& club) {
  club.Info().year += 1;
  club.WriteClubInfo();
}

void AnnounceYearClosed(Interaction& ui, std::int32_t year) {
  ui.PlayConfirmationSound();
  ui.ShowInformation(fmt::format("Year {} has been closed.  Tax Report Created.", year));
}

}  // namespace pellmark::valuation
