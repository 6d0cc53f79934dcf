// A page printer on the fixed-metrics device: 300 dpi, letter paper with a
// quarter inch unprintable on every edge, Courier New 10 pt measuring 25 × 50
// pixels a character; the clock stopped on 12/07/2026.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "club/clock.h"
#include "club/dates.h"
#include "reports/page_printer.h"

namespace pellmark::reports::testing {

class PrinterTest : public ::testing::Test {
 public:
  // A text of a page in drawing order, with where and how it was drawn.
  struct Drawn {
    int x;
    int y;
    Rgb color;
    std::string text;
    friend bool operator==(const Drawn&, const Drawn&) = default;
  };

 protected:
  explicit PrinterTest(PrinterGeometry geometry = FallbackGeometry(Orientation::kPortrait))
      : device_(geometry), printer_(device_, clock_) {}

  std::vector<Drawn> Texts(int page = 1) const {
    std::vector<Drawn> texts;
    for (const DrawOp& op : printer_.Pages().pages.at(page - 1).ops) {
      if (const auto* t = std::get_if<TextOp>(&op)) texts.push_back({t->x, t->y, t->color, t->text});
    }
    return texts;
  }
  std::vector<LineOp> Lines(int page = 1) const {
    std::vector<LineOp> lines;
    for (const DrawOp& op : printer_.Pages().pages.at(page - 1).ops) {
      if (const auto* l = std::get_if<LineOp>(&op)) lines.push_back(*l);
    }
    return lines;
  }

  FixedClock clock_{DayNumberFromCivil({2026, 12, 7})};
  FixedMetricsDevice device_;
  TPagePrinter printer_;
};

inline void PrintTo(const PrinterTest::Drawn& d, std::ostream* os) {
  *os << "{" << d.x << "," << d.y << ",#" << std::hex << d.color << std::dec << ",\"" << d.text << "\"}";
}

}  // namespace pellmark::reports::testing
