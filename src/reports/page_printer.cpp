#include "reports/page_printer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include <fmt/format.h>

#include "club/dates.h"
#include "club/number_parse.h"
#include "store/file_layer.h"
#include "store/whole_files.h"

namespace pellmark::reports {

namespace {

constexpr double kMillimetersPerInch = 25.4;
constexpr char kLineEnd[] = "\r\n";

struct CancelPrinting {};

constexpr int kWholeFirstLength = 256;

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }


void ReplaceAll(std::string& text, std::string_view macro, std::string_view value) {
  for (std::size_t at = text.find(macro); at != std::string::npos; at = text.find(macro, at + value.size())) {
    text.replace(at, macro.size(), value);
  }
}

constexpr const char* kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};

// Windows' long date format of the program's locale: "Monday, December 07, 2026".
std::string LongDate(DayNumber day) {
  CivilDate date = CivilFromDayNumber(day);
  // Day 1 (31 December 1899) was a Sunday.
  long long whole = static_cast<long long>(std::floor(day));
  int weekday = static_cast<int>(((whole - 1) % 7 + 7) % 7);
  return fmt::format("{}, {} {:02}, {}", kDayNames[weekday], kMonthNames[date.month - 1], date.day, date.year);
}

// "3:07 PM", or with seconds "3:07:09 PM".
std::string TimeText(double now, bool with_seconds) {
  double fraction = now - std::floor(now);
  int seconds = static_cast<int>(std::floor(fraction * 86400 + 1e-6)) % 86400;
  int hour = seconds / 3600;
  int hour12 = hour % 12 == 0 ? 12 : hour % 12;
  const char* half = hour < 12 ? "AM" : "PM";
  if (with_seconds) return fmt::format("{}:{:02}:{:02} {}", hour12, seconds / 60 % 60, seconds % 60, half);
  return fmt::format("{}:{:02} {}", hour12, seconds / 60 % 60, half);
}

}  // namespace

TPagePrinter::TPagePrinter(PageDevice& device, const Clock& clock) : device_(device), clock_(clock) {
  header_font_ = font_;
  footer_font_ = font_;
  PrinterGeometry geometry = Geometry();
  margin_left_ = margin_right_ = PixelsToUnits(geometry.offset_x, geometry.dpi_x);
  margin_top_ = margin_bottom_ = PixelsToUnits(geometry.offset_y, geometry.dpi_y);
  RefreshMetrics();
}

// ---- Units and geometry ----

double TPagePrinter::UnitsToInches(double length) const {
  return measure_unit_ == TMeasureUnit::muMillimeters ? length / kMillimetersPerInch : length;
}

double TPagePrinter::PixelsToUnits(int pixels, int dpi) const {
  double inches = static_cast<double>(pixels) / (dpi > 0 ? dpi : 300);
  return measure_unit_ == TMeasureUnit::muMillimeters ? inches * kMillimetersPerInch : inches;
}

int TPagePrinter::PixelsX(double length) const {
  int dpi = Geometry().dpi_x;
  return static_cast<int>(std::lround(UnitsToInches(length) * (dpi > 0 ? dpi : 300)));
}

int TPagePrinter::PixelsY(double length) const {
  int dpi = Geometry().dpi_y;
  return static_cast<int>(std::lround(UnitsToInches(length) * (dpi > 0 ? dpi : 300)));
}

int TPagePrinter::LeftOffset() const {
  PrinterGeometry g = Geometry();
  return PixelsX(margin_left_ - PixelsToUnits(g.offset_x, g.dpi_x));
}

int TPagePrinter::TopOffset() const {
  PrinterGeometry g = Geometry();
  return PixelsY(margin_top_ - PixelsToUnits(g.offset_y, g.dpi_y));
}

// Margins that leave no room give an empty body rather than a negative one, so
// that every line still moves the layout forward.
int TPagePrinter::PrintableWidth() const {
  PrinterGeometry g = Geometry();
  int width = g.paper_width - 2 * g.offset_x - LeftOffset() - PixelsX(margin_right_ - PixelsToUnits(g.offset_x, g.dpi_x));
  return std::max(width, 0);
}

int TPagePrinter::PrintableHeight() const {
  PrinterGeometry g = Geometry();
  int height = g.paper_height - 2 * g.offset_y - TopOffset() - PixelsY(margin_bottom_ - PixelsToUnits(g.offset_y, g.dpi_y));
  return std::max(height, 0);
}

