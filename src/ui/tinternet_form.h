// TInternetform, "Internet Connection Status": the connection dialog of the
// quote run over the core's InternetForm. "Connect" (`ok`) runs the fetch
// while the window keeps handling events, so Abort (`BitBtn1`), Escape and the
// window's close button stop it; the status line (`status`) shows each step
// and the progress parentheses.
//
//   TInternetform dialog(window);
//   books.FetchQuotes(service, dialog);   // runs it modal
#pragma once

#include <QDialog>

#include "forms/internet_form.h"

class QLabel;
class QPushButton;

namespace pellmark::ui {

class TInternetform : public QDialog, public ConnectionDialog {
  Q_OBJECT

 public:
  explicit TInternetform(QWidget* parent = nullptr);

  // Shows the prepared form modal until it closes, done or aborted.
  void Run(InternetForm& form) override;

 public slots:
  void reject() override;

 private slots:
  void okClick();
  void BitBtn1Click();

 private:
  void Refresh();

  InternetForm* form_ = nullptr;
  QLabel* title_;
  QLabel* status_;
  QPushButton* ok_;
  QPushButton* abort_;
};

}  // namespace pellmark::ui
