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

}  // namespace pellmark::qtpage