int TPagePrinter::CharWidth() { return device_.TextWidth(font_, "9"); }
int TPagePrinter::CharHeight() { return device_.TextHeight(font_); }

int TPagePrinter::LineHeight() {
  int height = CharHeight();
  switch (line_spacing_) {
    case TLineSpacing::lsHalfSpace: return height / 2;
    case TLineSpacing::lsSingleSpace: return height;
    case TLineSpacing::lsSingleAndAHalf: return height + height / 2;
    case TLineSpacing::lsDoubleSpace: return 2 * height;
  }
  return height;
}

int TPagePrinter::PadX() const { return 6 * (Geometry().dpi_x / 300); }
int TPagePrinter::PenWidthX() const { return 2 * (Geometry().dpi_x / 300); }
int TPagePrinter::PenWidthY() const { return 2 * (Geometry().dpi_y / 300); }

void TPagePrinter::RefreshMetrics() {
  margin_top_ = ClampMargin(margin_top_, true);
  margin_bottom_ = ClampMargin(margin_bottom_, true);
  margin_left_ = ClampMargin(margin_left_, false);
  margin_right_ = ClampMargin(margin_right_, false);
  if (!friendly_header_.empty()) DeriveFriendly(friendly_header_, header_, header_format_);
  if (!friendly_footer_.empty()) DeriveFriendly(friendly_footer_, footer_, footer_format_);
}

// ---- Properties ----

void TPagePrinter::SetFont(const Font& font) {
  font_ = font;
  if (auto_header_font_) header_font_ = font;
  if (auto_footer_font_) footer_font_ = font;
}

void TPagePrinter::SetFontSize(double points) {
  Font font = font_;
  font.points = points;
  SetFont(font);
}

void TPagePrinter::BoldOn() {
  Font font = font_;
  font.bold = true;
  SetFont(font);
}

void TPagePrinter::BoldOff() {
  Font font = font_;
  font.bold = false;
  SetFont(font);
}

void TPagePrinter::SetMeasureUnit(TMeasureUnit unit) {
  if (unit == measure_unit_) return;
  double factor = unit == TMeasureUnit::muMillimeters ? kMillimetersPerInch : 1 / kMillimetersPerInch;
  margin_top_ *= factor;
  margin_bottom_ *= factor;
  margin_left_ *= factor;
  margin_right_ *= factor;
  page_border_offset_ *= factor;
  default_col_width_ *= factor;
  measure_unit_ = unit;
  RefreshMetrics();
  table_format_ = ScaleColumnFormat(table_format_, separator_, factor);
  if (friendly_header_.empty()) header_format_ = ScaleColumnFormat(header_format_, separator_, factor);
  if (friendly_footer_.empty()) footer_format_ = ScaleColumnFormat(footer_format_, separator_, factor);
}

double TPagePrinter::ClampMargin(double value, bool vertical) const {
  PrinterGeometry g = Geometry();
  int dpi = vertical ? g.dpi_y : g.dpi_x;
  double offset = PixelsToUnits(vertical ? g.offset_y : g.offset_x, dpi);
  double paper = PixelsToUnits(vertical ? g.paper_height : g.paper_width, dpi);
  if (value < offset) return offset;
  if (value > paper - offset) return paper - offset;
  return value;
}

void TPagePrinter::SetMargin(double& margin, double value, bool vertical, const char* error) {
  if (building_) throw EPagePrinter(error);
  margin = ClampMargin(value, vertical);
}

void TPagePrinter::SetMarginTop(double value) {
  SetMargin(margin_top_, value, true, "Unable to change top margin while printing");
}
void TPagePrinter::SetMarginBottom(double value) {
  SetMargin(margin_bottom_, value, true, "Unable to change bottom margin while printing");
}
void TPagePrinter::SetMarginLeft(double value) {
  SetMargin(margin_left_, value, false, "Unable to change left margin while printing");
}
void TPagePrinter::SetMarginRight(double value) {
  SetMargin(margin_right_, value, false, "Unable to change right margin while printing");
}

void TPagePrinter::SetOrientation(Orientation orientation) {
  if (building_) throw EPagePrinter("Unable to change orientation while printing");
  orientation_ = orientation;
  RefreshMetrics();
}

std::string TPagePrinter::Title() const { return Geometry().has_printer ? title_ : "<Unknown>"; }

void TPagePrinter::SetLineSpacing(TLineSpacing spacing) { line_spacing_ = spacing; }

