// The interaction port: everything the program shows the user or asks of him goes
// through this interface, so the bookkeeping runs the same under the desktop
// program, the command line and the tests.
//
// Texts are passed exactly as the program words them, in Windows-1252 like the
// records they quote; each implementation converts at its own boundary.
//
//   if (!ui.Confirm("No Valuation Statement Created since last dues collection. Continue?")) return;
//   ui.ShowInformation("Club Information added.");
//   EntryDialogResult entry = ui.RunEntryDialog(request);
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "club/entry_dialog_request.h"
#include "club/folder_chooser_request.h"
#include "club/lot_chooser_request.h"

namespace pellmark {

class Interaction {
 public:
  virtual ~Interaction() = default;

  // Error box: a beep, then the text with an OK button.
  virtual void ShowError(std::string_view text) = 0;
  // Information box with an OK button.
  virtual void ShowInformation(std::string_view text) = 0;
  // Yes/No question, preceded by a beep when `beep` is set; true for Yes.
  virtual bool Confirm(std::string_view text, bool beep = true) = 0;
  // A Yes/No question asked after the work is stored ("Do you want to hide
  // member ...?"): where no answer can be had it takes No and says so, instead
  // of failing an operation that is already done.
  virtual bool ConfirmAfterwards(std::string_view text) { return Confirm(text); }

  virtual void Beep() = 0;
  // The confirmation sound that follows a successful posting, valuation, reset,
  // deletion or send.
  virtual void PlayConfirmationSound() = 0;

  // Busy cursor for long work.
  virtual void SetBusy(bool busy) = 0;
  // Progress of long work, 0..100; `caption` names the work. 0 after the work ends.
  virtual void ShowProgress(std::string_view caption, int percent) = 0;
  // Called during long waits so the user interface stays responsive; false when
  // the user asked to abort.
  virtual bool KeepResponsive() = 0;

  // The transaction entry dialog, prepared from `request`; returns when it closes
  // by OK (the record read back), Cancel or Abort. The checks of OK run inside.
  virtual EntryDialogResult RunEntryDialog(const EntryDialogRequest& request) = 0;
  // The lot chooser; on OK the result holds the rewritten candidate list.
  virtual LotChooserResult RunLotChooser(const LotChooserRequest& request) = 0;
  // The folder chooser "Select Target Directory"; nullopt when cancelled.
  virtual std::optional<std::filesystem::path> ChooseTargetDirectory(const FolderChooserRequest& request) = 0;
};

// Shows the busy cursor for the lifetime of the guard.
class BusyGuard {
 public:
  explicit BusyGuard(Interaction& ui) : ui_(ui) { ui_.SetBusy(true); }
  ~BusyGuard() { ui_.SetBusy(false); }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;

 private:
  Interaction& ui_;
};

}  // namespace pellmark
