#include "valuation/club_summary.h"
#include "forms/club_setup_form.h"

#include <gtest/gtest.h>

#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace pellmark::valuation {
namespace {

using testing::ScriptedInteraction;
using testing::TempFolder;

TEST(ClubFiguresTest, SummaryCountsActiveHoldingsAndValuedAccounts) {
  TempFolder folder;
  ScriptedInteraction ui;
  FixedClock clock{DayNumberFromCivil({2026, 12, 7})};
  ClubSession club(folder.Path(), ui, clock);
  club.OpenClub(false);
  ClubInfoFields fields = ClubSetupFields(club);
  fields.club = "Elm Street Investors";
  ASSERT_TRUE(CommitClubSetup(club, fields));
  TAccountRec cash = *club.accounts.Find("_Cash");
  cash.bal = 1000;
  club.accounts.PutAt("_Cash", cash);
  TAccountRec escrow = cash;
  escrow.name = "Escrow";
  escrow.bal = 500;
  escrow.SetExcludedFromValuation(true);
  club.accounts.PutAt("_Escrow", escrow);
  TSecurityRec acme;
  acme.sharest = 10;
  acme.pricec = 20;
  club.securities.PutAt("_Acme", acme);
  TMemberRec member;
  member.tunits = 48;
  club.members.PutAt("_Smith, Ann", member);

  ClubSummary summary = ClubFigures(club).Summary();
  EXPECT_EQ(summary.assets, 1200);
  EXPECT_EQ(summary.units, 48);
  EXPECT_EQ(summary.actual_unit, 25);
  EXPECT_EQ(summary.purchase_unit, 25);  // vunit until the first lookup
}

}  // namespace
}  // namespace pellmark::valuation
