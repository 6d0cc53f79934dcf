#include "books/books.h"

namespace pellmark {

Books::Books(std::filesystem::path folder, Interaction& ui, const Clock& clock)
    : club_(std::move(folder), ui, clock), accounts_(club_), members_(club_), categories_(club_), figures_(club_) {}

void Books::Open(bool reset) {
  club_.recalculate_member = [this](TMemberRec& member) { members_.RecalculateMember(member); };
  figures_.ForgetPurchaseUnit();
  club_.OpenClub(reset);
}

void Books::Close() { club_.Close(); }

}  // namespace pellmark
