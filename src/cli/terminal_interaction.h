// The interaction port on a terminal: messages go to stderr in UTF-8; questions are
// answered by --yes or --no, else asked on the terminal, else the command fails
// with the question's text (UnansweredQuestion). Dialogs cannot be shown: a
// command fills the dialog's result itself from its options, through the same
// checks (EntryDialog), and never asks the port for one (DialogUnavailable).
//
// Messages are held until the command ends: one saying what was done must not
// be read when the work was then dropped (a question left unanswered after it).
//   ui.ShowInformation("$100.00 total dues collected.");
//   ui.Release(Kept::kNo);   // writes the errors and questions, not the information
#pragma once

#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "club/interaction.h"

namespace pellmark::cli {

class UnansweredQuestion : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A command asked the port for a dialog; that is a fault of the command.
class DialogUnavailable : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// Whether the command's work was kept, which decides whether its information is shown.
enum class Kept { kYes, kNo };

class TerminalInteraction : public Interaction {
 public:
  // `preset` answers every question; `in` is read only when it is a terminal;
  // progress is drawn on `err` only when that is a terminal.
  TerminalInteraction(std::optional<bool> preset, std::istream& in, std::ostream& err, bool in_is_terminal,
                      bool err_is_terminal = false);

  void ShowError(std::string_view text) override;
  void ShowInformation(std::string_view text) override;
  bool Confirm(std::string_view text, bool beep = true) override;
  bool ConfirmAfterwards(std::string_view text) override;
  void Beep() override {}
  void PlayConfirmationSound() override {}
  void SetBusy(bool) override {}
  void ShowProgress(std::string_view caption, int percent) override;
  bool KeepResponsive() override { return true; }
  EntryDialogResult RunEntryDialog(const EntryDialogRequest& request) override;
  LotChooserResult RunLotChooser(const LotChooserRequest& request) override;
  std::optional<std::filesystem::path> ChooseTargetDirectory(const FolderChooserRequest& request) override;

  // Writes the messages held so far; information only when the work was kept.
  void Release(Kept kept);

 private:
  struct HeldLine {
    bool information;
    std::string text;  // UTF-8, with its line end
  };
  void Hold(bool information, std::string text);

  std::vector<HeldLine> held_;
  std::optional<bool> preset_;
  std::istream& in_;
  std::ostream& err_;
  bool in_is_terminal_;
  bool err_is_terminal_;
  int drawn_percent_ = 0;
};

}  // namespace pellmark::cli
