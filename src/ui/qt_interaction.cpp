#include "ui/qt_interaction.h"

#include <QApplication>
#include <QCursor>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QMessageBox>
#include <QSoundEffect>
#include <QUrl>

#include "club/text_encoding.h"
#include "ui/help_window.h"
#include "ui/tsecurity_input.h"
#include "ui/tselect_shares.h"

// The built-in sound is compiled into the library; a static library needs its
// resources registered by hand.
static void RegisterSounds() { Q_INIT_RESOURCE(sounds); }

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

QtInteraction::QtInteraction(QWidget* parent) : parent_(parent) {}

QtInteraction::~QtInteraction() = default;

void QtInteraction::SetClubFolder(std::filesystem::path folder) {
  club_folder_ = std::move(folder);
  sound_.reset();
}

void QtInteraction::PlayConfirmationSound() {
  if (QMediaDevices::audioOutputs().isEmpty()) return;
  if (sound_ == nullptr) {
    const std::filesystem::path own = club_folder_ / "Qrecord.wav";
    std::error_code ignored;
    RegisterSounds();
    sound_ = std::make_unique<QSoundEffect>();
    sound_->setSource(std::filesystem::is_regular_file(own, ignored) ? QUrl::fromLocalFile(QString::fromStdString(own.string()))
                                                                     : QUrl(QStringLiteral("qrc:/sounds/confirm.wav")));
  }
  sound_->play();
}

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

namespace {

// A dialog's Help opens the topic in a help window of its own, so the page can be
// read and scrolled while the modal dialog stays open.
void ShowHelpOver(QWidget& dialog, int topic) {
  auto* help = dialog.findChild<HelpWindow*>();
  if (help == nullptr) help = new HelpWindow(&dialog);
  help->ShowTopic(topic);
}

}  // namespace

EntryDialogResult QtInteraction::RunEntryDialog(const EntryDialogRequest& request) {
  TsecurityInput dialog(*this, parent_);
  QObject::connect(&dialog, &TsecurityInput::helpRequested, &dialog, [&dialog](int topic) { ShowHelpOver(dialog, topic); });
  dialog.Prepare(request);
  dialog.exec();
  return dialog.Result();
}

LotChooserResult QtInteraction::RunLotChooser(const LotChooserRequest& request) {
  Tselectshares dialog(*this, parent_);
  QObject::connect(&dialog, &Tselectshares::helpRequested, &dialog, [&dialog](int topic) { ShowHelpOver(dialog, topic); });
  dialog.PrepareLots(request);
  dialog.exec();
  return dialog.LotResult();
}

std::optional<std::filesystem::path> QtInteraction::ChooseTargetDirectory(const FolderChooserRequest& request) {
  Tselectshares dialog(*this, parent_);
  QObject::connect(&dialog, &Tselectshares::helpRequested, &dialog, [&dialog](int topic) { ShowHelpOver(dialog, topic); });
  dialog.PrepareFolders(request);
  dialog.exec();
  return dialog.ChosenFolder();
}

}  // namespace pellmark::ui
