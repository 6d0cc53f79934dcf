#include "valuation/club_summary.h"

#include "club/keys.h"
#include "club/unit_values.h"

namespace pellmark::valuation {

double ClubFigures::RefreshPurchaseUnit(DayNumber dues_date) {
  auto unit = UnitValueAt(club_.unitfile, dues_date);
  purchase_unit_ = unit ? unit->unitval : club_.Info().vunit;
  dues_date_ = dues_date;
  return *purchase_unit_;
}

double ClubFigures::RefreshPurchaseUnit() { return RefreshPurchaseUnit(dues_date_.value_or(club_.Today())); }

ClubSummary ClubFigures::Summary() {
  ClubSummary summary;
  club_.securities.ForEach(kActiveFilter, [&](const TSecurityRec& security) {
    if (security.sharest != 0) summary.assets += security.sharest * security.pricec;
  });
  club_.accounts.ForEach(kActiveFilter, [&](const TAccountRec& account) {
    if (!account.ExcludedFromValuation()) summary.assets += account.bal;
  });
  club_.members.ForEach(kActiveFilter, [&](const TMemberRec& member) { summary.units += member.tunits; });
  summary.actual_unit = summary.units > 0 ? summary.assets / summary.units : 0;
  summary.purchase_unit = purchase_unit_.value_or(club_.Info().vunit);
  return summary;
}

}  // namespace pellmark::valuation
