// The unit value in force on a date, from the unit value history (clubunit.qdb).
//
//   if (auto unit = UnitValueAt(unitfile, dues_date)) units = amount / unit->unitval;
#pragma once

#include <cstdint>
#include <optional>

#include "club/dates.h"
#include "store/qdb.h"

namespace pellmark {

struct UnitValue {
  double unitval = 0;
  std::int32_t unitid = 0;
  DayNumber date = 0;
};

// The newest unit record dated on or before `date`; when every record is later,
// the oldest one; nullopt when the store holds none. A binary search over the
// store's positions, which no filter affects; the current item moves.
std::optional<UnitValue> UnitValueAt(store::TQDB& unitfile, DayNumber date);

}  // namespace pellmark
