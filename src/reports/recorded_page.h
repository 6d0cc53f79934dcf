// Pages kept as lists of drawing operations, recorded once by the page printer
// and replayed onto any canvas: the preview, a printer, a PDF writer.
// Coordinates are the printer's pixels from the corner of its printable area.
//
//   PageList pages = printer.Pages();
//   for (const RecordedPage& page : pages.pages) Replay(pages, page, canvas);
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "reports/page_device.h"

namespace pellmark::reports {

struct TextOp {
  int x = 0;  // left edge
  int y = 0;  // top of the line
  std::uint16_t font = 0;  // index into PageList::fonts
  Rgb color = kBlack;
  std::string text;  // Windows-1252
  friend bool operator==(const TextOp&, const TextOp&) = default;
};

enum class PenStyle { kSolid, kDotted };

struct LineOp {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int width = 1;
  Rgb color = kBlack;
  PenStyle style = PenStyle::kSolid;
  friend bool operator==(const LineOp&, const LineOp&) = default;
};

using DrawOp = std::variant<TextOp, LineOp>;

struct RecordedPage {
  int width = 0;   // paper width less the physical offset, in printer pixels
  int height = 0;  // likewise the height
  std::vector<DrawOp> ops;
};

struct PageList {
  std::vector<Font> fonts;
  std::vector<RecordedPage> pages;
  // The index of `font` in `fonts`, added when new.
  std::uint16_t FontIndex(const Font& font);
};

class PageCanvas {
 public:
  virtual ~PageCanvas() = default;
  virtual void DrawText(const Font& font, Rgb color, int x, int y, const std::string& text) = 0;
  virtual void DrawLine(const LineOp& line) = 0;
};

void Replay(const PageList& pages, const RecordedPage& page, PageCanvas& canvas);

}  // namespace pellmark::reports
