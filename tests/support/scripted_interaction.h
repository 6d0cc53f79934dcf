// The interaction port for tests: records everything shown, in order, and answers
// questions from a queue the test fills beforehand. A question the test did not
// script fails the test (and is answered No, which leaves the stores unchanged).
//
//   ScriptedInteraction ui;
//   ui.AnswerNext("Delete Account Cash?", true);
//   session.DeleteAccount("Cash");
//   EXPECT_THAT(ui.Messages(), ElementsAre("Account Cash deleted."));
//
// Dialogs are answered the same way: the test queues what the user types into the
// entry dialog, which rows he allocates in the lot chooser, or which folder he
// picks. The real dialog models run, so the checks of OK apply; a refused OK shows
// its messages and the dialog then counts as cancelled. A dialog the test did not
// script fails the test and is cancelled.
//
//   ui.AnswerEntryDialog([](EntryDialog& d) { d.Form().amount.text = "25"; });
//   ui.AnswerLotChooser({1, 0});
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "club/interaction.h"
#include "forms/entry_dialog.h"

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
  // Answers every question that begins with `start` and is not queued, for runs
  // that cannot tell in advance which questions come (a property test).
  void AnswerEvery(std::string start, bool yes);

  void ShowError(std::string_view text) override;
  void ShowInformation(std::string_view text) override;
  bool Confirm(std::string_view text, bool beep = true) override;
  void Beep() override;
  void PlayConfirmationSound() override;
  void SetBusy(bool busy) override { busy_ = busy; }
  void ShowProgress(std::string_view, int percent) override { last_progress_ = percent; }
  bool KeepResponsive() override { return !abort_requested_; }

  using EntryScript = std::function<void(EntryDialog&)>;
  // Queues the answer to the next entry dialog: `type` fills the prepared dialog,
  // then `press` closes it.
  void AnswerEntryDialog(EntryScript type, DialogOutcome press = DialogOutcome::Ok);
  // Queues the answer to the next lot chooser: the rows allocated in this order,
  // then OK (or Cancel).
  void AnswerLotChooser(std::vector<int> rows, bool ok = true);
  // Queues the answer to the next folder chooser; nullopt cancels it.
  void AnswerFolderChooser(std::optional<std::filesystem::path> folder);

  EntryDialogResult RunEntryDialog(const EntryDialogRequest& request) override;
  LotChooserResult RunLotChooser(const LotChooserRequest& request) override;
  std::optional<std::filesystem::path> ChooseTargetDirectory(const FolderChooserRequest& request) override;

  // Every dialog request in order, for checking what the dialogs were offered.
  const std::vector<EntryDialogRequest>& EntryRequests() const { return entry_requests_; }
  const std::vector<LotChooserRequest>& LotRequests() const { return lot_requests_; }
  const std::vector<FolderChooserRequest>& FolderRequests() const { return folder_requests_; }

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
  bool AllAnswersUsed() const {
    return answers_.empty() && entry_answers_.empty() && lot_answers_.empty() && folder_answers_.empty();
  }
  void Clear() { events_.clear(); }
  // Forgets the queued answers an operation did not ask for (it was refused
  // before its dialog), so that the next operation starts afresh.
  void DropUnusedAnswers() {
    answers_.clear();
    entry_answers_.clear();
    lot_answers_.clear();
    folder_answers_.clear();
  }

 private:
  struct ScriptedAnswer {
    std::string question;
    bool yes;
  };
  struct EntryAnswer {
    EntryScript type;
    DialogOutcome press;
  };
  struct LotAnswer {
    std::vector<int> rows;
    bool ok;
  };
  std::deque<ScriptedAnswer> answers_;
  std::vector<ScriptedAnswer> standing_answers_;
  std::deque<EntryAnswer> entry_answers_;
  std::deque<LotAnswer> lot_answers_;
  std::deque<std::optional<std::filesystem::path>> folder_answers_;
  std::vector<EntryDialogRequest> entry_requests_;
  std::vector<LotChooserRequest> lot_requests_;
  std::vector<FolderChooserRequest> folder_requests_;
  std::vector<Event> events_;
  bool busy_ = false;
  bool abort_requested_ = false;
  int last_progress_ = 0;
};

}  // namespace pellmark::testing
