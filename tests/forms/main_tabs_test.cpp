#include "forms/main_tabs.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/scripted_interaction.h"

namespace pellmark {
namespace {

using ::testing::ElementsAre;
using testing::ScriptedInteraction;

TEST(MayChooseTab, BeforeTheSetUpOnlySpecialIsAllowedAndTheOthersBeepAndSayWhy) {
  ScriptedInteraction ui;
  EXPECT_TRUE(MayChooseTab(false, MainTab::kSpecial, ui));
  EXPECT_TRUE(ui.Events().empty());

  for (MainTab tab : {MainTab::kMembers, MainTab::kSecurities, MainTab::kAccounts, MainTab::kReports}) {
    ui.Clear();
    EXPECT_FALSE(MayChooseTab(false, tab, ui));
    EXPECT_THAT(ui.Events(),
                ElementsAre(ScriptedInteraction::Event{ScriptedInteraction::Kind::Beep, ""},
                            ScriptedInteraction::Event{
                                ScriptedInteraction::Kind::Information,
                                "Please choose the Special Tab to set up the club for the first time"}));
  }
}

TEST(MayChooseTab, AfterTheSetUpEveryTabIsAllowedSilently) {
  ScriptedInteraction ui;
  for (MainTab tab : {MainTab::kMembers, MainTab::kSecurities, MainTab::kAccounts, MainTab::kReports,
                      MainTab::kSpecial}) {
    EXPECT_TRUE(MayChooseTab(true, tab, ui));
  }
  EXPECT_TRUE(ui.Events().empty());
}

TEST(MainTabs, CaptionsInStripOrder) {
  EXPECT_THAT(MainTabCaptions(), ElementsAre("Members", "Securities", "Accounts", "Reports", "Special"));
}

TEST(KeyLists, ShowActiveItemsUnlessHiddenOnesAreAskedFor) {
  EXPECT_EQ(KeyListFilter(false), "_>");
  EXPECT_EQ(KeyListFilter(true), "");
  EXPECT_TRUE(HasActiveKey({"_Adams, Ann", "~Brown, Bob"}));
  EXPECT_FALSE(HasActiveKey({"~Brown, Bob"}));
  EXPECT_FALSE(HasActiveKey({}));
}

TEST(ListPositions, EachListKeepsItsOwnRow) {
  TViewState view;
  RememberListPosition(view, MainTab::kMembers, 3);
  RememberListPosition(view, MainTab::kSecurities, 1);
  RememberListPosition(view, MainTab::kAccounts, 2);
  RememberListPosition(view, MainTab::kSpecial, 7);
  EXPECT_EQ(view.memberposition, 3);
  EXPECT_EQ(view.securityposition, 1);
  EXPECT_EQ(view.accountposition, 2);
  EXPECT_EQ(RememberedListPosition(view, MainTab::kMembers, 4), 3);
  EXPECT_EQ(RememberedListPosition(view, MainTab::kSecurities, 2), 1);
  EXPECT_EQ(RememberedListPosition(view, MainTab::kAccounts, 3), 2);
  EXPECT_EQ(RememberedListPosition(view, MainTab::kReports, 3), std::nullopt);
}

TEST(ListPositions, RowsBeyondTheListOrTheByteAreNotUsed) {
  TViewState view;
  RememberListPosition(view, MainTab::kMembers, 4);
  EXPECT_EQ(RememberedListPosition(view, MainTab::kMembers, 4), std::nullopt);
  RememberListPosition(view, MainTab::kMembers, 256);
  RememberListPosition(view, MainTab::kMembers, -1);
  EXPECT_EQ(view.memberposition, 4);
}

TEST(ListPositions, TheAccountListStartsWithNoPosition) {
  TViewState view;
  EXPECT_EQ(RememberedListPosition(view, MainTab::kAccounts, 5), std::nullopt);
  EXPECT_EQ(RememberedListPosition(view, MainTab::kMembers, 5), 0);
  EXPECT_EQ(RememberedListPosition(view, MainTab::kMembers, 0), std::nullopt);
}

}  // namespace
}  // namespace pellmark
