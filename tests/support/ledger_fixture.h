// The books of a club set up in a fresh folder with the account "Cash", for
// ledger stories.
#pragma once

#include <gtest/gtest.h>

#include "books/books.h"
#include "forms/club_setup_form.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace pellmark::testing {

class ClubFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    books.Open();
    ClubInfoFields fields = ClubSetupFields(club);
    fields.club = "Elm Street Investors";
    fields.year = "2026";
    ASSERT_TRUE(CommitClubSetup(club, fields));
    ui.Clear();
  }

  static DayNumber Day(int y, int m, int d) { return DayNumberFromCivil({y, m, d}); }

  // An official valuation of `value` on `date`, as a valuation leaves it.
  void AddUnitValue(double value, DayNumber date) {
    TUnitValueRec unit;
    unit.unitval = value;
    unit.date = date;
    unit.unitid = AllocateTranId(club.Info().unitind);
    club.unitfile.Put(unit);
    club.Info().vunit = value;
    club.Info().date = date;
  }

  TempFolder folder;
  ScriptedInteraction ui;
  FixedClock clock{DayNumberFromCivil({2026, 12, 7})};
  Books books{folder.Path(), ui, clock};
  ClubSession& club = books.Club();
};

}  // namespace pellmark::testing
