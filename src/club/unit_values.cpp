#include "club/unit_values.h"

#include "club/keys.h"
#include "club/records.h"

namespace pellmark {
namespace {

// The date part ("yyyy_ddd") of a unit key; keys sort by it first.
std::string DatePrefix(const std::string& key) { return key.substr(0, 8); }

}  // namespace

std::optional<UnitValue> UnitValueAt(Table<TUnitValueRec>& unitfile, DayNumber date) {
  const int count = unitfile.Count();
  if (count == 0) return std::nullopt;
  const std::string target = DatePrefix(UnitKey(0, date));
  // The first position whose date is after the target; the record before it is in force.
  int low = 0;
  int high = count;
  while (low < high) {
    int middle = low + (high - low) / 2;
    if (DatePrefix(unitfile.KeyAt(middle)) <= target) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  const TUnitValueRec record = unitfile.At(low > 0 ? low - 1 : 0);
  return UnitValue{record.unitval, record.unitid, record.date};
}

}  // namespace pellmark