void TPagePrinter::SetPrintToFile(bool on) {
  if (building_) throw EPagePrinter("Can't change PrintToFile while printing");
  print_to_file_ = on;
}

void TPagePrinter::SetFileName(std::string_view name) {
  if (building_) throw EPagePrinter("Can't change FileName while printing");
  while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  file_name_ = std::string(name);
  if (!friendly_header_.empty()) DeriveFriendly(friendly_header_, header_, header_format_);
  if (!friendly_footer_.empty()) DeriveFriendly(friendly_footer_, footer_, footer_format_);
}

void TPagePrinter::SetPrintFromPage(int page) {
  print_from_ = std::max(page, 0);
  if (print_from_ != 0 && print_to_ != 0 && print_to_ < print_from_) print_to_ = print_from_;
}

void TPagePrinter::SetPrintToPage(int page) {
  print_to_ = std::max(page, 0);
  if (print_to_ != 0 && print_from_ > print_to_) print_from_ = print_to_;
}

void TPagePrinter::SetPageNumber(int page) {
  if (page >= 1 && page <= PageCount()) {
    page_number_ = page;
  } else if (PageCount() > 0) {
    throw EPagePrinter(fmt::format("PageNumber must be between 1 and {}", PageCount()));
  } else {
    page_number_ = 0;
  }
}

// ---- Formats, friendly headers and macros ----

void TPagePrinter::SetTableFormat(std::string_view format) {
  table_format_ = ParseColumnFormat(format, separator_, default_col_width_);
}
void TPagePrinter::SetHeaderFormat(std::string_view format) {
  header_format_ = ParseColumnFormat(format, separator_, default_col_width_);
}
void TPagePrinter::SetFooterFormat(std::string_view format) {
  footer_format_ = ParseColumnFormat(format, separator_, default_col_width_);
}

void TPagePrinter::SetFriendlyHeader(std::string friendly) {
  friendly_header_ = std::move(friendly);
  if (!friendly_header_.empty()) DeriveFriendly(friendly_header_, header_, header_format_);
}

void TPagePrinter::SetFriendlyFooter(std::string friendly) {
  friendly_footer_ = std::move(friendly);
  if (!friendly_footer_.empty()) DeriveFriendly(friendly_footer_, footer_, footer_format_);
}

void TPagePrinter::DeriveFriendly(const std::string& friendly, std::string& text, ColumnFormat& format) {
  struct Section {
    char alignment;
    std::string text;
  };
  std::vector<Section> sections;
  std::optional<char> alignment;  // of the section being read, when one was named
  std::string current;
  auto value = [](std::string v) { return v.empty() ? std::string(" ") : v; };
  for (std::size_t i = 0; i < friendly.size(); ++i) {
    char c = friendly[i];
    if (c != '&') {
      current += c;
      continue;
    }
    char code = i + 1 < friendly.size() ? friendly[++i] : '\0';
    switch (code) {
      case '&': current += '&'; break;
      case 'd': current += value(FormatDate(clock_.Today())); break;
      case 'D': current += value(LongDate(clock_.Today())); break;
      case 't': current += value(TimeText(clock_.Now(), false)); break;
      case 'T': current += value(TimeText(clock_.Now(), true)); break;
      case 'f': {
        std::size_t slash = file_name_.find_last_of("/\\");
        current += value(slash == std::string::npos ? file_name_ : file_name_.substr(slash + 1));
        break;
      }
      case 'F': current += value(file_name_); break;
      case 'p': current += "{$PAGE}"; break;
      case 'i': current += "{$TITLE}"; break;
      case 'l':
      case 'c':
      case 'r':
        if (!current.empty()) {
          sections.push_back({alignment.value_or('<'), current});
          current.clear();
        }
        alignment = code == 'l' ? '<' : code == 'c' ? '^' : '>';
        break;
      default: current += ' '; break;
    }
  }
  if (!current.empty() || alignment) sections.push_back({alignment.value_or('<'), current});

  PrinterGeometry g = Geometry();
  double body = PixelsToUnits(g.paper_width, g.dpi_x) - margin_left_ - margin_right_;
  std::string width = sections.empty() ? "0" : fmt::format("{:.2f}", body / static_cast<double>(sections.size()));
  std::string cells, tokens;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    if (i > 0) {
      cells += separator_;
      tokens += separator_;
    }
    cells += sections[i].text;
    tokens += sections[i].alignment;
    tokens += width;
  }
  text = cells;
  format = ParseColumnFormat(tokens, separator_, default_col_width_);
}

