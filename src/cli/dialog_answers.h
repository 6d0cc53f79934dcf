// The command line's answer to the entry dialog: the command's options are typed
// into the dialog's fields and OK is pressed, so the same checks run as at the
// desk. A refusal shows the dialog's messages and fails the command.
//
//   DialogAnswers answers(*context.ui, [&](EntryDialog& dialog) {
//     dialog.Form().amount.text = "100";
//   });
//   club uses `answers` as its interaction port for the command.
#pragma once

#include <functional>

#include "club/interaction.h"
#include "forms/entry_dialog.h"

namespace pellmark::cli {

class DialogAnswers : public Interaction {
 public:
  using Fill = std::function<void(EntryDialog& dialog)>;
  DialogAnswers(Interaction& terminal, Fill fill) : terminal_(terminal), fill_(std::move(fill)) {}

  void ShowError(std::string_view text) override { terminal_.ShowError(text); }
  void ShowInformation(std::string_view text) override { terminal_.ShowInformation(text); }
  bool Confirm(std::string_view text, bool beep = true) override { return terminal_.Confirm(text, beep); }
  void Beep() override { terminal_.Beep(); }
  void PlayConfirmationSound() override { terminal_.PlayConfirmationSound(); }
  void SetBusy(bool busy) override { terminal_.SetBusy(busy); }
  void ShowProgress(std::string_view caption, int percent) override { terminal_.ShowProgress(caption, percent); }
  bool KeepResponsive() override { return terminal_.KeepResponsive(); }
  EntryDialogResult RunEntryDialog(const EntryDialogRequest& request) override;
  LotChooserResult RunLotChooser(const LotChooserRequest& request) override { return terminal_.RunLotChooser(request); }
  std::optional<std::filesystem::path> ChooseTargetDirectory(const FolderChooserRequest& request) override {
    return terminal_.ChooseTargetDirectory(request);
  }

 private:
  Interaction& terminal_;
  Fill fill_;
};

// Selects the list entry of this text, without regard to case; a missing entry fails the command with
// "<what> <text> not found." (exit status 1).
void SelectListItem(Interaction& ui, EntryList& list, std::string_view text, std::string_view what);

}  // namespace pellmark::cli
