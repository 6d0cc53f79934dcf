#include "ui/qt_interaction.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>

#include "club/text_encoding.h"

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

}  // namespace pellmark::ui
