// What an import read from its source, before anything is stored: the
// records of each store, the club information when the source has one, and
// the records the reading left out with the reason for each.
//
//   ImportedClub club = ReadTextImport(TextImportKind::kExport, bytes, "pellmark95.txt");
//   for (const auto& [kind, count] : RecordCounts(club)) std::cout << kind << ": " << count;
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "club/records.h"

namespace pellmark::interchange {

struct ImportedClub {
  std::vector<TMemberRec> members;
  std::vector<TMemberTranRec> memrecs;
  std::vector<TSecurityRec> securities;
  std::vector<TSecurityTranRec> stkrecs;
  std::vector<TPriceRec> prices;
  std::vector<TAccountRec> accounts;
  std::vector<TAccountTranRec> actrecs;
  std::vector<TCategoryRec> categories;
  std::vector<TUnitValueRec> unitfile;
  std::optional<TClubInfoRec> info;
  // Records left out, one message each ("Unknown Member Transaction: ..."); they do not stop the import.
  std::vector<std::string> skipped;
};

// The records read, by kind in the order of the stores ("members", 12).
std::vector<std::pair<std::string, std::size_t>> RecordCounts(const ImportedClub& club);

// A source file that cannot be read as what it claims to be: the text names
// the file, the line or record and what was wrong
// ("pellmark95.txt line 14: the value \"x\" of tunits is not a number").
class ImportDamage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace pellmark::interchange
