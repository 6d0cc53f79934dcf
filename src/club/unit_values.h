// The unit value in force on a date, from the unit value history (clubunit.qdb).
//
//   if (auto unit = UnitValueAt(unitfile, dues_date)) units = amount / unit->unitval;
#pragma once

#include <cstdint>
#include <optional>

#include "club/dates.h"
#include "club/records.h"
#include "club/table.h"

namespace pellmark {

struct UnitValue {
  double unitval = 0;
  std::int32_t unitid = 0;
  DayNumber date = 0;
};

// The newest unit record dated on or before `date`; when every record is later,
// the oldest one; nullopt when the table holds none. A binary search over the
// table's positions, which no filter affects.
std::optional<UnitValue> UnitValueAt(Table<TUnitValueRec>& unitfile, DayNumber date);

}  // namespace pellmark
