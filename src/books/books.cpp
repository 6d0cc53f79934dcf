#include "books/books.h"

namespace pellmark {

Books::Books(std::filesystem::path folder, Interaction& ui, const Clock& clock)
    : club_(std::move(folder), ui, clock), accounts_(club_), members_(club_), categories_(club_),
      securities_(club_),
      prices_(club_, securities_),
      figures_(club_) {}

void Books::Open(bool reset) {
  figures_.ForgetPurchaseUnit();
  const std::vector<std::int32_t> to_recalculate = club_.OpenClub(reset);
  if (to_recalculate.empty()) return;
  Run([&] {
    for (std::int32_t memid : to_recalculate) members_.RecalculateMember(memid);
    // A recalculated hidden member may hold units again; the recount clears them
    // as it did before the recalculation.
    club_.RecountHiddenItems();
    return true;
  });
}

void Books::Abandon() {
  try {
    club_.Abandon();
  } catch (const std::exception&) {
    // The failure that made the operation stop is the one to report; the close
    // takes the last commit whatever is left in memory.
  }
}

void Books::Close() { club_.Close(); }

Outcome Books::Settle(Outcome outcome) {
  // The audit of later valuations comes with the valuation ledger; until then a
  // Yes to the audit question is answered by nothing more.
  club_.Commit();
  return outcome;
}

}  // namespace pellmark
