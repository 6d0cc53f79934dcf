// The interaction port: everything the program shows the user or asks of him goes
// through this interface, so the bookkeeping runs the same under the desktop
// program, the command line and the tests.
//
// Texts are passed exactly as the program words them, in Windows-1252 like the
// records they quote; each implementation converts at its own boundary.
//
//   if (!ui.Confirm("No Valuation Statement Created since last dues collection. Continue?")) return;
//   ui.ShowInformation("Club Information added.");
#pragma once

#include <string>
#include <string_view>

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
