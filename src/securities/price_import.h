// The reader of a price import file: plain text, one price a line, three
// comma-separated fields (symbol, price, date). Double quotes are dropped from
// every field; a field ends at a comma or at the end of the line. The symbol is
// compared exactly, letter case included, with the club's symbols in list order;
// a line whose symbol matches none (a blank line among them) is skipped. The
// price is a decimal number of at least 0; the date is "mm/dd/yy" when it has 8
// characters, else "mm/dd/yyyy" (ParseImportDate). A matched line without a
// price field, with a price that is no such number or with a date that cannot
// be read ends the reading; the lines before it stand.
//
//   PriceImportReading reading = ReadPriceImport("\"ACME\",12.375,\"03/15/1999\"\n", {"XYZ", "ACME"}, today);
//   reading.lines[0].security == 1, reading.lines[0].price == 12.375, reading.stopped_at_bad_line == false
#pragma once

#include <cstddef>
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

struct PriceImportReading {
  std::vector<ImportedPrice> lines;  // the good matched lines, in file order
  bool stopped_at_bad_line = false;
};

// Reads the file's bytes; never throws on any content. An empty symbol in
// `symbols` never matches.
PriceImportReading ReadPriceImport(std::string_view text, const std::vector<std::string>& symbols, DayNumber today);

}  // namespace pellmark::ledger
