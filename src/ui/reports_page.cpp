#include "ui/reports_page.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "ui/command_group.h"
#include "ui/date_entry.h"

namespace pellmark::ui {

ReportsPage::ReportsPage(Books& books, DateEntry& reportdate, QObject* parent)
    : QObject(parent), books_(books), reportdate_(reportdate) {
  area_ = new QWidget;
  area_->setObjectName(QStringLiteral("reportsarea"));
  Valuationgroup_ = new CommandGroup(tr("Valuation"), QStringLiteral("Valuationgroup"), area_);
  connect(Valuationgroup_->Add(tr("Create &Official"), QStringLiteral("createofficial")), &QPushButton::clicked, this,
          [this] { CreateValuation(true); });
  connect(Valuationgroup_->Add(tr("Create &Test"), QStringLiteral("createtest")), &QPushButton::clicked, this,
          [this] { CreateValuation(false); });
  connect(Valuationgroup_->Add(tr("&Delete"), QStringLiteral("deletestatement")), &QPushButton::clicked, this,
          &ReportsPage::DeleteStatement);
  auto* layout = new QHBoxLayout(area_);
  layout->addWidget(Valuationgroup_, 0, Qt::AlignTop);
  layout->addStretch(1);

  choose_statement_ = [this](const std::filesystem::path& folder) -> std::optional<std::filesystem::path> {
    const QString file = QFileDialog::getOpenFileName(area_, tr("Valuation Statements"),
                                                      QString::fromStdString(folder.string()),
                                                      tr("Valuation Statements (V*.stm)"));
    if (file.isEmpty()) return std::nullopt;
    return std::filesystem::path(file.toStdString());
  };
}

void ReportsPage::CreateValuation(bool official) {
  (void)books_.CreateValuation(reportdate_.Date(), official);
  emit valuationDone();
  reportdate_.Field()->setFocus();
}

void ReportsPage::DeleteStatement() {
  if (const auto file = choose_statement_(books_.Club().Folder())) {
    (void)books_.Settle(books_.Valuations().DeleteStatement(*file));
  }
  emit valuationDone();
  reportdate_.Field()->setFocus();
}

}  // namespace pellmark::ui
