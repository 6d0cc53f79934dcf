// The interaction port for tests: records everything shown, in order, and answers
// questions from a queue the test fills beforehand. A question the test did not
// script fails the test (and is answered No, which leaves the stores unchanged).
//
//   ScriptedInteraction ui;
//   ui.AnswerNext("Delete Account Cash?", true);
//   session.DeleteAccount("Cash");
//   EXPECT_THAT(ui.Messages(), ElementsAre("Account Cash deleted."));
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "club/interaction.h"

namespace pellmark::testing {

class ScriptedInteraction : public Interaction {
 public:
  enum class Kind { Error, Information, Question, Beep, Sound };
  struct Event {
    Kind kind;
    std::string text;  // empty for beeps and sounds
    friend bool operator==(const Event&, const Event&) = default;
  };

  // Queues the answer to the next question; its text must match exactly.
  void AnswerNext(std::string question, bool yes);

  void ShowError(std::string_view text) override;
  void ShowInformation(std::string_view text) override;
  bool Confirm(std::string_view text, bool beep = true) override;
  void Beep() override;
  void PlayConfirmationSound() override;
  void SetBusy(bool busy) override { busy_ = busy; }
  void ShowProgress(std::string_view, int percent) override { last_progress_ = percent; }
  bool KeepResponsive() override { return !abort_requested_; }

  // Every event in order.
  const std::vector<Event>& Events() const { return events_; }
  // The texts of error, information and question boxes in order.
  std::vector<std::string> Messages() const;
  int SoundCount() const;
  int BeepCount() const;
  bool Busy() const { return busy_; }
  int LastProgress() const { return last_progress_; }
  void RequestAbort() { abort_requested_ = true; }
  // True when every scripted answer was used.
  bool AllAnswersUsed() const { return answers_.empty(); }
  void Clear() { events_.clear(); }

 private:
  struct ScriptedAnswer {
    std::string question;
    bool yes;
  };
  std::deque<ScriptedAnswer> answers_;
  std::vector<Event> events_;
  bool busy_ = false;
  bool abort_requested_ = false;
  int last_progress_ = 0;
};

}  // namespace pellmark::testing
