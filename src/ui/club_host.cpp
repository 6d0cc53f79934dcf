#include "ui/club_host.h"

#include <QApplication>
#include <QSettings>

#include "ui/pellmark_window.h"

namespace pellmark::ui {
namespace {

constexpr const char* kRecentClubsKey = "RecentClubs";

QSettings UserSettings() { return QSettings(QStringLiteral("Quillomer"), QStringLiteral("Pellmark")); }

QString FolderText(const std::filesystem::path& folder) {
  return QString::fromStdString(std::filesystem::absolute(folder).lexically_normal().string());
}

}  // namespace

QStringList RecentClubs() { return UserSettings().value(QLatin1String(kRecentClubsKey)).toStringList(); }

void RememberClub(const std::filesystem::path& folder) {
  QStringList clubs = RecentClubs();
  const QString text = FolderText(folder);
  clubs.removeAll(text);
  clubs.prepend(text);
  while (clubs.size() > kRecentClubCount) clubs.removeLast();
  UserSettings().setValue(QLatin1String(kRecentClubsKey), clubs);
}

ClubHost::ClubHost(Interaction& ui, const Clock& clock, std::function<void(TPellmark&)> opened)
    : ui_(ui), clock_(clock), opened_(std::move(opened)) {}

ClubHost::~ClubHost() = default;

std::filesystem::path ClubHost::StartFolder(const std::optional<std::filesystem::path>& given) {
  if (given) return *given;
  const QStringList recent = RecentClubs();
  if (!recent.isEmpty() && std::filesystem::is_directory(recent.front().toStdString())) {
    return recent.front().toStdString();
  }
  return std::filesystem::current_path();
}

std::unique_ptr<Clock> ClubHost::StartClock(const std::optional<std::string>& today, Interaction& ui) {
  try {
    return MakeClock(today ? std::optional<std::string_view>(*today) : std::nullopt);
  } catch (const std::exception& error) {
    ui.ShowError(error.what());
    return nullptr;
  }
}

void ClubHost::OpenWindow(const std::filesystem::path& folder) {
  window_ = std::make_unique<TPellmark>(folder, ui_, clock_);
  // Queued: the request comes from the old window's menu, which must not be
  // destroyed inside its own signal.
  connect(window_.get(), &TPellmark::clubChosen, this,
          [this](const QString& chosen) { Open(chosen.toStdString()); }, Qt::QueuedConnection);
  if (opened_) opened_(*window_);
  RememberClub(folder);
}

bool ClubHost::Open(const std::filesystem::path& folder) {
  std::optional<std::filesystem::path> previous;
  QRect geometry;
  bool shown = false;
  // The program goes on while no window is shown between the two clubs.
  const bool quit_on_close = QApplication::quitOnLastWindowClosed();
  QApplication::setQuitOnLastWindowClosed(false);
  if (window_) {
    previous = window_->ClubFolder();
    geometry = window_->geometry();
    shown = window_->isVisible();
    window_->close();
    window_.reset();
  }
  bool opened = true;
  try {
    OpenWindow(folder);
  } catch (const std::exception& error) {
    ui_.ShowError(error.what());
    opened = false;
    if (previous) OpenWindow(*previous);
  }
  if (window_ && previous) {
    window_->setGeometry(geometry);
    if (shown) window_->show();
  }
  QApplication::setQuitOnLastWindowClosed(quit_on_close);
  return opened;
}

void ClubHost::BringToFront() {
  if (window_) window_->BringToFront();
}

}  // namespace pellmark::ui
