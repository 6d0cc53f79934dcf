// A report laid out on the Qt page device and written as a PDF, behind a
// header free of Qt so that pellmark-cli can ask for it.
//
//   WriteReportPdf(clock, "out.pdf", "Valuation Statement",
//                  [&](reports::TPagePrinter& printer) { report.Lay(printer); });
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "club/clock.h"
#include "reports/page_printer.h"

namespace pellmark::qtpage {

// Runs `lay` on a page printer over the Qt device (portrait, the fallback
// printer's geometry) and writes its pages to `file`; false when the file
// could not be written.
bool WriteReportPdf(const Clock& clock, const std::filesystem::path& file, const std::string& caption,
                    const std::function<void(reports::TPagePrinter&)>& lay);
// The same pages as the bytes of a PDF, for a file the books save in a unit
// of work; nothing when they cannot be made.
std::optional<std::string> ReportPdfBytes(const Clock& clock, const std::string& caption,
                                          const std::function<void(reports::TPagePrinter&)>& lay);

}  // namespace pellmark::qtpage
