// Pictures of the entry dialog and the lot chooser, laid out at their natural
// size without being shown; for the README and for checking the look. Without a
// club they show sample records; given a club they show its own: the dialog the
// program would open there today, on its first security, member or default
// account, or with --change on a stored record of that kind (the newest of the
// first security, member or account that has one).
//
//   GrabDialog("buy", "buy.png", false);         // the "Buy" dialog of a new purchase, sample data
//   GrabDialog("13", "split.png", true);         // a split shown for change
//   GrabDialog("lots", "lots.png", false);       // the lot chooser of a sale
//   GrabClubDialog("buy", "buy.png", false, club, ui, clock);  // the club's accounts and securities
#pragma once

#include <QString>
#include <filesystem>
#include <optional>

#include "club/clock.h"
#include "club/entry_dialog_mode.h"

class QWidget;

namespace pellmark::ui {

class QtInteraction;

// Each writes the picture and returns the program's exit status: 0 written,
// 1 the club has nothing to show in that dialog, 2 unknown dialog, 3 the club or
// the file could not be opened or written.
int GrabDialog(const QString& which, const QString& file, bool change);
int GrabClubDialog(const QString& which, const QString& file, bool change, const std::filesystem::path& club,
                   QtInteraction& ui, const Clock& clock);

// The entry dialogs by the names of the pellmark-cli commands that fill them
// ("buy", "check", "payoff" ...) or by number; nullopt for any other name.
std::optional<EntryMode> EntryModeNamed(const QString& name);
// Lays the widget out at its natural size and writes its picture: 0, or 3 when
// the file cannot be written.
int SaveWidgetPicture(QWidget& widget, const QString& file);
// The names the dialog grabs accept, for a usage message.
QString DialogNames();

}  // namespace pellmark::ui
