// What a sale or a covering purchase hands the lot chooser, and what it gets
// back: the candidate records in key order, and the keys of the rows the user
// took, in the order the lot relief is to walk them.
//
//   LotChooserRequest request{LotChooserMode::Sale, security, sale, candidates};
//   LotChooserResult chosen = ui.RunLotChooser(request);
//   if (chosen.outcome != DialogOutcome::Ok) return false;
//   candidates = chosen.keys;   // whole rows first, then the row taken in part
#pragma once

#include <string>
#include <vector>

#include "club/entry_dialog_request.h"
#include "club/records.h"

namespace pellmark {

enum class LotChooserMode {
  Sale = 0,   // which open lots a sale relieves
  Cover = 1,  // which open short sales a purchase covers
};

struct LotCandidate {
  std::string key;  // the record's key in the security transaction store
  TSecurityTranRec record;
};

struct LotChooserRequest {
  LotChooserMode mode = LotChooserMode::Sale;
  TSecurityRec security;
  TSecurityTranRec transaction;  // the sale or purchase being entered
  std::vector<LotCandidate> candidates;
};

struct LotChooserResult {
  DialogOutcome outcome = DialogOutcome::Cancelled;
  std::vector<std::string> keys;  // the rewritten candidate list; meaningful on OK
};

}  // namespace pellmark