std::string TPagePrinter::ExpandMacros(std::string_view text) const {
  std::string expanded(text);
  ReplaceAll(expanded, "{$LINE}", std::to_string(line_number_));
  ReplaceAll(expanded, "{$PAGE}", std::to_string(page_counter_));
  ReplaceAll(expanded, "{$DATE}", FormatDate(clock_.Today()));
  ReplaceAll(expanded, "{$TIME}", TimeText(clock_.Now(), true));
  ReplaceAll(expanded, "{$TITLE}", Title());
  return expanded;
}

// ---- Fitting ----

// The longest prefix of `text` not wider than `width`, never shorter than one
// character. Probing doubles the length first and then bisects, so a part costs
// about 2 log2(part length) measurements of at most twice its length. When the
// whole text fits, its width is left in `whole_width`.
int TPagePrinter::FitLength(std::string_view text, int width, int* whole_width) {
  int length = static_cast<int>(text.size());
  if (length == 0) return 0;
  // Most cells fit: one measurement says so. Long texts are probed by parts
  // only, so that wrapping a huge cell stays linear in its length.
  bool whole_measured = false;
  if (length <= kWholeFirstLength) {
    int measured = device_.TextWidth(font_, text);
    if (measured <= width || length == 1) {
      if (whole_width) *whole_width = measured;
      return length;
    }
    whole_measured = true;
  }
  int fits = 1;
  int too_long = length;
  int probe = 2;
  while (probe < length) {
    if (device_.TextWidth(font_, text.substr(0, probe)) > width) {
      too_long = probe;
      break;
    }
    fits = probe;
    probe *= 2;
  }
  if (too_long == length && !whole_measured) {
    int measured = device_.TextWidth(font_, text);
    if (measured <= width) {
      if (whole_width) *whole_width = measured;
      return length;
    }
  }
  while (too_long - fits > 1) {
    int middle = fits + (too_long - fits) / 2;
    if (device_.TextWidth(font_, text.substr(0, middle)) <= width) {
      fits = middle;
    } else {
      too_long = middle;
    }
  }
  return fits;
}

// ---- Recording ----

void TPagePrinter::EmitText(int x, int y, std::string_view text) {
  if (!building_ || text_open_ || pages_.pages.empty() || text.empty()) return;
  pages_.pages.back().ops.emplace_back(TextOp{x, y, pages_.FontIndex(font_), text_color_, std::string(text)});
}

void TPagePrinter::EmitLine(int x1, int y1, int x2, int y2, int width) {
  if (!building_ || text_open_ || pages_.pages.empty()) return;
  pages_.pages.back().ops.emplace_back(LineOp{x1, y1, x2, y2, width, pen_color_, pen_style_});
}

void TPagePrinter::DrawLine(int x1, int y1, int x2, int y2) {
  int left = LeftOffset(), top = TopOffset();
  EmitLine(left + x1, top + y1, left + x2, top + y2, PenWidthY());
}

void TPagePrinter::TextFileWrite(std::string_view text) { text_file_ += text; }
void TPagePrinter::TextFileEndLine() { text_file_ += kLineEnd; }

// ---- Documents ----

void TPagePrinter::BeginDoc() {
  RefreshMetrics();
  building_ = true;
  if (print_to_file_) {
    text_file_.clear();
    text_open_ = true;
  } else {
    pages_ = PageList{};
    PrinterGeometry g = Geometry();
    pages_.pages.push_back(RecordedPage{g.paper_width - g.offset_x, g.paper_height - g.offset_y, {}});
    page_number_ = 0;
  }
  page_counter_ = 1;
  StartPage();
}

void TPagePrinter::EndDoc() {
  building_ = false;
  if (text_open_) {
    text_open_ = false;
    store::SaveFileAtomically(*files_, file_name_, text_file_);
    text_file_.clear();
    return;
  }
  page_number_ = pages_.pages.empty() ? 0 : 1;
}

int TPagePrinter::NewPage() {
  if (text_open_) {
    TextFileWrite("\f");
    TextFileEndLine();
  } else if (building_) {
    PrinterGeometry g = Geometry();
    pages_.pages.push_back(RecordedPage{g.paper_width - g.offset_x, g.paper_height - g.offset_y, {}});
  }
  ++page_counter_;
  StartPage();
  return page_counter_;
}

