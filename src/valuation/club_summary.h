// The club's figures as the summary panel shows them: total assets, units, the
// actual unit value and the unit value a dues payment on the dues date buys.
//
//   ClubFigures figures(club);
//   figures.RefreshPurchaseUnit(dues_date);   // when the dues date moves
//   figures.RefreshPurchaseUnit();            // after a valuation, for the same dues date
//   ClubSummary summary = figures.Summary();
#pragma once

#include <optional>

#include "club/club_session.h"

namespace pellmark::valuation {

struct ClubSummary {
  double assets = 0;
  double units = 0;
  double actual_unit = 0;    // assets / units, 0 when units are not positive
  double purchase_unit = 0;  // the value last found by RefreshPurchaseUnit, else vunit
};

class ClubFigures {
 public:
  explicit ClubFigures(ClubSession& club) : club_(club) {}

  // Total assets (active securities at their current price, active accounts not
  // kept out of valuations), the units of active members and the unit values.
  ClubSummary Summary();
  // Looks up the purchase unit value for a dues date and remembers both for Summary().
  double RefreshPurchaseUnit(DayNumber dues_date);
  // The same for the dues date last looked up, else today (the dues calendar's
  // first date): after a valuation.
  double RefreshPurchaseUnit();
  // Back to vunit, as when the club is opened.
  void ForgetPurchaseUnit() {
    purchase_unit_.reset();
    dues_date_.reset();
  }

 private:
  ClubSession& club_;
  std::optional<double> purchase_unit_;
  std::optional<DayNumber> dues_date_;
};

}  // namespace pellmark::valuation
