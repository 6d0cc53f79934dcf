// The "Support" sheet of the Special page: a message box (`Memo2`), "Attach
// File", "Clear Mail Buffer" and "Send", which mails the message (and the file)
// to the support address through the connection dialog.
#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace pellmark {
class Books;
}

namespace pellmark::ui {

class SupportSheet : public QWidget {
  Q_OBJECT

 public:
  SupportSheet(Books& books, QWidget* parent = nullptr);

  void sendsupportClick();
  void attachsupfileClick();
  void clearsupbufferClick();
  void Memo2Change();

 private:
  Books& books_;
  QPlainTextEdit* memo_;
  QLabel* fileattach_;
  QPushButton* attach_;
  QPushButton* clear_;
  QPushButton* send_;
};

}  // namespace pellmark::ui
