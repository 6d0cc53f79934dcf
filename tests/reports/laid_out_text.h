// A report laid out as the command line's --text writes it: the report
// window's printer (Arial 10 pt, its margins, no wrapping) in text-file mode on
// the fixed-metrics device, read back whole.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "club/clock.h"
#include "reports/page_device.h"
#include "reports/report.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace pellmark::testing {

inline std::string LaidOutText(reports::Report& report) {
  TempFolder folder;
  const std::string file = (folder.Path() / "report.txt").string();
  FixedClock clock(DayNumberFromCivil({2026, 12, 7}));
  reports::FixedMetricsDevice device;
  reports::TPagePrinter printer(device, clock);
  printer.SetFont({"Arial", 10});
  printer.SetMarginTop(0.25);
  printer.SetMarginBottom(0.25);
  printer.SetMarginLeft(0.75);
  printer.SetMarginRight(0.5);
  printer.SetWordWrap(false);
  printer.SetFileName(file);
  printer.SetPrintToFile(true);
  ScriptedInteraction ui;
  if (!reports::GenerateReport(report, printer, ui)) return "Report Generation failed";
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace pellmark::testing
