#include "cli/dialog_answers.h"

#include <algorithm>

#include "cli/cli_context.h"
#include "store/key_order.h"

namespace pellmark::cli {

EntryDialogResult DialogAnswers::RunEntryDialog(const EntryDialogRequest& request) {
  EntryDialog dialog(request);
  fill_(dialog);
  OkOutcome outcome = dialog.PressOk();
  if (outcome.kind == OkOutcome::Kind::Refused) {
    for (const std::string& message : outcome.messages) terminal_.ShowError(message);
    throw CommandRefused("dialog refused");
  }
  if (outcome.kind == OkOutcome::Kind::Cancelled) return dialog.Cancelled();
  return outcome.result;
}

void SelectListItem(Interaction& ui, EntryList& list, std::string_view text, std::string_view what) {
  // Names compare as the stores' keys do, without regard to case.
  auto found = std::find_if(list.items.begin(), list.items.end(),
                            [text](const std::string& item) { return store::CompareKeys(item, text, false) == 0; });
  if (found == list.items.end()) {
    ui.ShowError(std::string(what) + " " + std::string(text) + " not found.");
    throw CommandRefused("not found");
  }
  list.selected = static_cast<int>(found - list.items.begin());
}

}  // namespace pellmark::cli
