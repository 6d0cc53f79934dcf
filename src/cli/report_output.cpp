#include "cli/report_output.h"

#include <stdexcept>

#include "reports/page_device.h"

#ifdef PELLMARK_CLI_PDF
#include "qtpage/pdf_report.h"
#endif

namespace pellmark::cli {

void SetUpReportPrinter(reports::TPagePrinter& printer) {
  printer.SetFont({"Arial", 10});
  printer.SetMarginTop(0.25);
  printer.SetMarginBottom(0.25);
  printer.SetMarginLeft(0.75);
  printer.SetMarginRight(0.5);
  printer.SetTitle("PagePrinter Testing");
  printer.SetWordWrap(false);
}

namespace {

void Lay(CliContext& context, reports::Report& report, reports::TPagePrinter& printer) {
  if (!reports::GenerateReport(report, printer, *context.ui)) throw CommandRefused("report");
}

}  // namespace

void WriteReportFiles(CliContext& context, reports::Report& report, const std::string& pdf, const std::string& text) {
  if (pdf.empty() && text.empty()) throw UsageError("the report needs --pdf, --text or --json");
  if (!text.empty()) {
    // Plain text has no fonts of its own: a character is a blank's width.
    reports::FixedMetricsDevice device;
    reports::TPagePrinter printer(device, *context.clock);
    SetUpReportPrinter(printer);
    printer.SetFileName(text);
    printer.SetPrintToFile(true);
    Lay(context, report, printer);
  }
  if (!pdf.empty()) {
#ifdef PELLMARK_CLI_PDF
    const bool written = qtpage::WriteReportPdf(*context.clock, pdf, report.Caption(), [&](reports::TPagePrinter& printer) {
      SetUpReportPrinter(printer);
      Lay(context, report, printer);
    });
    if (!written) throw std::runtime_error("Could not write " + pdf);
#else
    throw UsageError("this pellmark-cli was built without Qt and cannot write PDF; use --text");
#endif
  }
}

}  // namespace pellmark::cli
