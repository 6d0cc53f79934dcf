#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "support/scripted_interaction.h"

namespace pellmark::testing {
namespace {

using Kind = ScriptedInteraction::Kind;

TEST(ScriptedInteraction, RecordsEverythingInOrder) {
  ScriptedInteraction ui;
  ui.AnswerNext("Delete?", true);
  ui.ShowInformation("Club Information added.");
  EXPECT_TRUE(ui.Confirm("Delete?"));
  ui.ShowError("Invalid Track Year");
  ui.PlayConfirmationSound();

  std::vector<ScriptedInteraction::Event> expected = {
      {Kind::Information, "Club Information added."}, {Kind::Beep, ""}, {Kind::Question, "Delete?"},
      {Kind::Beep, ""}, {Kind::Error, "Invalid Track Year"}, {Kind::Sound, ""}};
  EXPECT_EQ(ui.Events(), expected);
  EXPECT_EQ(ui.Messages(), (std::vector<std::string>{"Club Information added.", "Delete?", "Invalid Track Year"}));
  EXPECT_EQ(ui.BeepCount(), 2);
  EXPECT_EQ(ui.SoundCount(), 1);
  EXPECT_TRUE(ui.AllAnswersUsed());
}

TEST(ScriptedInteraction, AnswersQuestionsFromTheQueueInOrder) {
  ScriptedInteraction ui;
  ui.AnswerNext("First?", false);
  ui.AnswerNext("Second?", true);
  EXPECT_FALSE(ui.Confirm("First?", false));
  EXPECT_TRUE(ui.Confirm("Second?", false));
  EXPECT_EQ(ui.BeepCount(), 0);
}

TEST(ScriptedInteraction, AnUnexpectedQuestionFailsTheTestAndAnswersNo) {
  ScriptedInteraction ui;
  bool answer = true;
  EXPECT_NONFATAL_FAILURE(answer = ui.Confirm("Surprise?"), "unexpected question: Surprise?");
  EXPECT_FALSE(answer);
}

TEST(ScriptedInteraction, AQuestionOtherThanTheScriptedOneFailsTheTest) {
  ScriptedInteraction ui;
  ui.AnswerNext("Continue?", true);
  bool answer = true;
  EXPECT_NONFATAL_FAILURE(answer = ui.Confirm("Delete?"), "expected the question \"Continue?\"");
  EXPECT_FALSE(answer);
}

TEST(ScriptedInteraction, BusyGuardSetsAndClearsTheBusyCursor) {
  ScriptedInteraction ui;
  {
    BusyGuard busy(ui);
    EXPECT_TRUE(ui.Busy());
  }
  EXPECT_FALSE(ui.Busy());
}

}  // namespace
}  // namespace pellmark::testing
