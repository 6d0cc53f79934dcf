// A club set up in a fresh folder with the account "Cash", for ledger stories.
#pragma once

#include <gtest/gtest.h>

#include "club/club_session.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace pellmark::testing {

class ClubFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    club.OpenClub(false);
    ClubInfoFields fields = club.DisplayedClubInfo();
    fields.club = "Elm Street Investors";
    fields.year = "2026";
    ASSERT_TRUE(club.CommitClubInformation(fields));
    ui.Clear();
  }

  static DayNumber Day(int y, int m, int d) { return DayNumberFromCivil({y, m, d}); }

  TempFolder folder;
  ScriptedInteraction ui;
  FixedClock clock{DayNumberFromCivil({2026, 12, 7})};
  ClubSession club{folder.Path(), ui, clock};
};

}  // namespace pellmark::testing