int TPagePrinter::NewLine() {
  current_x_ = 0;
  int line_height = LineHeight();
  current_y_ += line_height;
  if (text_open_ || in_header_footer_ || current_y_ + line_height < PrintableHeight()) {
    if (text_open_) TextFileEndLine();
    ++line_number_;
  } else {
    NewPage();
  }
  if (OnNewLine) OnNewLine();
  return line_number_;
}

void TPagePrinter::StartPage() {
  current_x_ = current_y_ = line_number_ = 0;
  if (OnNewPage) OnNewPage();
  int saved_x = current_x_, saved_y = current_y_, saved_line = line_number_;
  ColumnFormat saved_format = table_format_;
  bool saved_grid = table_grid_;
  Font saved_font = font_;
  bool saved_auto_header = auto_header_font_, saved_auto_footer = auto_footer_font_;
  table_grid_ = false;
  auto_header_font_ = auto_footer_font_ = false;
  in_header_footer_ = true;

  if (!header_.empty()) {
    font_ = header_font_;
    double m = margin_top_ - ((page_borders_ & pbTop) ? page_border_offset_ : 0);
    current_y_ = std::max((PixelsY(m) - LineHeight()) / 2 - PixelsY(margin_top_), -TopOffset());
    WriteRow(header_, header_format_);
  }
  if (!footer_.empty()) {
    font_ = footer_font_;
    int line_height = LineHeight();
    int y = (page_borders_ & pbBottom)
                ? PrintableHeight() + PixelsY(page_border_offset_) +
                      (PixelsY(margin_bottom_ - page_border_offset_) - line_height) / 2
                : PrintableHeight() + (PixelsY(margin_bottom_) - line_height) / 2;
    PrinterGeometry g = Geometry();
    int lowest = g.paper_height - 2 * g.offset_y - TopOffset() - line_height;
    current_y_ = std::min(y, lowest);
    WriteRow(footer_, footer_format_);
  }

  current_x_ = saved_x;
  current_y_ = saved_y;
  line_number_ = saved_line;
  table_format_ = saved_format;
  table_grid_ = saved_grid;
  font_ = saved_font;
  auto_header_font_ = saved_auto_header;
  auto_footer_font_ = saved_auto_footer;
  in_header_footer_ = false;
  if (OnNewLine) OnNewLine();
  DrawBorders();
}

void TPagePrinter::DrawBorders() {
  if (page_borders_ == 0) return;
  int bx = PixelsX(page_border_offset_), by = PixelsY(page_border_offset_);
  int left = LeftOffset() - bx, right = LeftOffset() + PrintableWidth() + bx;
  int top = TopOffset() - by, bottom = TopOffset() + PrintableHeight() + by;
  if (page_borders_ & pbTop) EmitLine(left, top, right, top, PenWidthY());
  if (page_borders_ & pbBottom) EmitLine(left, bottom, right, bottom, PenWidthY());
  if (page_borders_ & pbLeft) EmitLine(left, top, left, bottom, PenWidthX());
  if (page_borders_ & pbRight) EmitLine(right, top, right, bottom, PenWidthX());
}

void TPagePrinter::ClearContents() {
  if (building_) throw EPagePrinter("Can't clear contents while printing");
  pages_ = PageList{};
  page_number_ = 0;
}

// ---- Writing ----

void TPagePrinter::WriteLines(bool as_table) {
  std::vector<std::string> lines = Lines;
  for (const std::string& line : lines) {
    if (as_table && !table_format_.columns.empty()) {
      WriteTableLine(line);
    } else {
      WriteLine(line);
    }
  }
}

void TPagePrinter::WriteTableLine(std::string_view text) { WriteRow(text, table_format_); }

struct TPagePrinter::Cell {
  std::string text;  // what is still to be printed
  Rgb color = kBlack;
  bool marked = false;  // coloured by a marker: black again after it
};

