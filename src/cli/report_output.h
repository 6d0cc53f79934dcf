// Where pellmark-cli lays a report out: a plain text file on fixed metrics,
// a PDF on the Qt page device, or both, with the report window's page
// printer settings (Arial 10 pt, the default margins, no wrapping).
//
//   WriteReportFiles(context, report, pdf_path, text_path);   // CommandRefused on "Report Generation failed"
#pragma once

#include <string>

#include "cli/cli_context.h"
#include "reports/report.h"

namespace pellmark::cli {

void SetUpReportPrinter(reports::TPagePrinter& printer);

// Lays the report out into each file named (an empty name is skipped).
// A UsageError when both are empty.
void WriteReportFiles(CliContext& context, reports::Report& report, const std::string& pdf, const std::string& text);

// The report laid out as the bytes of a PDF, for a file the books save in a
// unit of work; a UsageError in a pellmark-cli built without Qt.
std::string ReportPdf(CliContext& context, reports::Report& report);

}  // namespace pellmark::cli
