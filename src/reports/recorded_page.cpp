#include "reports/recorded_page.h"

#include <algorithm>

namespace pellmark::reports {

std::uint16_t PageList::FontIndex(const Font& font) {
  auto found = std::find(fonts.begin(), fonts.end(), font);
  if (found != fonts.end()) return static_cast<std::uint16_t>(found - fonts.begin());
  fonts.push_back(font);
  return static_cast<std::uint16_t>(fonts.size() - 1);
}

void Replay(const PageList& pages, const RecordedPage& page, PageCanvas& canvas) {
  for (const DrawOp& op : page.ops) {
    if (const auto* text = std::get_if<TextOp>(&op)) {
      canvas.DrawText(pages.fonts.at(text->font), text->color, text->x, text->y, text->text);
    } else {
      canvas.DrawLine(std::get<LineOp>(op));
    }
  }
}

}  // namespace pellmark::reports
