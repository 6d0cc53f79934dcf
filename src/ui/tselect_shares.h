// Tselectshares: the lot chooser of a sale or a covering purchase, and the folder
// chooser "Select Target Directory". The allocation and the folder listing are
// the core's (LotChooser, ListFolders, ListMatchingFiles); this window draws them.
//
//   Tselectshares lots(ui, window);
//   lots.PrepareLots(request);
//   lots.exec();
//   LotChooserResult chosen = lots.LotResult();
//
//   Tselectshares folders(ui, window);
//   folders.PrepareFolders({start, "*.bck"});
//   if (folders.exec() == QDialog::Accepted) use(folders.ChosenFolder());
#pragma once

#include <QDialog>
#include <filesystem>
#include <memory>
#include <optional>

#include "club/interaction.h"
#include "forms/folder_chooser.h"
#include "forms/lot_chooser.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace pellmark::ui {

class Tselectshares : public QDialog {
  Q_OBJECT

 public:
  Tselectshares(Interaction& ui, QWidget* parent = nullptr);
  ~Tselectshares() override;

  void PrepareLots(const LotChooserRequest& request);
  void PrepareFolders(const FolderChooserRequest& request);

  LotChooserResult LotResult() const { return lot_result_; }
  // The folder shown when OK was pressed; nullopt when cancelled.
  std::optional<std::filesystem::path> ChosenFolder() const { return chosen_folder_; }

 signals:
  void helpRequested(int topic);

 private:
  void DrawLots();
  void OpenFolder(const std::filesystem::path& folder);
  void stockfilterClick();
  void BitBtn1Click();
  void BitBtn2Click();

  Interaction& ui_;
  std::unique_ptr<securities::LotChooser> lots_;
  LotChooserResult lot_result_;
  FolderChooserRequest folder_request_;
  std::filesystem::path folder_;
  std::optional<std::filesystem::path> chosen_folder_;

  QLabel* NameLabel_ = nullptr;
  QGroupBox* lotgroup_ = nullptr;
  QTableWidget* stockgrid_ = nullptr;
  QLabel* totallabel_ = nullptr;
  QLineEdit* tshares_ = nullptr;
  QLabel* seccnt_ = nullptr;
  QPushButton* stockfilter_ = nullptr;
  QGroupBox* foldergroup_ = nullptr;
  QLineEdit* drive_ = nullptr;
  QListWidget* directories_ = nullptr;
  QListWidget* files_ = nullptr;
  QPushButton* BitBtn1_ = nullptr;
  QPushButton* BitBtn2_ = nullptr;
  QPushButton* sellshareshelp_ = nullptr;
};

}  // namespace pellmark::ui
