// `report charts`: the club's charts as pages of a PDF. Added after
// AddReportCommands, whose `report` command it joins.
#pragma once

#include "cli/cli_context.h"

namespace pellmark::cli {

void AddChartCommands(CLI::App& app, CommandList& commands);

}  // namespace pellmark::cli
