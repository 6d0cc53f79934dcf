// TPagePrinter: the page layout engine behind every printed report. A report
// writes plain lines and table rows into it; it breaks them into pages sized for
// the printer its PageDevice describes and records each page as drawing
// operations (or, in text-file mode, writes plain text to FileName). The pages
// are replayed for the preview, the printer and PDF. All positions are the
// printer's pixels.
//
//   FixedMetricsDevice device;
//   TPagePrinter printer(device, clock);
//   printer.SetTableFormat("<1.01|>0.52");
//   printer.BeginDoc();
//   printer.WriteLine("Valuation as of 12/31/1999");
//   printer.WriteTableLine("@Acme|12.50");
//   printer.EndDoc();
//   printer.PageCount();   // 1
//
// Errors of the component are thrown as EPagePrinter with the texts the users
// see ("Can't clear contents while printing").
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "club/clock.h"
#include "reports/page_device.h"
#include "reports/recorded_page.h"
#include "reports/table_format.h"
#include "store/file_layer.h"

namespace pellmark::reports {

class EPagePrinter : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TMeasureUnit { muInches, muMillimeters };
enum class TLineSpacing { lsHalfSpace, lsSingleSpace, lsSingleAndAHalf, lsDoubleSpace };
enum class TZoomLocation { zlTopLeft, zlTopCenter, zlCenter };
enum TPageBorder : unsigned { pbTop = 1, pbBottom = 2, pbLeft = 4, pbRight = 8 };

// The printer's side of Print: one document of physical pages.
class PrintJob {
 public:
  virtual ~PrintJob() = default;
  virtual int CopyCount() const = 0;
  virtual void SetCopyCount(int copies) = 0;
  virtual void BeginDocument(const std::string& title) = 0;
  virtual void PrintPage(const PageList& pages, const RecordedPage& page) = 0;
  virtual void NewPhysicalPage() = 0;
  virtual void EndDocument() = 0;
  virtual void AbortDocument() = 0;
  virtual bool Printing() const = 0;
};

// What the progress dialog ("Print Progress") shows for one page.
struct PrintProgressState {
  std::string caption;   // Title
  std::string status;    // ProgressMessage, or "Sending Pages To Printer"
  std::string page_label;  // "Page 2 of 5 x 3 Copies"
  int maximum = 0;
  int position = 0;
};

// The progress dialog of Print. PumpMessages lets the user press Cancel, whose
// handler calls TPagePrinter::RequestCancel.
class PrintProgress {
 public:
  virtual ~PrintProgress() = default;
  virtual void Show(bool show_cancel) = 0;
  virtual void Update(const PrintProgressState& state) = 0;
  virtual void PumpMessages() = 0;
  virtual void Close() = 0;
};

// The preview's window: its client area, the system's scroll bars and the screen.
struct PreviewViewport {
  int client_width = 0;
  int client_height = 0;
  int vscroll_width = 0;
  int hscroll_height = 0;
  int screen_dpi_x = 96;
  int screen_dpi_y = 96;
};

class TPagePrinter {
 public:
  TPagePrinter(PageDevice& device, const Clock& clock);

  // Fonts.
  const Font& GetFont() const { return font_; }
  void SetFont(const Font& font);
  const Font& HeaderFont() const { return header_font_; }
  void SetHeaderFont(const Font& font) { header_font_ = font; }
  const Font& FooterFont() const { return footer_font_; }
  void SetFooterFont(const Font& font) { footer_font_ = font; }
  bool AutoHeaderFont() const { return auto_header_font_; }
  void SetAutoHeaderFont(bool on) { auto_header_font_ = on; }
  bool AutoFooterFont() const { return auto_footer_font_; }
  void SetAutoFooterFont(bool on) { auto_footer_font_ = on; }

  // Page geometry.
  TMeasureUnit MeasureUnit() const { return measure_unit_; }
  void SetMeasureUnit(TMeasureUnit unit);
  double MarginTop() const { return margin_top_; }
  double MarginBottom() const { return margin_bottom_; }
  double MarginLeft() const { return margin_left_; }
  double MarginRight() const { return margin_right_; }
  void SetMarginTop(double value);
  void SetMarginBottom(double value);
  void SetMarginLeft(double value);
  void SetMarginRight(double value);
  Orientation GetOrientation() const { return orientation_; }
  void SetOrientation(Orientation orientation);
  // The job title; "<Unknown>" when there is no printer.
  std::string Title() const;
  void SetTitle(std::string title) { title_ = std::move(title); }

  // Lines.
  TLineSpacing LineSpacing() const { return line_spacing_; }
  void SetLineSpacing(TLineSpacing spacing);
  int TabSize() const { return tab_size_; }
  void SetTabSize(int size) { tab_size_ = size; }
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool on) { word_wrap_ = on; }
  TextAlignment Alignment() const { return alignment_; }
  void SetAlignment(TextAlignment alignment) { alignment_ = alignment; }
  bool AutoResetX() const { return auto_reset_x_; }
  void SetAutoResetX(bool on) { auto_reset_x_ = on; }

