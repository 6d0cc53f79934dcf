// The club's charts as pages of a PDF, one chart a landscape page under the
// club's name, behind a header free of Qt so that pellmark-cli can ask for it.
//
//   WriteChartsPdf("charts.pdf", charts.club_name, today,
//                  {charts.unit_value, charts.members[0].series, charts.holdings});
#pragma once

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "club/dates.h"
#include "reports/chart_series.h"

namespace pellmark::qtpage {

using ChartPage = std::variant<reports::ChartSeries, reports::HoldingsChart>;

// False when the file could not be written.
bool WriteChartsPdf(const std::filesystem::path& file, const std::string& club_name, DayNumber date,
                    const std::vector<ChartPage>& pages);

}  // namespace pellmark::qtpage
