// The reader of a price import file: plain text, one price a line, three
// comma-separated fields (symbol, price, date). Double quotes are dropped from
// every field; a field ends at a comma or at the end of the line. The symbol is
// compared exactly, letter case included, with the club's symbols in list order;
// a line whose symbol matches none (a blank line among them) is skipped. The
// price is a decimal number of at least 0; the date is month/day/year with a
// year of two or four digits, blanks around it allowed (ParseImportDate). A matched line without a
// price field, with a price that is no such number or with a date that cannot
// be read ends the reading; the lines before it stand, and the bad line's
// number and text are kept for the refusal.
//
//   PriceImportReading reading = ReadPriceImport("\"ACME\",12.375,\"03/15/1999\"\n", {"XYZ", "ACME"}, today);
//   reading.lines[0].security == 1, reading.lines[0].price == 12.375, !reading.bad_line
//   ImportRefusal(*ReadPriceImport("ACME,x,1/2/26\n", {"ACME"}, today).bad_line)
//       == "Invalid Price Import File (line 1: ACME,x,1/2/26)"
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "club/dates.h"

namespace pellmark::ledger {

struct ImportedPrice {
  std::size_t security = 0;  // position of the matched symbol in the list given
  double price = 0;
  DayNumber date = 0;
};

struct BadImportLine {
  std::size_t number = 0;  // counted from 1
  std::string text;        // as in the file, without its line end
};

struct PriceImportReading {
  std::vector<ImportedPrice> lines;  // the good matched lines, in file order
  std::optional<BadImportLine> bad_line;
};

// "Invalid Price Import File (line <n>: <text>)", the text cut to 80 characters.
std::string ImportRefusal(const BadImportLine& line);

// Reads the file's bytes; never throws on any content. An empty symbol in
// `symbols` never matches.
PriceImportReading ReadPriceImport(std::string_view text, const std::vector<std::string>& symbols, DayNumber today);

}  // namespace pellmark::ledger
