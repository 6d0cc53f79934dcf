// The text statements written into the club folder under their fixed names
// ("valuerpt.txt", "distrpt.txt", "voterpt.txt", "rosterrpt.txt"), each from the same data as
// its printed report, through the atomic save of the club's file layer: the
// folder holds the old text or the new one, never half. What the Reports
// page's "To File" mode copies to a file of the user's choice and what mail
// attaches.
//
//   TextStatementFile vote = WriteVoteTextFile(books, date);
//   if (vote.outcome) Attach(vote.file);          // <club>/voterpt.txt
#pragma once

#include <filesystem>

#include "books/books.h"
#include "club/dates.h"
#include "club/outcome.h"

namespace pellmark {

struct TextStatementFile {
  Outcome outcome = Outcome::Done();
  std::filesystem::path file;  // the file in the club folder, when written
};

// "valuerpt.txt" from a statement file ("V" + mmddyyyy + ".stm"), its
// securities in the order the printed statement shows them, each member's
// units listed when `membership_summary`. A statement that cannot be read or
// a text that cannot be written is refused with "Creation of Valuation
// Statement Failed." (after a beep).
TextStatementFile WriteValuationTextFile(Books& books, const std::filesystem::path& statement,
                                         bool membership_summary = true);
// "distrpt.txt": the earnings distribution as of `date`. An account
// transaction naming a category the store does not have is refused with the
// report's message; a file that cannot be written without a message.
TextStatementFile WriteDistributionTextFile(Books& books, DayNumber date);
// "voterpt.txt": the membership vote as of `date`. A file that cannot be
// written is refused without a message.
TextStatementFile WriteVoteTextFile(Books& books, DayNumber date);
// "rosterrpt.txt": the active members. A file that cannot be written is
// refused without a message.
TextStatementFile WriteRosterTextFile(Books& books);

// The printed report of a text statement as a PDF beside it ("voterpt.pdf"
// beside "voterpt.txt"), saved as an operation of its own like the text; a
// file that cannot be written is refused with "Could not write <file>".
TextStatementFile SavePdfBeside(Books& books, const std::filesystem::path& text_file, const std::string& pdf);

}  // namespace pellmark
