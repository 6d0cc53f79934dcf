// Feeds arbitrary bytes to the reader of price import files, as a damaged or
// foreign file would reach it. Nothing may crash; every line read names one of
// the symbols offered, with a price of at least 0 and a date the books can key.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "securities/price_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> symbols = {"", "ACME", "BOLT", "acme", "A,B"};
  const pellmark::DayNumber today = pellmark::DayNumberFromCivil({2026, 12, 7});
  const pellmark::ledger::PriceImportReading reading = pellmark::ledger::ReadPriceImport(text, symbols, today);
  for (const pellmark::ledger::ImportedPrice& line : reading.lines) {
    const int year = pellmark::CivilFromDayNumber(line.date).year;
    if (line.security == 0 || line.security >= symbols.size() || !(line.price >= 0) || std::isinf(line.price) ||
        year < pellmark::kEarliestYear || year > pellmark::kLatestYear || line.date != std::floor(line.date)) {
      std::abort();
    }
  }
  return 0;
}
