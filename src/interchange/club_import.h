// "Obtain Data" of the Special page: a club loaded from the first version's
// text file ("pellmarkdat.txt"), from a full club export ("pellmark95.txt")
// or from the data files of the NAIC club accounting program (a folder of
// ".dt" files). The import replaces every store's records and the club
// information, then rebuilds the balances (accounts, members and, for NAIC
// files, securities) from the transactions. The statement files of the data
// replaced go, and each imported valuation but the starting value gets its
// statement, made from the imported books with the unit value it was recorded
// with. It changes the stores and stages the files only: the caller commits
// it as one unit of work, or drops it on a failure.
//
//   ImportLedgers ledgers{books.Accounts(), books.Members(), books.Securities()};
//   ImportReport report = ImportClubData(club, ledgers, ImportSource::kExport, "/tmp/pellmark95.txt");
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cash/account_ledger.h"
#include "club/club_session.h"
#include "club/outcome.h"
#include "interchange/imported_club.h"
#include "members/member_ledger.h"
#include "securities/security_records.h"

namespace pellmark::interchange {

// The choices of `importtype`.
enum class ImportSource {
  kFirstVersion,  // "Pellmark 1.xx"
  kExport,        // "Pellmark 2.xx"
  kNaic           // "NAIC Club Accounting 1.03"
};

inline constexpr const char* kFirstVersionFileName = "pellmarkdat.txt";
inline constexpr const char* kImportFailedMessage = "Import file not found or incorrect.";
inline constexpr const char* kNaicUnarchivedQuestion = "Is all your NAIC data unarchived?";
// Asked before the data of a club that holds some is replaced.
inline constexpr const char* kReplaceDataQuestion =
    "The club's data will be replaced by the imported data. Continue?";

struct ImportLedgers {
  ledger::AccountLedger& accounts;
  ledger::MemberLedger& members;
  ledger::SecurityRecords& securities;
};

// What an import read and left out, for the command line's summary.
struct ImportReport {
  Outcome outcome = Outcome::Cancelled();
  std::vector<std::pair<std::string, std::size_t>> counts;  // records read, by kind
  std::vector<std::string> skipped;                         // records left out, each with its reason
  std::vector<std::string> corrections;                     // balances the first version's import corrected
};

// The import: for NAIC files "Is all your NAIC data unarchived?" first, then
// the folder chooser when `source` is not given; for a club that holds data
// the question whether to replace it. A source that is missing or damaged is
// refused with "Import file not found or incorrect." and what was wrong below
// it, the stores untouched; a failure while storing is "File Import failed"
// (Outcome::Failure: the caller drops what was written). Done: "Data has been
// imported from <source>.". Everything shown goes through `ui`, its progress
// under the caption "Import".
ImportReport ImportClubData(ClubSession& club, ImportLedgers ledgers, ImportSource kind,
                            std::optional<std::filesystem::path> source, Interaction& ui);

}  // namespace pellmark::interchange
