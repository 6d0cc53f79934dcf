#include "cli/report_output.h"

#include <optional>
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

[[maybe_unused]] constexpr const char* kNoPdf = "this pellmark-cli was built without Qt and cannot write PDF; use --text";

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
    throw UsageError(kNoPdf);
#endif
  }
}

std::string ReportPdf(CliContext& context, reports::Report& report) {
#ifdef PELLMARK_CLI_PDF
  const std::optional<std::string> bytes =
      qtpage::ReportPdfBytes(*context.clock, report.Caption(), [&](reports::TPagePrinter& printer) {
        SetUpReportPrinter(printer);
        Lay(context, report, printer);
      });
  if (!bytes) throw std::runtime_error("Could not make the PDF of " + report.Caption());
  return *bytes;
#else
  (void)context;
  (void)report;
  throw UsageError(kNoPdf);
#endif
}

}  // namespace pellmark::cli
