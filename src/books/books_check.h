// "Check Books": the rules that tie the club's stores together, verified without
// changing anything. Each breach names what is wrong and what mends it; the
// repair runs the mends that a command can carry out (resets and id counters)
// and leaves the rest (a broken link, two records sharing an id) to a restore.
//
//   std::vector<BooksBreach> breaches = CheckBooks(books.Club());
//   for (const BooksBreach& breach : breaches) show(breach.text + " " + breach.mend_text);
//   RepairBooks(books, breaches);   // then check again
#pragma once

#include <string>
#include <vector>

#include "books/books.h"

namespace pellmark {

struct BooksBreach {
  enum class Mend { kResetAccount, kResetMember, kRaiseCounter, kAudit, kRestoreBackup };
  std::string text;       // "Account Cash: balance $100.00, its register gives $90.00."
  Mend mend = Mend::kRestoreBackup;
  std::string subject;    // the account or member listing name a reset acts on; the date an audit starts on
  std::string mend_text;  // "Mend: pellmark-cli account reset Cash"
};

// Every breach of the books, accounts first, then members, links, ids and
// counters, then the statements of the official valuations.
std::vector<BooksBreach> CheckBooks(ClubSession& club);

// Runs the resets and raises the id counters the breaches ask for, each once,
// silently; returns how many mends were run.
int RepairBooks(Books& books, const std::vector<BooksBreach>& breaches);

}  // namespace pellmark
