// A report of the report window: its caption, its choices under "&Options" and
// its layout into the page printer. GenerateReport is the window's layout run.
//
//   ValuationStatementReport report(statement, "Pellmark Investors", false);
//   report.options.Click(2);                    // "&All Members"
//   GenerateReport(report, printer, ui);         // "Report Generation failed" on error
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "club/interaction.h"
#include "reports/page_printer.h"

namespace pellmark::reports {

struct OptionItem {
  std::string caption;
  int tag = 0;
  bool checked = false;
};

// The "&Options" menu: shown only when it has items; the selection is the tag
// of the checked choice (-1 when the report has none).
class ReportOptions {
 public:
  static constexpr int kToggleTag = -99;

  void Add(std::string caption, int tag, bool checked = false);
  void Clear();
  const std::vector<OptionItem>& Items() const { return items_; }
  bool Visible() const { return !items_.empty(); }
  int Selection() const { return selection_; }
  void SetSelection(int tag) { selection_ = tag; }
  bool Checked(int tag) const;
  // A click on item `index`: the toggle flips and the selection falls to the
  // first other checked item; any other item becomes the selection, checked,
  // and the other checked items (not the toggle) are unchecked.
  void Click(std::size_t index);

 private:
  std::vector<OptionItem> items_;
  int selection_ = -1;
};

class Report {
 public:
  virtual ~Report() = default;
  virtual int Kind() const = 0;
  virtual std::string Caption() const = 0;
  // Lays the report out for the current choice between BeginDoc and EndDoc.
  virtual void Lay(TPagePrinter& printer) = 0;

  ReportOptions options;
};

// BeginDoc, the report's layout, EndDoc. Any error shows "Report Generation
// failed" and still ends the document, so the pages laid out so far can be
// seen and the next run starts afresh. False on error.
bool GenerateReport(Report& report, TPagePrinter& printer, Interaction& ui);

// The shared layout conventions of the reports.
namespace layout {
// Club name bold at 16 pt, regular 10 pt, a half-height gap, the title line and a full-width rule.
void Heading(TPagePrinter& printer, const std::string& club, const std::string& title);
// Two blank lines at half spacing.
void HalfGap(TPagePrinter& printer);
// Bold 12 pt, then regular.
void SectionTitle(TPagePrinter& printer, const std::string& title);
// A boxed section: Open notes where it starts and draws its top rule; Close
// draws its sides down to the current line and the closing rule. A box that
// crossed a page break has its sides from the top of the body on the last page.
class Box {
 public:
  explicit Box(TPagePrinter& printer);
  void Close();

 private:
  TPagePrinter& printer_;
  int top_;
  int page_;
};
}  // namespace layout

}  // namespace pellmark::reports