  // Tables.
  const std::string& TableFormat() const { return table_format_.text; }
  void SetTableFormat(std::string_view format);
  bool TableGrid() const { return table_grid_; }
  void SetTableGrid(bool on) { table_grid_ = on; }
  char TokenSeparator() const { return separator_; }
  void SetTokenSeparator(char separator) { separator_ = separator; }
  double DefaultColWidth() const { return default_col_width_; }
  void SetDefaultColWidth(double width) { default_col_width_ = width; }

  // Headers, footers and borders.
  const std::string& Header() const { return header_; }
  void SetHeader(std::string header) { header_ = std::move(header); }
  const std::string& Footer() const { return footer_; }
  void SetFooter(std::string footer) { footer_ = std::move(footer); }
  const std::string& HeaderFormat() const { return header_format_.text; }
  void SetHeaderFormat(std::string_view format);
  const std::string& FooterFormat() const { return footer_format_.text; }
  void SetFooterFormat(std::string_view format);
  const std::string& FriendlyHeader() const { return friendly_header_; }
  void SetFriendlyHeader(std::string friendly);
  const std::string& FriendlyFooter() const { return friendly_footer_; }
  void SetFriendlyFooter(std::string friendly);
  unsigned PageBorders() const { return page_borders_; }
  void SetPageBorders(unsigned borders) { page_borders_ = borders; }
  double PageBorderOffset() const { return page_border_offset_; }
  void SetPageBorderOffset(double offset) { page_border_offset_ = offset; }

  // Text-file mode.
  bool PrintToFile() const { return print_to_file_; }
  void SetPrintToFile(bool on);
  const std::string& FileName() const { return file_name_; }
  void SetFileName(std::string_view name);
  // The layer the text file is saved through: the club's, so that it fails
  // and is tested as the club's other files are.
  void SetFileLayer(store::FileLayer& files) { files_ = &files; }

  // Printing.
  int Copies() const { return copies_; }
  void SetCopies(int copies) { copies_ = copies < 1 ? 1 : copies; }
  bool Collate() const { return collate_; }
  void SetCollate(bool on) { collate_ = on; }
  bool ShowProgress() const { return show_progress_; }
  void SetShowProgress(bool on) { show_progress_ = on; }
  bool ShowCancel() const { return show_cancel_; }
  void SetShowCancel(bool on) { show_cancel_ = on; }
  bool AbortOnCancel() const { return abort_on_cancel_; }
  void SetAbortOnCancel(bool on) { abort_on_cancel_ = on; }
  const std::string& ProgressMessage() const { return progress_message_; }
  void SetProgressMessage(std::string message) { progress_message_ = std::move(message); }
  int PrintFromPage() const { return print_from_; }
  int PrintToPage() const { return print_to_; }
  void SetPrintFromPage(int page);
  void SetPrintToPage(int page);
  bool UseColor() const { return use_color_; }
  void SetUseColor(bool on) { use_color_ = on; }

  // Preview.
  int ZoomPercent() const { return zoom_percent_; }
  void SetZoomPercent(int percent) { zoom_percent_ = percent < 1 ? 1 : percent; }
  TZoomLocation ZoomLocation() const { return zoom_location_; }
  void SetZoomLocation(TZoomLocation location) { zoom_location_ = location; }
  int ShadowOffset() const { return shadow_offset_; }
  void SetShadowOffset(int offset) { shadow_offset_ = offset; }
  Rgb ShadowColor() const { return shadow_color_; }
  void SetShadowColor(Rgb color) { shadow_color_ = color; }
  bool ShowMargins() const { return show_margins_; }
  void SetShowMargins(bool on) { show_margins_ = on; }
  bool GradientBackground() const { return gradient_background_; }
  void SetGradientBackground(bool on) { gradient_background_ = on; }
  void ZoomToWidth(const PreviewViewport& viewport);
  void ZoomToHeight(const PreviewViewport& viewport);
  void ZoomToPage(const PreviewViewport& viewport);
  // The previewed sheet's size in screen pixels at the current zoom.
  int SheetWidth(int screen_dpi_x) const;
  int SheetHeight(int screen_dpi_y) const;

  // Lines that WriteLines prints.
  std::vector<std::string> Lines;
  // Fired at each page start and after each line.
  std::function<void()> OnNewPage;
  std::function<void()> OnNewLine;

  // State.
  int PageNumber() const { return page_number_; }
  // 1 … PageCount; otherwise "PageNumber must be between 1 and <count>" while
  // there are pages, and 0 when there are none.
  void SetPageNumber(int page);
  int PageCount() const { return static_cast<int>(pages_.pages.size()); }
  int LineNumber() const { return line_number_; }
  int CurrentX() const { return current_x_; }
  int CurrentY() const { return current_y_; }
  void SetCurrentX(int x) { current_x_ = x; }
  void SetCurrentY(int y) { current_y_ = y; }
  bool Building() const { return building_; }
  const PageList& Pages() const { return pages_; }

