// The checks the entry dialog runs when OK is pressed, and the reading back of
// the record they accept. They take the controls as the user left them, so the
// desktop dialog, the command line and the tests share them.
//
//   OkOutcome outcome = CheckEntry(form, request);
//   if (outcome.kind == OkOutcome::Kind::Refused)
//     for (auto& text : outcome.messages) ui.ShowError(text);   // the dialog stays open
#pragma once

#include <string>
#include <vector>

#include "club/entry_dialog_request.h"
#include "forms/entry_dialog_form.h"

namespace pellmark {

struct OkOutcome {
  enum class Kind {
    Accepted,   // `result` holds the record read back
    Cancelled,  // the dialog closes as cancelled (an empty dues amount)
    Refused,    // `messages` in order; the dialog stays open
  };
  Kind kind = Kind::Refused;
  std::vector<std::string> messages;
  EntryDialogResult result;
};

// Runs every check of the form's mode in order, collecting each failing check's
// message. A read-only form is not checked and closes as cancelled.
OkOutcome CheckEntry(const EntryForm& form, const EntryDialogRequest& request);

}  // namespace pellmark