void TPagePrinter::WriteRow(std::string_view text, const ColumnFormat& format) {
  // Split into cells, one per column; extra cells are dropped.
  std::vector<Cell> cells(format.columns.size());
  std::size_t start = 0;
  for (std::size_t i = 0; i < cells.size() && start <= text.size(); ++i) {
    std::size_t end = text.find(separator_, start);
    if (end == std::string_view::npos) end = text.size();
    cells[i].text = std::string(text.substr(start, end - start));
    start = end + 1;
  }
  // Markers and macros belong to the cell, so they are read once and its
  // colour holds on every physical row it takes.
  for (Cell& cell : cells) {
    cell.color = text_color_;
    std::string& t = cell.text;
    auto mark_negative = [&](std::size_t minus) {
      std::optional<double> number = ParseNumber(std::string_view(t).substr(minus + 1));
      if (!number || *number == 0) {
        t.erase(minus, 1);
      } else if (use_color_) {
        cell.color = kRed;
        cell.marked = true;
      }
    };
    if (!t.empty() && t[0] == '@') {
      t.erase(0, 1);
      if (use_color_) {
        cell.color = kBlue;
        cell.marked = true;
      }
    } else if (t.size() >= 2 && t[0] == '-' && std::isdigit(static_cast<unsigned char>(t[1]))) {
      mark_negative(0);
    } else if (t.size() >= 2 && (t[0] == '$' || static_cast<unsigned char>(t[0]) == 163) && t[1] == '-') {
      mark_negative(1);
    }
    if (t.find("{$") != std::string::npos) t = ExpandMacros(t);
  }

  const int line_height = LineHeight();
  const int leading_k2 = line_spacing_ == TLineSpacing::lsHalfSpace         ? 1
                         : line_spacing_ == TLineSpacing::lsSingleSpace     ? 2
                         : line_spacing_ == TLineSpacing::lsSingleAndAHalf ? 3
                                                                            : 4;
  const int leading = device_.ExternalLeading(font_);
  const int pad = PadX();
  const int blank = std::max(device_.TextWidth(font_, " "), 1);
  std::vector<int> widths;
  for (const Column& column : format.columns) widths.push_back(PixelsX(std::abs(column.width)));

  bool first_row = true;
  int row_top = 0;
  bool any_left = true;
  while (any_left) {
    current_x_ = LeftOffset();
    row_top = TopOffset() + current_y_ - (leading_k2 * leading) / 2;
    any_left = false;
    int text_ahead = 0;  // characters a text file's row runs past its columns
    for (std::size_t i = 0; i < cells.size(); ++i) {
      Cell& cell = cells[i];
      const Column& column = format.columns[i];
      int width = widths[i];
      std::string part;
      int text_width = -1;  // not measured yet
      if (!cell.text.empty()) {
        std::string_view t = cell.text;
        int whole_width = -1;
        std::size_t fitted = static_cast<std::size_t>(FitLength(t, width, &whole_width));
        if (fitted == t.size() && t.find('\n') == std::string_view::npos) text_width = whole_width;
        std::string rest;
        if (word_wrap_) {
          if (fitted < t.size() && !IsBlankOrControl(t[fitted])) {
            std::size_t blank_at = t.substr(0, fitted).find_last_of(' ');
            if (blank_at != std::string_view::npos) fitted = blank_at + 1;
          }
          part = std::string(t.substr(0, fitted));
          rest = std::string(t.substr(fitted));
          std::size_t line_feed = part.find('\n');
          if (line_feed != std::string::npos) {
            std::string after = part.substr(line_feed + 1);
            part.erase(line_feed);
            if (!after.empty()) rest = rest.empty() ? after : after + " " + rest;
          }
        } else if (text_open_) {
          // A text file has no page edge to keep to: a cell is never cut.
          part = std::string(t);
          if (fitted < t.size()) text_width = device_.TextWidth(font_, part);
        } else {
          part = std::string(t.substr(0, fitted));
        }
        cell.text = std::move(rest);
        if (!cell.text.empty()) any_left = true;
      }

      if (text_width < 0) text_width = part.empty() ? 0 : device_.TextWidth(font_, part);
      int offset = column.alignment == TextAlignment::kRight    ? width - text_width
                   : column.alignment == TextAlignment::kCenter ? (width - text_width) / 2
                                                                 : 0;
      if (text_width < width - pad) {
        if (column.alignment == TextAlignment::kLeft) offset += pad;
        if (column.alignment == TextAlignment::kRight) offset -= pad;
      }
      if (text_open_) {
        // A text wider than its column, or filling it, is written whole and a
        // blank after it; the blanks of the cells after it give back what it took.
        int before = std::max(offset / blank, 0);
        int after = std::max((width - offset - text_width) / blank, 0);
        const int given_back = std::min(before, text_ahead);
        before -= given_back;
        text_ahead -= given_back;
        TextFileWrite(std::string(before, ' '));
        TextFileWrite(part);
        if (text_width > width) {
          text_ahead += (text_width - std::max(offset, 0) - width + blank - 1) / blank + 1;
          after = 1;
        } else if (after == 0 && !part.empty() && part.back() != ' ' && i + 1 < cells.size()) {
          text_ahead += 1;
          after = 1;
        } else {
          const int kept_back = std::min(part.empty() ? after : std::max(after - 1, 0), text_ahead);
          after -= kept_back;
          text_ahead -= kept_back;
        }
        TextFileWrite(std::string(after, ' '));
      } else {
        Rgb saved = text_color_;
        text_color_ = cell.color;
        EmitText(current_x_ + offset, TopOffset() + current_y_, part);
        text_color_ = saved;
        if (table_grid_ && column.width >= 0) {
          EmitLine(current_x_, row_top, current_x_, row_top + line_height, PenWidthX());
          EmitLine(current_x_ + width, row_top, current_x_ + width, row_top + line_height, PenWidthX());
          if (first_row) EmitLine(current_x_, row_top, current_x_ + width, row_top, PenWidthY());
        }
      }
      current_x_ += width;
    }
    first_row = false;
    if (any_left) NewLine();
  }
  for (const Cell& cell : cells) {
    if (cell.marked) text_color_ = kBlack;
  }
  if (table_grid_ && !text_open_) {
    int x = LeftOffset();
    for (std::size_t i = 0; i < widths.size(); ++i) {
      if (format.columns[i].width >= 0) {
        EmitLine(x, row_top + line_height, x + widths[i], row_top + line_height, PenWidthY());
      }
      x += widths[i];
    }
  }
  if (!(in_header_footer_ && !text_open_)) NewLine();
}

