// The desktop program's club window, one club at a time. File › Open Club… and
// File › Recent Clubs ask the host for another club: the shown club is closed
// cleanly (stores rewritten, view state kept) before the chosen one opens in a
// new window at the same place.
//
//   ClubHost host(ui, clock, [&](TPellmark& window) { ui.SetParent(&window); });
//   if (!host.Open(ClubHost::StartFolder(given))) return 3;
//   host.Window()->show();
#pragma once

#include <QObject>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "club/clock.h"
#include "club/interaction.h"

namespace pellmark::ui {

class TPellmark;

// The last clubs opened, newest first, at most kRecentClubCount, from the user's settings.
inline constexpr int kRecentClubCount = 5;
QStringList RecentClubs();
// Puts the folder at the head of the recent clubs.
void RememberClub(const std::filesystem::path& folder);

class ClubHost : public QObject {
  Q_OBJECT

 public:
  // `opened` runs for each new window before it is shown.
  ClubHost(Interaction& ui, const Clock& clock, std::function<void(TPellmark&)> opened = {});
  ~ClubHost() override;

  // The folder given at start, else the last club used, else the working directory.
  static std::filesystem::path StartFolder(const std::optional<std::filesystem::path>& given);
  // The clock of the day given at start (mm/dd/yyyy), else the system's; null
  // after showing why the day was refused.
  static std::unique_ptr<Clock> StartClock(const std::optional<std::string>& today, Interaction& ui);

  // Closes the shown club and opens `folder`; on a store error shows it, opens
  // the previous club again and returns false.
  bool Open(const std::filesystem::path& folder);
  TPellmark* Window() const { return window_.get(); }

 public slots:
  void BringToFront();

 private:
  void OpenWindow(const std::filesystem::path& folder);

  Interaction& ui_;
  const Clock& clock_;
  std::function<void(TPellmark&)> opened_;
  std::unique_ptr<TPellmark> window_;
};

}  // namespace pellmark::ui
