// The interaction port in the desktop program: Qt message boxes with the
// program's name as their title, the system beep, the wait cursor, and the
// confirmation sound (the club folder's "Qrecord.wav", else the built-in one;
// silent where the system has no audio output).
#pragma once

#include <QObject>
#include <filesystem>
#include <memory>

#include "club/interaction.h"

class QSoundEffect;
class QWidget;

namespace pellmark::ui {

class QtInteraction : public Interaction {
 public:
  explicit QtInteraction(QWidget* parent);
  ~QtInteraction() override;

  // The window the message boxes belong to.
  void SetParent(QWidget* parent) { parent_ = parent; }
  // The club folder, where a "Qrecord.wav" of the club's own replaces the built-in sound.
  void SetClubFolder(std::filesystem::path folder);
  // For runs nobody watches (a picture taken with --grab): messages go to
  // stderr instead of boxes that would wait for a click, and questions are
  // answered No there, so the run always ends.
  void SetUnattended(bool unattended) { unattended_ = unattended; }

  void ShowError(std::string_view text) override;
  void ShowInformation(std::string_view text) override;
  bool Confirm(std::string_view text, bool beep = true) override;
  void Beep() override;
  void PlayConfirmationSound() override;
  void SetBusy(bool busy) override;
  void ShowProgress(std::string_view caption, int percent) override;
  bool KeepResponsive() override;
  // The entry dialog (TsecurityInput), the lot chooser and the folder chooser
  // (Tselectshares), modal over the parent window.
  EntryDialogResult RunEntryDialog(const EntryDialogRequest& request) override;
  LotChooserResult RunLotChooser(const LotChooserRequest& request) override;
  std::optional<std::filesystem::path> ChooseTargetDirectory(const FolderChooserRequest& request) override;

 private:
  QWidget* parent_;
  bool unattended_ = false;
  std::filesystem::path club_folder_;
  std::unique_ptr<QSoundEffect> sound_;
};

// Windows-1252 text of the core as a QString.
QString FromCore(std::string_view text);
// A QString as the core's Windows-1252 text.
std::string ToCore(const QString& text);

}  // namespace pellmark::ui
