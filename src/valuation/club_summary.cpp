#include "valuation/club_summary.h"

#include "club/keys.h"
#include "club/store_operations.h"
#include "club/unit_values.h"

namespace pellmark::valuation {

double ClubFigures::RefreshPurchaseUnit(DayNumber dues_date) {
  auto unit = UnitValueAt(club_.unitfile, dues_date);
  purchase_unit_ = unit ? unit->unitval : club_.Info().vunit;
  return *purchase_unit_;
}

ClubSummary ClubFigures::Summary() {
  ClubSummary summary;
  ForEachItemWithFilter(club_.securities, kActiveFilter, [&](const std::string&, const std::string& data) {
    auto security = DecodeRecord<TSecurityRec>(data);
    if (security.sharest != 0) summary.assets += security.sharest * security.pricec;
  });
  ForEachItemWithFilter(club_.accounts, kActiveFilter, [&](const std::string&, const std::string& data) {
    auto account = DecodeRecord<TAccountRec>(data);
    if (!account.ExcludedFromValuation()) summary.assets += account.bal;
  });
  ForEachItemWithFilter(club_.members, kActiveFilter, [&](const std::string&, const std::string& data) {
    summary.units += DecodeRecord<TMemberRec>(data).tunits;
  });
  summary.actual_unit = summary.units > 0 ? summary.assets / summary.units : 0;
  summary.purchase_unit = purchase_unit_.value_or(club_.Info().vunit);
  return summary;
}

}  // namespace pellmark::valuation
