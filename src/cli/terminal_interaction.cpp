#include "cli/terminal_interaction.h"

#include <istream>
#include <ostream>
#include <string>
#include <utility>

#include "club/text_encoding.h"
#include "forms/entry_mode_text.h"
#include "forms/folder_chooser.h"

namespace pellmark::cli {

TerminalInteraction::TerminalInteraction(std::optional<bool> preset, std::istream& in, std::ostream& err,
                                         bool in_is_terminal, bool err_is_terminal)
    : preset_(preset), in_(in), err_(err), in_is_terminal_(in_is_terminal), err_is_terminal_(err_is_terminal) {}

void TerminalInteraction::Hold(bool information, std::string text) { held_.push_back({information, std::move(text)}); }

void TerminalInteraction::Release(Kept kept) {
  for (const HeldLine& line : held_) {
    if (!line.information || kept == Kept::kYes) err_ << line.text;
  }
  held_.clear();
  err_ << std::flush;
}

void TerminalInteraction::ShowError(std::string_view text) { Hold(false, ToUtf8(text) + '\n'); }

void TerminalInteraction::ShowInformation(std::string_view text) { Hold(true, ToUtf8(text) + '\n'); }

bool TerminalInteraction::Confirm(std::string_view text, bool) {
  if (preset_) {
    Hold(false, ToUtf8(text) + ' ' + (*preset_ ? "Yes" : "No") + '\n');
    return *preset_;
  }
  if (!in_is_terminal_) throw UnansweredQuestion(ToUtf8(text));
  Release(Kept::kYes);  // whoever answers reads what came before the question
  for (;;) {
    err_ << ToUtf8(text) << " [y/n] " << std::flush;
    std::string line;
    if (!std::getline(in_, line)) throw UnansweredQuestion(ToUtf8(text));
    if (line == "y" || line == "Y" || line == "yes" || line == "Yes") return true;
    if (line == "n" || line == "N" || line == "no" || line == "No") return false;
  }
}

bool TerminalInteraction::ConfirmAfterwards(std::string_view text) {
  try {
    return Confirm(text);
  } catch (const UnansweredQuestion&) {
    Hold(false, ToUtf8(text) + " No (no answer given)\n");
    return false;
  }
}

void TerminalInteraction::ShowProgress(std::string_view caption, int percent) {
  // Redrawn in place when it moves; the line ends when the work is done, before its closing message.
  const int shown = std::exchange(drawn_percent_, percent);
  if (!err_is_terminal_ || percent <= 0 || percent == shown) return;
  Release(Kept::kYes);
  err_ << '\r' << ToUtf8(caption) << ' ' << percent << '%' << (percent >= 100 ? "\n" : "") << std::flush;
}

EntryDialogResult TerminalInteraction::RunEntryDialog(const EntryDialogRequest& request) {
  throw DialogUnavailable("the dialog \"" + ToUtf8(EntryModeTitle(request.mode)) + "\" cannot be shown on the command line");
}

LotChooserResult TerminalInteraction::RunLotChooser(const LotChooserRequest&) {
  throw DialogUnavailable("the lot chooser cannot be shown on the command line");
}

std::optional<std::filesystem::path> TerminalInteraction::ChooseTargetDirectory(const FolderChooserRequest&) {
  throw DialogUnavailable(std::string("the dialog \"") + kFolderChooserTitle + "\" cannot be shown on the command line");
}

}  // namespace pellmark::cli
