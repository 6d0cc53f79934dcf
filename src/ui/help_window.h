// The help window: the program's own help pages, one per topic number, shown in
// a browser with Back and Contents buttons. Topic 1 is the contents page.
//
//   help->ShowTopic(2002);   // the dues page's help
#pragma once

#include <QWidget>

class QTextBrowser;

namespace pellmark::ui {

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kIndexTopic = 1;

  explicit HelpWindow(QWidget* parent = nullptr);

  // Opens the page of `topic` and brings the window to the front.
  void ShowTopic(int topic);
  // The topic of the page shown, 0 when none.
  int Topic() const;
  // The shown page as plain text.
  QString PageText() const;

 private:
  QTextBrowser* browser_;
};

}  // namespace pellmark::ui
