#include "club/unit_values.h"

#include "club/records.h"
#include "club/store_operations.h"

namespace pellmark {

std::optional<UnitValue> UnitValueAt(store::TQDB& unitfile, DayNumber date) {
  std::optional<UnitValue> oldest;
  std::optional<UnitValue> in_force;
  // Keys sort by date, then id: the last record on or before the date is in force.
  ForEachItemWithFilter(unitfile, "", [&](const std::string&, const std::string& data) {
    auto record = DecodeRecord<TUnitValueRec>(data);
    UnitValue value{record.unitval, record.unitid, record.date};
    if (!oldest) oldest = value;
    if (record.date <= date) in_force = value;
  });
  return in_force ? in_force : oldest;
}

}  // namespace pellmark
