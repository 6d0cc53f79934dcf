// Reading the two text sources of an import: the full club export
// ("pellmark95.txt", first line "V2.20") and the first version's
// "pellmarkdat.txt". Both are sections of "|"-separated lines: a title
// "*** <file> ***", a header of field names, then one line per record. The
// first version names its sections after its own files (clubmem.dat ...),
// writes dates as 05-JAN-1997, flags as TRUE or Y..., and keeps city, state
// and zip in one field "csz"; it has no account transactions, prices or
// categories.
//
//   ImportedClub club = ReadTextImport(TextImportKind::kExport, bytes, "pellmark95.txt");
//   // throws ImportDamage naming the file, the line and what was wrong
#pragma once

#include <string_view>

#include "interchange/imported_club.h"

namespace pellmark::interchange {

enum class TextImportKind { kFirstVersion, kExport };

// The records of the file. Every field is checked against its record: a
// number that is not one, a text longer than its field, a date the keys
// cannot hold, a line with more or fewer values than its header, a field the
// record does not have, two records of one key. Throws ImportDamage.
ImportedClub ReadTextImport(TextImportKind kind, std::string_view bytes, std::string_view file_name);

// City, state and zip of the first version's one field, split from its end:
// "Springfield IL 62704" -> {"Springfield", "IL", "62704"}; a missing state
// is "St", a missing zip "Zip Code".
struct CityStateZip {
  std::string city, state, zip;
};
CityStateZip SplitCityStateZip(std::string_view text);

// A first-version date "05-JAN-1997" (or "5-JAN-1997"); nullopt when it is not one.
std::optional<double> ParseFirstVersionDate(std::string_view text);

}  // namespace pellmark::interchange
