#include "ui/statement_file_groups.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "club/dates.h"
#include "store/whole_files.h"
#include "ui/command_group.h"
#include "ui/date_entry.h"

namespace pellmark::ui {

namespace {

// "mmddyyyy".
std::string CompactDate(DayNumber date) {
  std::string text = FormatDate(date);
  std::erase(text, '/');
  return text;
}

}  // namespace

std::string ProposedTextName(const std::filesystem::path& statement) {
  std::string name = statement.filename().string();
  if (name.size() >= 3) name.replace(name.size() - 3, 3, "txt");
  return name;
}

std::string ProposedTextName(std::string_view prefix, DayNumber date) {
  return std::string(prefix) + CompactDate(date) + ".txt";
}

StatementFileGroups::StatementFileGroups(Books& books, Interaction& ui, DateEntry& reportdate,
                                         StatementChooser choose_statement, QWidget* parent)
    : QWidget(parent),
      books_(books),
      ui_(ui),
      reportdate_(reportdate),
      choose_statement_(std::move(choose_statement)) {
  setObjectName(QStringLiteral("ofilesgroups"));
  auto* valuation = new CommandGroup(tr("Valuation"), QStringLiteral("filevaluationgroup"), this);
  connect(valuation->Add(tr("&Statement File"), QStringLiteral("statementfile")), &QPushButton::clicked, this,
          &StatementFileGroups::StatementFileClick);
  auto* club = new CommandGroup(tr("Club"), QStringLiteral("fileclubselect"), this);
  connect(club->Add(tr("&Distribution File"), QStringLiteral("distributionfile")), &QPushButton::clicked, this,
          &StatementFileGroups::DistributionFileClick);
  auto* transaction = new CommandGroup(tr("Transaction"), QStringLiteral("filetranselect"), this);
  connect(transaction->Add(tr("&Roster File"), QStringLiteral("rosterfile")), &QPushButton::clicked, this,
          &StatementFileGroups::RosterFileClick);
  connect(transaction->Add(tr("&Vote File"), QStringLiteral("votefile")), &QPushButton::clicked, this,
          &StatementFileGroups::VoteFileClick);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(valuation, 0, Qt::AlignTop);
  row->addWidget(club, 0, Qt::AlignTop);
  row->addWidget(transaction, 0, Qt::AlignTop);
  row->addStretch();
  choose_save_ = [this](const QString& proposed) -> std::optional<std::filesystem::path> {
    const QString folder = QString::fromStdString(books_.Club().Folder().string());
    const QString file =
        QFileDialog::getSaveFileName(this, tr("Save Text Statement"), folder + QLatin1Char('/') + proposed,
                                     tr("Text Files (*.txt)"));
    if (file.isEmpty()) return std::nullopt;
    return std::filesystem::path(file.toStdString());
  };
}

void StatementFileGroups::SaveCopy(const TextStatementFile& written, const std::string& proposed,
                                   const std::string& saved) {
  reportdate_.Field()->setFocus();
  if (!written.outcome) return;
  const std::optional<std::filesystem::path> target = choose_save_(QString::fromStdString(proposed));
  if (!target) return;
  store::FileLayer& files = books_.Club().Files();
  // A copy that cannot be written is a file error for the operation boundary to show.
  store::SaveFileAtomically(files, *target, store::ReadWholeFile(files, written.file));
  ui_.ShowInformation(saved + target->string() + ".");
}

void StatementFileGroups::StatementFileClick() {
  const std::optional<std::filesystem::path> statement = choose_statement_();
  if (!statement) return;
  SaveCopy(WriteValuationTextFile(books_, *statement), ProposedTextName(*statement),
           "Valuation Statement has been saved to ");
}

void StatementFileGroups::DistributionFileClick() {
  SaveCopy(WriteDistributionTextFile(books_, reportdate_.Date()), ProposedTextName("Dist_", reportdate_.Date()),
           "Distribution Statement has been saved to ");
}

void StatementFileGroups::RosterFileClick() {
  SaveCopy(WriteRosterTextFile(books_), ProposedTextName("Roster_", reportdate_.Date()),
           "Roster Statement has been saved to ");
}

void StatementFileGroups::VoteFileClick() {
  SaveCopy(WriteVoteTextFile(books_, reportdate_.Date()), ProposedTextName("Vote_", reportdate_.Date()),
           "Vote Statement has been saved to ");
}

}  // namespace pellmark::ui
