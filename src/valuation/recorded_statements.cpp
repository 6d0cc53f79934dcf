#include "valuation/recorded_statements.h"

#include <map>
#include <string>

#include "valuation/statement_file.h"
#include "valuation/statement_of_date.h"
#include "valuation/valuation_books.h"

namespace pellmark::valuation {

int StageRecordedStatements(ClubSession& club) {
  ValuationBooks books(club);
  const std::map<std::string, TUnitValueRec>& units = books.Units();  // key order is date order
  int staged = 0;
  if (!units.empty()) {
    const DayNumber today = club.Today();
    DayNumber date_at_hand = units.begin()->second.date;  // the starting value's date: no statement
    double last_value = units.begin()->second.unitval;
    for (const auto& [key, unit] : units) {
      if (unit.date != date_at_hand) {
        date_at_hand = unit.date;
        HeldOnDate held = StatementOfDate(books, club.Info(), unit.date, unit.date >= today);
        held.statement.summary = StatementSummary{unit.unitval, last_value, held.total_value, held.total_units};
        held.statement.unit_id = unit.unitid;
        books.PutStatement(club.Folder() / StatementFileName(unit.date), EncodeStatement(held.statement));
        ++staged;
      }
      last_value = unit.unitval;
    }
  }
  books.Write();
  return staged;
}

}  // namespace pellmark::valuation
