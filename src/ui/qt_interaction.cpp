#include "ui/qt_interaction.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>

#include "club/text_encoding.h"
#include "ui/tselect_shares.h"
#include "ui/tsecurity_input.h"

namespace pellmark::ui {

QString FromCore(std::string_view text) { return QString::fromStdString(ToUtf8(text)); }

std::string ToCore(const QString& text) { return ToWindows1252(text.toStdString()); }

void QtInteraction::ShowError(std::string_view text) {
  QApplication::beep();
  QMessageBox::critical(parent_, QStringLiteral("Pellmark"), FromCore(text));
}

void QtInteraction::ShowInformation(std::string_view text) {
  QMessageBox::information(parent_, QStringLiteral("Pellmark"), FromCore(text));
}

bool QtInteraction::Confirm(std::string_view text, bool beep) {
  if (beep) QApplication::beep();
  return QMessageBox::question(parent_, QStringLiteral("Pellmark"), FromCore(text),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void QtInteraction::Beep() { QApplication::beep(); }

void QtInteraction::PlayConfirmationSound() {}

void QtInteraction::SetBusy(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void QtInteraction::ShowProgress(std::string_view, int) { QApplication::processEvents(); }

bool QtInteraction::KeepResponsive() {
  QApplication::processEvents();
  return true;
}

EntryDialogResult QtInteraction::RunEntryDialog(const EntryDialogRequest& request) {
  TsecurityInput dialog(*this, parent_);
  dialog.Prepare(request);
  dialog.exec();
  return dialog.Result();
}

LotChooserResult QtInteraction::RunLotChooser(const LotChooserRequest& request) {
  Tselectshares dialog(*this, parent_);
  dialog.PrepareLots(request);
  dialog.exec();
  return dialog.LotResult();
}

std::optional<std::filesystem::path> QtInteraction::ChooseTargetDirectory(const FolderChooserRequest& request) {
  Tselectshares dialog(*this, parent_);
  dialog.PrepareFolders(request);
  dialog.exec();
  return dialog.ChosenFolder();
}

}  // namespace pellmark::ui
