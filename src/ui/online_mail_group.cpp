#include "ui/online_mail_group.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "books/statement_report.h"
#include "books/text_statement_files.h"
#include "club/text_encoding.h"
#include "qtpage/pdf_report.h"
#include "ui/command_group.h"
#include "ui/date_entry.h"
#include "ui/mail_service_setting.h"
#include "ui/tinternet_form.h"

namespace pellmark::ui {

OnlineMailGroup::OnlineMailGroup(Books& books, DateEntry& reportdate, StatementChooser choose_statement,
                                 QWidget* parent)
    : QWidget(parent), books_(books), reportdate_(reportdate), choose_statement_(std::move(choose_statement)) {
  setObjectName(QStringLiteral("onlinegroup"));
  oreports_ = new QCheckBox(tr("Online"), this);
  oreports_->setObjectName(QStringLiteral("oreports"));
  kinds_ = new CommandGroup(tr("Attach"), QStringLiteral("attachgroup"), this);
  const std::pair<QString, ReportMailKind> choices[] = {
      {tr("Attach Valuation Statement"), ReportMailKind::kValuation},
      {tr("Attach Distribution Statement"), ReportMailKind::kDistribution},
      {tr("Attach Membership Vote"), ReportMailKind::kVote},
      {tr("Attach Membership Letter"), ReportMailKind::kRoster}};
  const char* names[] = {"attachvaluation", "attachdistribution", "attachvote", "attachroster"};
  for (std::size_t i = 0; i < std::size(choices); ++i) {
    const auto [caption, kind] = choices[i];
    connect(kinds_->Add(caption, QString::fromLatin1(names[i])), &QPushButton::clicked, this, [this, kind, caption] {
      ChooseKind(kind);
      attachlabel_->setText(caption);
    });
  }
  attachlabel_ = new QLabel(this);
  attachlabel_->setObjectName(QStringLiteral("attachlabel"));
  members_ = new QListWidget(this);
  members_->setObjectName(QStringLiteral("mailmembers"));
  members_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  attachpdf_ = new QCheckBox(tr("Also as PDF"), this);
  attachpdf_->setObjectName(QStringLiteral("attachpdf"));
  attachpdf_->setToolTip(tr("Attach the printed report as a PDF beside the text statement"));
  oreptsend_ = new QPushButton(tr("Send"), this);
  oreptsend_->setObjectName(QStringLiteral("oreptsend"));
  connect(oreports_, &QCheckBox::clicked, this, &OnlineMailGroup::oreportsClick);
  connect(members_, &QListWidget::itemSelectionChanged, this, &OnlineMailGroup::EnableSend);
  connect(oreptsend_, &QPushButton::clicked, this, &OnlineMailGroup::oreptsendClick);

  auto* column = new QVBoxLayout;
  column->addWidget(attachlabel_);
  column->addWidget(members_);
  column->addWidget(attachpdf_, 0, Qt::AlignLeft);
  column->addWidget(oreptsend_, 0, Qt::AlignLeft);
  auto* row = new QHBoxLayout;
  row->addWidget(kinds_, 0, Qt::AlignTop);
  row->addLayout(column);
  row->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(oreports_, 0, Qt::AlignLeft);
  layout->addLayout(row);

  send_ = [this](const ReportMail& report) {
    const std::optional<MailService> service = MailServiceWithPassword(this);
    if (!service) return MailRun{Outcome::Cancelled(), {}};
    TInternetform dialog(window());
    return books_.SendReportMail(*service, report, dialog);
  };
  oreportsClick();
}

void OnlineMailGroup::oreportsClick() {
  const bool online = oreports_->isChecked();
  kinds_->setVisible(online);
  attachlabel_->setVisible(online);
  members_->setVisible(online);
  attachpdf_->setVisible(online);
  oreptsend_->setVisible(online);
  if (online) {
    members_->clear();
    for (const TMemberRec& member : books_.Members().List(/*active_only=*/true)) {
      members_->addItem(QString::fromStdString(ToUtf8(MemberName(member))));
    }
  } else {
    ClearChoices();
  }
  EnableSend();
}

void OnlineMailGroup::ChooseKind(ReportMailKind kind) {
  kind_ = kind;
  EnableSend();
}

void OnlineMailGroup::EnableSend() {
  oreptsend_->setEnabled(oreports_->isChecked() && kind_.has_value() && !members_->selectedItems().isEmpty());
}

void OnlineMailGroup::ClearChoices() {
  kind_.reset();
  attachlabel_->clear();
  members_->clearSelection();
  oreptsend_->setEnabled(false);
}

void OnlineMailGroup::oreptsendClick() {
  if (!kind_) return;
  const DayNumber date = reportdate_.Date();
  TextStatementFile written;
  std::filesystem::path valuation_statement;
  switch (*kind_) {
    case ReportMailKind::kValuation: {
      const std::optional<std::filesystem::path> statement = choose_statement_();
      if (!statement) {
        ClearChoices();
        return;
      }
      valuation_statement = *statement;
      written = WriteValuationTextFile(books_, *statement);
      break;
    }
    case ReportMailKind::kVote:
      written = WriteVoteTextFile(books_, date);
      break;
    case ReportMailKind::kRoster:
      written = WriteRosterTextFile(books_);
      break;
    case ReportMailKind::kDistribution:
      written = WriteDistributionTextFile(books_, date);
      break;
  }
  if (!written.outcome) {
    ClearChoices();
    return;
  }
  ReportMail report{.kind = *kind_, .date = date, .members = {}, .attachments = {written.file}};
  if (attachpdf_->isChecked()) {
    const std::optional<std::filesystem::path> pdf = WritePdf(written.file, date, valuation_statement);
    if (!pdf) {
      ClearChoices();
      return;
    }
    report.attachments.push_back(*pdf);
  }
  for (int row = 0; row < members_->count(); ++row) {
    if (members_->item(row)->isSelected()) report.members.push_back(ToWindows1252(members_->item(row)->text().toStdString()));
  }
  static_cast<void>(send_(report));
  ClearChoices();
}

std::optional<std::filesystem::path> OnlineMailGroup::WritePdf(const std::filesystem::path& text_file, DayNumber date,
                                                               const std::filesystem::path& valuation_statement) {
  Interaction& ui = books_.Club().Ui();
  try {
    const std::unique_ptr<reports::Report> report = StatementReport(books_, *kind_, date, valuation_statement);
    bool laid = false;
    const std::optional<std::string> pdf =
        qtpage::ReportPdfBytes(books_.Club().ClockRef(), report->Caption(), [&](reports::TPagePrinter& printer) {
          printer.SetFont({"Arial", 10});
          printer.SetWordWrap(false);
          laid = reports::GenerateReport(*report, printer, ui);
        });
    if (!laid) return std::nullopt;
    const std::filesystem::path file = std::filesystem::path(text_file).replace_extension(".pdf");
    if (!pdf) {
      ui.ShowError("Could not write " + ToWindows1252(file.string()));
      return std::nullopt;
    }
    // Saved as an operation of the books, like the text statement beside it.
    const TextStatementFile saved = SavePdfBeside(books_, text_file, *pdf);
    if (!saved.outcome) return std::nullopt;
    return saved.file;
  } catch (const std::exception& error) {
    ui.ShowError(error.what());
    return std::nullopt;
  }
}

}  // namespace pellmark::ui
