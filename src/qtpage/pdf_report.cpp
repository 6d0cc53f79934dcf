#include "qtpage/pdf_report.h"

#include "qtpage/qt_page_device.h"

namespace pellmark::qtpage {

bool WriteReportPdf(const Clock& clock, const std::filesystem::path& file, const std::string& caption,
                    const std::function<void(reports::TPagePrinter&)>& lay) {
  return WithGuiApplication([&] {
    QtPageDevice device(reports::FallbackGeometry(reports::Orientation::kPortrait));
    reports::TPagePrinter printer(device, clock);
    lay(printer);
    return WritePdf(printer.Pages(), device.Geometry(printer.GetOrientation()), QString::fromStdString(file.string()),
                    QString::fromStdString(caption));
  });
}

std::optional<std::string> ReportPdfBytes(const Clock& clock, const std::string& caption,
                                          const std::function<void(reports::TPagePrinter&)>& lay) {
  std::optional<std::string> bytes;
  WithGuiApplication([&] {
    QtPageDevice device(reports::FallbackGeometry(reports::Orientation::kPortrait));
    reports::TPagePrinter printer(device, clock);
    lay(printer);
    bytes = PdfBytes(printer.Pages(), device.Geometry(printer.GetOrientation()), QString::fromStdString(caption));
    return bytes.has_value();
  });
  return bytes;
}

}  // namespace pellmark::qtpage
