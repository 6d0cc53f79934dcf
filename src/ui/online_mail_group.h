// The Reports page's "Online" mode (`oreports`): a report kind (valuation,
// distribution, vote, roster letter) is chosen by
// its "Attach ..." button (the label `attachlabel` names it), the recipients
// are the members selected in the list `mailmembers`, and "Send" (`oreptsend`,
// enabled only with a kind and a member) writes the kind's text statement into
// the club folder and mails it through the connection dialog; with "Also as
// PDF" (`attachpdf`) the printed report goes too, written beside the text
// statement. Afterwards Send is disabled and the choices are cleared.
#pragma once

#include <QWidget>
#include <filesystem>
#include <functional>
#include <optional>

#include "books/books.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace pellmark::ui {

class CommandGroup;
class DateEntry;

class OnlineMailGroup : public QWidget {
  Q_OBJECT

 public:
  // `choose_statement` asks for a statement file as "Print" does.
  using StatementChooser = std::function<std::optional<std::filesystem::path>()>;
  // Shows the connection dialog for a prepared mail; by default the window's TInternetform.
  using Sender = std::function<MailRun(const ReportMail& report)>;
  OnlineMailGroup(Books& books, DateEntry& reportdate, StatementChooser choose_statement, QWidget* parent);

  void SetSender(Sender sender) { send_ = std::move(sender); }
  void oreportsClick();
  void ChooseKind(ReportMailKind kind);
  void oreptsendClick();

 private:
  void EnableSend();
  void ClearChoices();
  // The kind's printed report as a PDF beside `text_file`; nullopt when it could not be written.
  std::optional<std::filesystem::path> WritePdf(const std::filesystem::path& text_file, DayNumber date,
                                                const std::filesystem::path& valuation_statement);

  Books& books_;
  DateEntry& reportdate_;
  StatementChooser choose_statement_;
  Sender send_;
  std::optional<ReportMailKind> kind_;
  QCheckBox* oreports_;
  QCheckBox* attachpdf_;
  CommandGroup* kinds_;
  QLabel* attachlabel_;
  QListWidget* members_;
  QPushButton* oreptsend_;
};

}  // namespace pellmark::ui
