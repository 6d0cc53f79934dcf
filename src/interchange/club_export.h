// The two text exports: the whole club as one "|"-separated file that the
// import reads back ("pellmark95.txt"), and the active members' addresses as
// comma-separated mail labels ("Maillabel.csv"). Both are written in
// Windows-1252 with CR LF line ends, and replace an earlier file atomically:
// a failure leaves the earlier file whole.
//
//   Outcome outcome = ExportClubData(club, folder / kExportFileName);   // messages shown
//   std::string text = ExportClub(club);                                // the bytes only
#pragma once

#include <filesystem>
#include <string>

#include "club/club_session.h"
#include "club/outcome.h"

namespace pellmark::interchange {

inline constexpr const char* kExportFileName = "pellmark95.txt";
inline constexpr const char* kMailLabelFileName = "Maillabel.csv";

// A double or date as the export writes it: 23 characters, a blank or "-",
// one digit, ".", 14 digits, "E", the exponent's sign and 4 digits
// (25 -> " 2.50000000000000E+0001"). Appended to `out`.
void AppendExportNumber(std::string& out, double value);

// The full club export's bytes: "V2.20", then a section for each store in
// the order clubmem, memrec, clubstk, stkrec, clubact, actrec, clubinfo (when
// "clubinfo.qdb" can be read), clubunit, stkprice, clubcat.
std::string ExportClub(ClubSession& club);

// The mail labels' bytes: the header line and one line per active member in key order.
std::string ExportMailLabels(ClubSession& club);

// "&Valuation Data" and "Export": writes ExportClub to `file`; "Data has been
// exported to <file>." or "Data Export failed".
Outcome ExportClubData(ClubSession& club, const std::filesystem::path& file);

// "&Mail labels": writes ExportMailLabels to `file`; "Mail label data has
// been exported to <file>." or the file error.
Outcome ExportMailLabelData(ClubSession& club, const std::filesystem::path& file);

}  // namespace pellmark::interchange
