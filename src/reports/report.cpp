#include "reports/report.h"

#include <exception>

#include "club/failure_log.h"

namespace pellmark::reports {

void ReportOptions::Add(std::string caption, int tag, bool checked) {
  items_.push_back({std::move(caption), tag, checked});
}

void ReportOptions::Clear() {
  items_.clear();
  selection_ = -1;
}

bool ReportOptions::Checked(int tag) const {
  for (const OptionItem& item : items_) {
    if (item.tag == tag) return item.checked;
  }
  return false;
}

void ReportOptions::Click(std::size_t index) {
  OptionItem& clicked = items_.at(index);
  if (clicked.tag == kToggleTag) {
    clicked.checked = !clicked.checked;
    for (const OptionItem& item : items_) {
      if (item.checked && item.tag != kToggleTag) {
        selection_ = item.tag;
        break;
      }
    }
    return;
  }
  for (OptionItem& item : items_) {
    if (item.tag != kToggleTag) item.checked = false;
  }
  clicked.checked = true;
  selection_ = clicked.tag;
}

bool GenerateReport(Report& report, TPagePrinter& printer, Interaction& ui) {
  ui.SetBusy(true);
  try {
    printer.BeginDoc();
    report.Lay(printer);
    printer.EndDoc();
  } catch (const std::exception& error) {
    LogFailure("Report Generation failed", error);
    if (printer.Building()) {
      try {
        printer.EndDoc();
      } catch (const std::exception&) {
        // The layout's failure is the one to report.
      }
    }
    ui.SetBusy(false);
    ui.ShowError("Report Generation failed");
    return false;
  }
  ui.SetBusy(false);
  return true;
}

namespace layout {

void Heading(TPagePrinter& printer, const std::string& club, const std::string& title) {
  printer.BoldOn();
  printer.SetFontSize(16);
  printer.WriteLine(club);
  printer.BoldOff();
  printer.SetFontSize(10);
  HalfGap(printer);
  printer.WriteLine(title);
  printer.DrawHorizontalRule(-1);
}

void HalfGap(TPagePrinter& printer) {
  TLineSpacing saved = printer.LineSpacing();
  printer.SetLineSpacing(TLineSpacing::lsHalfSpace);
  printer.WriteLine(" ");
  printer.WriteLine(" ");
  printer.SetLineSpacing(saved);
}

void SectionTitle(TPagePrinter& printer, const std::string& title) {
  printer.BoldOn();
  printer.SetFontSize(12);
  printer.WriteLine(title);
  printer.BoldOff();
}

Box::Box(TPagePrinter& printer) : printer_(printer), top_(printer.CurrentY()), page_(static_cast<int>(printer.Pages().pages.size())) {
  printer_.DrawHorizontalRule(-1);
}

void Box::Close() {
  int top = static_cast<int>(printer_.Pages().pages.size()) == page_ ? top_ : 0;
  int bottom = printer_.CurrentY();
  printer_.DrawLine(0, top, 0, bottom);
  printer_.DrawLine(printer_.PrintableWidth(), top, printer_.PrintableWidth(), bottom);
  printer_.DrawHorizontalRule(-1);
}

}  // namespace layout

}  // namespace pellmark::reports
