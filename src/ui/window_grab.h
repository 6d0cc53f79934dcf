// Pictures of the main window and of the report window laid out at a fixed
// size without being shown; for the README's pictures and for checking the look.
//
//   GrabWindow(window, "members.png", "Members");
//   GrabReport("VAL010199.STM", "report.png", 1, club_folder, ui, clock);
#pragma once

#include <QString>
#include <filesystem>

#include "club/clock.h"

namespace pellmark::ui {

class QtInteraction;
class TPellmark;

// Each returns the program's exit status: 0 written, 1 the tab cannot be
// chosen, 2 an unknown tab or page, 3 the statement or the picture failed.
int GrabWindow(TPellmark& window, const QString& file, const QString& tab_name);
int GrabReport(const QString& statement, const QString& file, int page, const std::filesystem::path& club,
               QtInteraction& ui, const Clock& clock);

}  // namespace pellmark::ui
