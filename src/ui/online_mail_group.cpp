#include "ui/online_mail_group.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "books/text_statement_files.h"
#include "club/text_encoding.h"
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
  oreptsend_ = new QPushButton(tr("Send"), this);
  oreptsend_->setObjectName(QStringLiteral("oreptsend"));
  connect(oreports_, &QCheckBox::clicked, this, &OnlineMailGroup::oreportsClick);
  connect(members_, &QListWidget::itemSelectionChanged, this, &OnlineMailGroup::EnableSend);
  connect(oreptsend_, &QPushButton::clicked, this, &OnlineMailGroup::oreptsendClick);

  auto* column = new QVBoxLayout;
  column->addWidget(attachlabel_);
  column->addWidget(members_);
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
  switch (*kind_) {
    case ReportMailKind::kValuation: {
      const std::optional<std::filesystem::path> statement = choose_statement_();
      if (!statement) {
        ClearChoices();
        return;
      }
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
  for (int row = 0; row < members_->count(); ++row) {
    if (members_->item(row)->isSelected()) report.members.push_back(ToWindows1252(members_->item(row)->text().toStdString()));
  }
  static_cast<void>(send_(report));
  ClearChoices();
}

}  // namespace pellmark::ui
