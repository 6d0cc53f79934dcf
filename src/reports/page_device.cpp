#include "reports/page_device.h"

#include <cmath>
#include <utility>

namespace pellmark::reports {

namespace {

PrinterGeometry Turned(PrinterGeometry geometry, Orientation orientation) {
  if (orientation == Orientation::kLandscape) {
    std::swap(geometry.dpi_x, geometry.dpi_y);
    std::swap(geometry.offset_x, geometry.offset_y);
    std::swap(geometry.paper_width, geometry.paper_height);
  }
  return geometry;
}

int Scaled(double points, int dpi, int per) { return static_cast<int>(std::lround(points * dpi / per)); }

}  // namespace

PrinterGeometry FallbackGeometry(Orientation orientation) { return Turned(PrinterGeometry{}, orientation); }

PrinterGeometry FixedMetricsDevice::Geometry(Orientation orientation) const { return Turned(geometry_, orientation); }

int FixedMetricsDevice::TextWidth(const Font& font, std::string_view text) {
  ++width_calls_;
  int per_char = Scaled(font.points, geometry_.dpi_x, 120) + (font.bold ? 1 : 0);
  return per_char * static_cast<int>(text.size());
}

int FixedMetricsDevice::TextHeight(const Font& font) { return Scaled(font.points, geometry_.dpi_y, 60); }

int FixedMetricsDevice::ExternalLeading(const Font& font) { return Scaled(font.points, geometry_.dpi_y, 720); }

}  // namespace pellmark::reports
