// The entry dialog's title and help topic for each kind of entry.
//
//   EntryModeTitle(EntryMode::Buy)         -> "Buy"
//   EntryModeHelpTopic(EntryMode::Check)   -> 1006
#pragma once

#include <string>

#include "club/entry_dialog_mode.h"

namespace pellmark {

std::string EntryModeTitle(EntryMode mode);

// The help topic of the mode; account modes opened from the reconciliation share 1012.
int EntryModeHelpTopic(EntryMode mode, bool from_reconciliation = false);

}  // namespace pellmark
