// The page printer's dialogs: "Page Layout" (Tmargin), which edits the four
// margins, and "Print Progress" (TPPPrnPrgDlg), shown while pages go to the
// printer, whose Cancel asks the page printer to stop.
#pragma once

#include <QDialog>

#include "club/interaction.h"
#include "forms/margin_form.h"
#include "reports/page_printer.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace pellmark::ui {

class Tmargin : public QDialog {
  Q_OBJECT

 public:
  Tmargin(Interaction& ui, QWidget* parent = nullptr);
  // Shows the margins with two decimals.
  void Show(const MarginValues& margins);
  MarginForm Form() const;
  void SetForm(const MarginForm& form);
  // The four values after OK.
  MarginValues Values() const { return Form().Values().value_or(MarginValues{}); }

  void done(int result) override;

 private:
  Interaction& ui_;
  QLineEdit* top_;
  QLineEdit* bottom_;
  QLineEdit* left_;
  QLineEdit* right_;
};

class TPPPrnPrgDlg : public QDialog, public reports::PrintProgress {
  Q_OBJECT

 public:
  TPPPrnPrgDlg(reports::TPagePrinter& printer, QWidget* parent = nullptr);
  void Show(bool show_cancel) override;
  void Update(const reports::PrintProgressState& state) override;
  void PumpMessages() override;
  void Close() override;

 private:
  reports::TPagePrinter& printer_;
  QLabel* status_;
  QLabel* page_;
  QProgressBar* bar_;
  QPushButton* cancel_;
};

}  // namespace pellmark::ui