void TPagePrinter::WritePlainPart(std::string_view text) {
  if (text_open_) {
    int blank = std::max(device_.TextWidth(font_, " "), 1);
    TextFileWrite(std::string(std::max(current_x_ / blank, 0), ' '));
    TextFileWrite(text);
  } else {
    if (current_y_ + LineHeight() >= PrintableHeight()) NewPage();
    EmitText(LeftOffset() + current_x_, TopOffset() + current_y_, text);
  }
  NewLine();
}

void TPagePrinter::WriteLine(std::string_view line) {
  std::string text(line);
  if (text.find('\t') != std::string::npos) {
    std::size_t size = static_cast<std::size_t>(std::max(tab_size_, 1));
    std::string expanded;
    for (char c : text) {
      if (c == '\t') {
        expanded.append(size - expanded.size() % size, ' ');
      } else {
        expanded += c;
      }
    }
    text = std::move(expanded);
  }
  const int printable = PrintableWidth();
  int width = device_.TextWidth(font_, text);
  if (width > printable && text.size() > 1) {
    current_x_ = 0;
    if (!word_wrap_) {
      // A text file keeps the whole line; a page cuts it at its edge.
      WritePlainPart(text_open_ ? std::string_view(text) : std::string_view(text).substr(0, FitLength(text, printable)));
      return;
    }
    std::string_view rest = text;
    while (!rest.empty()) {
      std::size_t fitted = static_cast<std::size_t>(FitLength(rest, printable - current_x_));
      std::string_view part = rest.substr(0, fitted);
      std::size_t next = fitted;
      if (fitted < rest.size()) {
        if (rest[fitted] == ' ') {
          next = fitted + 1;
        } else if (!IsBlankOrControl(rest[fitted])) {
          std::size_t blank_at = part.find_last_of(' ');
          if (blank_at != std::string_view::npos && blank_at > 0) {
            part = rest.substr(0, blank_at);
            next = blank_at + 1;
          }
        }
      }
      WritePlainPart(part);
      rest.remove_prefix(next);
    }
    return;
  }
  if (auto_reset_x_) {
    current_x_ = alignment_ == TextAlignment::kRight    ? printable - width
                 : alignment_ == TextAlignment::kCenter ? (printable - width) / 2
                                                        : 0;
  }
  WritePlainPart(text);
}

void TPagePrinter::DrawHorizontalRule(int count) {
  int pen = 2 * (Geometry().dpi_y / 300);
  int bx = PixelsX(page_border_offset_), by = PixelsY(page_border_offset_);
  int y = TopOffset() + current_y_ - by;
  if (count < 0) {
    EmitLine(LeftOffset() - bx, y, LeftOffset() + PrintableWidth() + bx, y, pen);
  } else {
    int x = LeftOffset() + current_x_;
    EmitLine(x, y, x + count * CharWidth(), y, pen);
  }
}

int TPagePrinter::RepeatCount(std::string_view text, int count) {
  int width = device_.TextWidth(font_, text);
  return width <= 0 ? 0 : count * CharWidth() / width;
}

