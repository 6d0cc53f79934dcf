// TPellmark: the main window of the desktop program.
#pragma once

#include <QMainWindow>
#include <filesystem>

namespace pellmark::ui {

class TPellmark : public QMainWindow {
  Q_OBJECT

 public:
  explicit TPellmark(std::filesystem::path club_folder, QWidget* parent = nullptr);

  const std::filesystem::path& ClubFolder() const { return club_folder_; }

 private:
  void BuildMenus();

  std::filesystem::path club_folder_;
};

}  // namespace pellmark::ui
