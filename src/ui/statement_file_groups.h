// The Reports page's "To File" mode (`ofiles`): its groups offer "Statement
// File", "Distribution File", "Roster File" and "Vote File". Each writes its
// text statement into the club folder under the fixed name, then a save dialog
// ("Text Files (*.txt)", in the club folder, proposing the statement's name
// with "txt" for its extension, or "Roster_" + mmddyyyy + ".txt" …) copies it
// to the chosen file and says so.
#pragma once

#include <QWidget>
#include <filesystem>
#include <functional>
#include <optional>

#include "books/books.h"
#include "books/text_statement_files.h"
#include "club/interaction.h"

namespace pellmark::ui {

class DateEntry;

// The proposed save names.
std::string ProposedTextName(const std::filesystem::path& statement);  // "V12312026.txt"
std::string ProposedTextName(std::string_view prefix, DayNumber date);  // "Roster_12312026.txt"

class StatementFileGroups : public QWidget {
  Q_OBJECT

 public:
  // `choose_statement` asks for a statement file as "Print" does.
  using StatementChooser = std::function<std::optional<std::filesystem::path>()>;
  StatementFileGroups(Books& books, Interaction& ui, DateEntry& reportdate, StatementChooser choose_statement,
                      QWidget* parent);

  // Where the copy goes; by default a save dialog in the club folder. Nothing when cancelled.
  using SaveChooser = std::function<std::optional<std::filesystem::path>(const QString& proposed)>;
  void SetSaveChooser(SaveChooser chooser) { choose_save_ = std::move(chooser); }

  void StatementFileClick();
  void DistributionFileClick();
  void RosterFileClick();
  void VoteFileClick();

 private:
  // Copies the written text to the file the user chooses and shows `saved` + file + ".".
  void SaveCopy(const TextStatementFile& written, const std::string& proposed, const std::string& saved);

  Books& books_;
  Interaction& ui_;
  DateEntry& reportdate_;
  StatementChooser choose_statement_;
  SaveChooser choose_save_;
};

}  // namespace pellmark::ui
