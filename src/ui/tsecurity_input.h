// TsecurityInput: the one modal entry dialog for every transaction kind of
// securities, members and accounts. It draws the core's EntryForm, passes the
// user's typing and clicks to the core's EntryDialog, and shows the messages of
// a refused OK through the interaction port; the rules live in the core.
//
//   TsecurityInput dialog(ui, window);
//   dialog.Prepare(request);
//   dialog.exec();
//   EntryDialogResult result = dialog.Result();
#pragma once

#include <QDialog>
#include <memory>

#include "club/interaction.h"
#include "forms/entry_dialog.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace pellmark::ui {

class TsecurityInput : public QDialog {
  Q_OBJECT

 public:
  TsecurityInput(Interaction& ui, QWidget* parent = nullptr);
  ~TsecurityInput() override;

  // Lays the dialog out for the request's mode and fills it from its record.
  void Prepare(const EntryDialogRequest& request);
  // The outcome and the record read back; cancelled until OK is accepted.
  EntryDialogResult Result() const { return result_; }
  // The core model behind the window.
  const EntryDialog& Model() const { return *model_; }

 signals:
  // The help button asks for the mode's help topic.
  void helpRequested(int topic);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Build();
  void Draw();
  void ReadTyping();
  // Reads the typing, runs one handler of the model and redraws.
  template <typename Handler>
  void Handle(Handler handler);
  void OkClick();
  void CancelClick();
  void AbortClick();

  Interaction& ui_;
  std::unique_ptr<EntryDialog> model_;
  EntryDialogResult result_;
  bool drawing_ = false;

  QFormLayout* form_ = nullptr;
  QLabel* NameLabel_ = nullptr;
  QLineEdit* Date_ = nullptr;
  QLabel* ratio_ = nullptr;
  QLabel* typelabel_ = nullptr;
  QLineEdit* amount_ = nullptr;
  QLabel* pricelabel_ = nullptr;
  QLineEdit* price_ = nullptr;
  QGroupBox* captype_ = nullptr;
  QRadioButton* reduction_ = nullptr;
  QRadioButton* gain_ = nullptr;
  QLabel* payofflabel_ = nullptr;
  QComboBox* allunits_ = nullptr;
  QGroupBox* commgroup_ = nullptr;
  QLineEdit* commission_ = nullptr;
  QCheckBox* compcomm_ = nullptr;
  QGroupBox* accountgroup_ = nullptr;
  QCheckBox* tran_ = nullptr;
  QComboBox* accountbox_ = nullptr;
  QCheckBox* tax_ = nullptr;
  QLabel* desclabel_ = nullptr;
  QLineEdit* desc_ = nullptr;
  QCheckBox* cleared_ = nullptr;
  QCheckBox* fractions_ = nullptr;
  QLabel* warnlabel_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* abort_ = nullptr;
  QPushButton* secinphelp_ = nullptr;
};

}  // namespace pellmark::ui
