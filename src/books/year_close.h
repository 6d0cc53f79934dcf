// What "Close Year" did: the year closed, its tax figures, the earnings
// credited to the members and the tax file written into the club folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "club/outcome.h"
#include "club/records.h"
#include "reports/tax_figures.h"

namespace pellmark {

struct YearClose {
  Outcome outcome = Outcome::Done();
  std::int32_t year = 0;                 // the year closed
  DayNumber date = 0;                    // its closing valuation's date
  std::filesystem::path tax_file;        // "club" + year + ".tax" in the club folder
  std::optional<reports::TaxFigures> figures;
  std::vector<TMemberTranRec> credited;  // the earnings credits, in the members' order
};

}  // namespace pellmark
