// Undo and redo as operations of the books.
#include <algorithm>

#include "books/books.h"

namespace pellmark {

Outcome Books::Undo() {
  // What came before is committed (and journaled) before it can be undone.
  club_.Commit();
  Outcome outcome = Settle(club_.UndoNewest());
  figures_.ForgetPurchaseUnit();
  return outcome;
}

Outcome Books::Redo() {
  club_.Commit();
  Outcome outcome = Settle(club_.RedoNewest());
  figures_.ForgetPurchaseUnit();
  return outcome;
}

Outcome Books::UndoTo(std::uint64_t id) {
  club_.Commit();
  const JournalPosition position = PositionOf(club_.Journal());
  if (std::find(position.done.begin(), position.done.end(), id) == position.done.end()) {
    return Refuse(club_.Ui(), "Entry " + std::to_string(id) + " of the history cannot be undone: it is not among "
                                                              "the operations in place, newest first.");
  }
  for (;;) {
    const JournalEntry* newest = club_.UndoCandidate();
    const bool last = newest != nullptr && newest->id == id;
    Outcome outcome = Undo();
    if (!outcome || last) return outcome;
  }
}

}  // namespace pellmark