// ---- Printing ----

bool TPagePrinter::Print(PrintJob& job, PrintProgress* progress) {
  if (building_) EndDoc();
  if (pages_.pages.empty()) return true;
  int count = PageCount();
  int first = std::min(print_from_ == 0 ? 1 : print_from_, count);
  int last = std::min(print_to_ == 0 ? count : print_to_, count);
  int saved_copies = job.CopyCount();
  job.SetCopyCount(1);
  cancel_requested_ = false;
  bool shown = false;
  int step = 0;
  const int total = copies_ * (last - first + 1);
  auto finish = [&] {
    if (shown && progress) progress->Close();
    if (!job.Printing()) job.SetCopyCount(saved_copies);
  };
  auto print_one = [&](int page, bool last_sheet) {
    if (show_progress_ && show_cancel_ && progress) progress->PumpMessages();
    if (cancel_requested_) throw CancelPrinting{};
    ++step;
    if (show_progress_ && progress) {
      if (!shown) progress->Show(show_cancel_);
      shown = true;
      PrintProgressState state;
      state.caption = Title();
      state.status = progress_message_.empty() ? "Sending Pages To Printer" : progress_message_;
      state.page_label = fmt::format("Page {}", page);
      if (first == 1) state.page_label += fmt::format(" of {}", count);
      if (copies_ > 1) state.page_label += fmt::format(" x {} Copies", copies_);
      state.maximum = total;
      state.position = step;
      progress->Update(state);
    }
    job.PrintPage(pages_, pages_.pages[static_cast<std::size_t>(page - 1)]);
    if (!last_sheet) job.NewPhysicalPage();
  };
  try {
    job.BeginDocument(Title());
    if (collate_) {
      for (int copy = 1; copy <= copies_; ++copy) {
        for (int page = first; page <= last; ++page) print_one(page, copy == copies_ && page == last);
      }
    } else {
      for (int page = first; page <= last; ++page) {
        for (int copy = 1; copy <= copies_; ++copy) print_one(page, copy == copies_ && page == last);
      }
    }
    job.EndDocument();
  } catch (const CancelPrinting&) {
    if (job.Printing()) {
      if (abort_on_cancel_) {
        job.AbortDocument();
      } else {
        job.EndDocument();
      }
    }
    finish();
    return false;
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return true;
}

// ---- Preview ----

void TPagePrinter::ZoomToWidth(const PreviewViewport& viewport) {
  PrinterGeometry g = Geometry();
  double room = viewport.client_width - viewport.vscroll_width - 2.0 * (shadow_offset_ + 1);
  double scale = static_cast<double>(g.dpi_x) / std::max(viewport.screen_dpi_x, 1);
  SetZoomPercent(static_cast<int>(std::lround(100.0 * room * scale / std::max(g.paper_width, 1))));
}

void TPagePrinter::ZoomToHeight(const PreviewViewport& viewport) {
  PrinterGeometry g = Geometry();
  double room = viewport.client_height - viewport.hscroll_height - 2.0 * (shadow_offset_ + 1);
  double scale = static_cast<double>(g.dpi_y) / std::max(viewport.screen_dpi_y, 1);
  SetZoomPercent(static_cast<int>(std::lround(100.0 * room * scale / std::max(g.paper_height, 1))));
}

void TPagePrinter::ZoomToPage(const PreviewViewport& viewport) {
  PrinterGeometry g = Geometry();
  double sheet = static_cast<double>(g.paper_width) / std::max(g.paper_height, 1);
  double client = static_cast<double>(viewport.client_width) / std::max(viewport.client_height, 1);
  if (sheet > client) {
    ZoomToWidth(viewport);
  } else {
    ZoomToHeight(viewport);
  }
}

int TPagePrinter::SheetWidth(int screen_dpi_x) const {
  PrinterGeometry g = Geometry();
  return static_cast<int>(static_cast<double>(g.paper_width) * zoom_percent_ /
                          (static_cast<double>(g.dpi_x) / std::max(screen_dpi_x, 1)) / 100);
}

int TPagePrinter::SheetHeight(int screen_dpi_y) const {
  PrinterGeometry g = Geometry();
  return static_cast<int>(static_cast<double>(g.paper_height) * zoom_percent_ /
                          (static_cast<double>(g.dpi_y) / std::max(screen_dpi_y, 1)) / 100);
}

}  // namespace pellmark::reports
