// What the page printer needs from a printer: its geometry in device pixels and
// the measures of text in a font. The desktop program implements it over Qt's
// font metrics at the printer's resolution; FixedMetricsDevice gives fixed,
// round numbers so layouts can be checked pixel by pixel.
//
//   FixedMetricsDevice device;                       // 300 dpi, letter paper
//   int w = device.TextWidth({"Arial", 10}, "99");   // 50
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pellmark::reports {

// Texts handed to a device are Windows-1252, like every text of the club's records.
struct Font {
  std::string family = "Courier New";
  double points = 10;
  bool bold = false;
  friend bool operator==(const Font&, const Font&) = default;
};

// 0xRRGGBB.
using Rgb = std::uint32_t;
inline constexpr Rgb kBlack = 0x000000;
inline constexpr Rgb kBlue = 0x0000FF;
inline constexpr Rgb kRed = 0xFF0000;
inline constexpr Rgb kSilver = 0xC0C0C0;

enum class Orientation { kPortrait, kLandscape };

// A printer's page in its own pixels. The physical offsets are the unprintable
// edge at the left and the top; the page printer assumes the same at the right
// and the bottom.
struct PrinterGeometry {
  bool has_printer = false;
  int dpi_x = 300;
  int dpi_y = 300;
  int offset_x = 75;
  int offset_y = 75;
  int paper_width = 2550;
  int paper_height = 3300;
};

// Where no printer is to be had: 300 dpi, 8.5 × 11 in paper with a quarter inch
// that cannot be printed on every edge.
PrinterGeometry FallbackGeometry(Orientation orientation);

class PageDevice {
 public:
  virtual ~PageDevice() = default;
  virtual PrinterGeometry Geometry(Orientation orientation) const = 0;
  // Width of the text in device pixels.
  virtual int TextWidth(const Font& font, std::string_view text) = 0;
  // Height of a line of text in the font (ascent and descent), in device pixels.
  virtual int TextHeight(const Font& font) = 0;
  // The font's recommended gap between lines, in device pixels.
  virtual int ExternalLeading(const Font& font) = 0;
};

// A device of fixed metrics: every character is round(points × dpi_x ÷ 120)
// pixels wide (one more in bold), a line is round(points × dpi_y ÷ 60) high and
// the external leading is round(points × dpi_y ÷ 720). At 300 dpi and 10 pt:
// 25 × 50 with a leading of 4.
class FixedMetricsDevice : public PageDevice {
 public:
  explicit FixedMetricsDevice(PrinterGeometry geometry = FallbackGeometry(Orientation::kPortrait))
      : geometry_(geometry) {}
  PrinterGeometry Geometry(Orientation orientation) const override;
  int TextWidth(const Font& font, std::string_view text) override;
  int TextHeight(const Font& font) override;
  int ExternalLeading(const Font& font) override;
  // How many widths were asked for: the cost that fitting by bisection keeps low.
  long long width_calls() const { return width_calls_; }

 private:
  PrinterGeometry geometry_;
  long long width_calls_ = 0;
};

}  // namespace pellmark::reports
