// The page printer's preview: the recorded page at the printer's zoom on a
// shaded background, with the sheet's drop shadow and, when asked, its margins
// dotted in silver. The page printer holds the zoom; this control scrolls and
// paints.
#pragma once

#include <QAbstractScrollArea>

#include "reports/page_printer.h"

namespace pellmark::qtpage {

class PagePreview : public QAbstractScrollArea {
  Q_OBJECT

 public:
  PagePreview(reports::TPagePrinter& printer, QWidget* parent = nullptr);

  // The window as TPagePrinter's ZoomTo… take it.
  reports::PreviewViewport Viewport() const;
  // After the zoom or the page changed: new scroll ranges, scrolled as
  // ZoomLocation says, and a repaint.
  void Refresh();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void UpdateScrollRanges();
  reports::TPagePrinter& printer_;
};

}  // namespace pellmark::qtpage
