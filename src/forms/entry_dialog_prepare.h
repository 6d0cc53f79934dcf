// Preparation of the entry dialog's controls for one mode: every control reset to
// its resting state, then re-labelled, shown, hidden and filled from the
// request's record. Used by EntryDialog; tests reach it through that class.
//
//   EntryForm form = PrepareEntryForm(request);
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "club/entry_dialog_request.h"
#include "forms/entry_dialog_form.h"

namespace pellmark {

EntryForm PrepareEntryForm(const EntryDialogRequest& request);

// The categories a mode lists: income ones for a deposit, expense ones for a
// check or withdrawal, none for the other modes.
std::vector<const TCategoryRec*> ListedCategories(const EntryDialogRequest& request);

// The check number proposed after an account's last check, empty when it has none.
std::string NextCheckText(const TAccountRec& account);

// The index of the account with `actid` in the request's list, -1 when absent.
int AccountIndex(const EntryDialogRequest& request, std::int32_t actid);

// A split's cash for fractions: its account, commission and amount shown or hidden.
void ShowFractionCash(EntryForm& form, bool shown);

}  // namespace pellmark