  // Derived measures.
  int CharWidth();
  int CharHeight();
  int LineHeight();
  int LeftOffset() const;
  int TopOffset() const;
  int PrintableWidth() const;
  int PrintableHeight() const;
  PrinterGeometry Geometry() const { return device_.Geometry(orientation_); }
  // A length in MeasureUnit as horizontal / vertical printer pixels.
  int PixelsX(double length) const;
  int PixelsY(double length) const;

  // Documents.
  void BeginDoc();
  void EndDoc();
  int NewPage();
  int NewLine();
  void WriteLine(std::string_view text);
  void WriteTableLine(std::string_view text);
  void WriteLines(bool as_table);
  void DrawHorizontalRule(int count);
  void ClearContents();
  // Prints pages PrintFromPage … PrintToPage in Copies copies; false when the
  // user cancelled. Errors of the job pass to the caller.
  bool Print(PrintJob& job, PrintProgress* progress);
  void RequestCancel() { cancel_requested_ = true; }

  // Font and pen helpers, on the page being recorded.
  void SetFontSize(double points);
  void SetFontColor(Rgb color) { text_color_ = color; }
  void BoldOn();
  void BoldOff();
  void SetPenColor(Rgb color) { pen_color_ = color; }
  void SolidPen() { pen_style_ = PenStyle::kSolid; }
  void DottedPen() { pen_style_ = PenStyle::kDotted; }
  // Position helpers.
  void MoveX(int characters) { current_x_ += characters * CharWidth(); }
  // A straight line between points relative to the body's top-left corner.
  void DrawLine(int x1, int y1, int x2, int y2);
  // How many copies of `text` fill the width of `count` digits.
  int RepeatCount(std::string_view text, int count);

 private:
  struct Cell;
  void RefreshMetrics();
  double ClampMargin(double value, bool vertical) const;
  void SetMargin(double& margin, double value, bool vertical, const char* error);
  double UnitsToInches(double length) const;
  double PixelsToUnits(int pixels, int dpi) const;
  void DeriveFriendly(const std::string& friendly, std::string& text, ColumnFormat& format);
  std::string ExpandMacros(std::string_view text) const;
  int FitLength(std::string_view text, int width, int* whole_width = nullptr);
  void StartPage();
  void DrawBorders();
  void EmitText(int x, int y, std::string_view text);
  void EmitLine(int x1, int y1, int x2, int y2, int width);
  void WriteRow(std::string_view text, const ColumnFormat& format);
  void WritePlainPart(std::string_view text);
  void TextFileWrite(std::string_view text);
  void TextFileEndLine();
  int PadX() const;
  int PenWidthX() const;
  int PenWidthY() const;

  PageDevice& device_;
  const Clock& clock_;

  Font font_;
  Font header_font_;
  Font footer_font_;
  bool auto_header_font_ = true;
  bool auto_footer_font_ = true;
  TMeasureUnit measure_unit_ = TMeasureUnit::muInches;
  double margin_top_ = 0, margin_bottom_ = 0, margin_left_ = 0, margin_right_ = 0;
  Orientation orientation_ = Orientation::kPortrait;
  std::string title_;
  TLineSpacing line_spacing_ = TLineSpacing::lsSingleSpace;
  int tab_size_ = 8;
  bool word_wrap_ = true;
  TextAlignment alignment_ = TextAlignment::kLeft;
  bool auto_reset_x_ = true;
  ColumnFormat table_format_;
  bool table_grid_ = false;
  char separator_ = '|';
  double default_col_width_ = 0;
  std::string header_, footer_;
  ColumnFormat header_format_, footer_format_;
  std::string friendly_header_, friendly_footer_;
  unsigned page_borders_ = 0;
  double page_border_offset_ = 0;
  bool print_to_file_ = false;
  std::string file_name_;
  store::FileLayer* files_ = &store::DefaultFileLayer();
  int copies_ = 1;
  bool collate_ = true;
  bool show_progress_ = true, show_cancel_ = true, abort_on_cancel_ = false;
  std::string progress_message_;
  int print_from_ = 0, print_to_ = 0;
  bool use_color_ = true;
  int zoom_percent_ = 25;
  TZoomLocation zoom_location_ = TZoomLocation::zlTopLeft;
  int shadow_offset_ = 5;
  Rgb shadow_color_ = 0xA0A0A0;
  bool show_margins_ = true;
  bool gradient_background_ = true;

  PageList pages_;
  RecordedPage* page_ = nullptr;  // the page being recorded
  int page_number_ = 0;
  int page_counter_ = 0;
  int line_number_ = 0;
  int current_x_ = 0;
  int current_y_ = 0;
  bool building_ = false;
  bool text_open_ = false;
  bool in_header_footer_ = false;
  bool cancel_requested_ = false;
  std::string text_file_;  // the text of text-file mode, saved whole by EndDoc
  Rgb text_color_ = kBlack;
  Rgb pen_color_ = kBlack;
  PenStyle pen_style_ = PenStyle::kSolid;
};

}  // namespace pellmark::reports
