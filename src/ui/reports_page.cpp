#include "ui/reports_page.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <tuple>

#include "club/failure_log.h"
#include "reports/club_reports.h"
#include "reports/member_reports.h"
#include "reports/valuation_statement.h"
#include "store/file_layer.h"
#include "ui/command_group.h"
#include "ui/date_entry.h"
#include "ui/history_report_group.h"
#include "ui/pellmark_window.h"
#include "ui/qt_interaction.h"
#include "ui/report_window.h"
#include "ui/statement_file_groups.h"
#include "valuation/statement_file.h"

namespace pellmark::ui {

QString StatementFilter(int year) {
  return QStringLiteral("%1 Valuation Statements (*%1.stm);;All Valuation Statements (*.stm);;"
                        "V1.xx Valuation Statments (*.sta)")
      .arg(year);
}

ReportsPage::ReportsPage(Books& books, Interaction& ui, const Clock& clock, DateEntry& reportdate, QWidget* parent)
    : QWidget(parent), books_(books), ui_(ui), clock_(clock), reportdate_(reportdate) {
  auto* group = new CommandGroup(tr("Valuation"), QStringLiteral("Valuationgroup"), this);
  connect(group->Add(tr("Create &Official"), QStringLiteral("createofficial")), &QPushButton::clicked, this,
          [this] { CreateValuation(true); });
  connect(group->Add(tr("Create &Test"), QStringLiteral("createtest")), &QPushButton::clicked, this,
          [this] { CreateValuation(false); });
  connect(group->Add(tr("&Print"), QStringLiteral("valuationprint")), &QPushButton::clicked, this,
          &ReportsPage::PrintClick);
  connect(group->Add(tr("&Delete"), QStringLiteral("valuationdelete")), &QPushButton::clicked, this,
          &ReportsPage::DeleteClick);
  connect(group->Add(tr("&Audit Valuations"), QStringLiteral("valuationaudit")), &QPushButton::clicked, this,
          &ReportsPage::AuditClick);
  auto* club = new CommandGroup(tr("Club"), QStringLiteral("rptclubselect"), this);
  for (auto [caption, name, kind] : {std::tuple{tr("&Balance Sheet"), "rptbalance", reports::ClubReportKind::BalanceSheet},
                                     {tr("&Income / Expense"), "rptincome", reports::ClubReportKind::IncomeExpense},
                                     {tr("&Capital Gains"), "rptgains", reports::ClubReportKind::CapitalGains},
                                     {tr("D&istributions"), "rptdistribution", reports::ClubReportKind::Distribution}}) {
    connect(club->Add(caption, QString::fromLatin1(name)), &QPushButton::clicked, this,
            [this, kind] { ClubReportClick(kind); });
  }
  auto* transaction = new CommandGroup(tr("Transaction"), QStringLiteral("rpttranselect"), this);
  for (auto [caption, name, kind] :
       {std::tuple{tr("D&ues Payment"), "rptdues", reports::MemberReportKind::DuesPayment},
        {tr("Member &Payoff"), "rptpayoff", reports::MemberReportKind::Payoff},
        {tr("Member &Roster"), "rptroster", reports::MemberReportKind::Roster},
        {tr("Member &Vote"), "rptvote", reports::MemberReportKind::Vote},
        {tr("Member Re&turns"), "rptreturns", reports::MemberReportKind::Returns}}) {
    connect(transaction->Add(caption, QString::fromLatin1(name)), &QPushButton::clicked, this,
            [this, kind] { MemberReportClick(kind); });
  }
  auto* groups = new QHBoxLayout;
  groups->addWidget(group, 0, Qt::AlignLeft | Qt::AlignTop);
  groups->addWidget(club, 0, Qt::AlignLeft | Qt::AlignTop);
  groups->addWidget(transaction, 0, Qt::AlignLeft | Qt::AlignTop);
  groups->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  groups->insertWidget(2, MakeHistoryReportGroup(
                                books_, reportdate_,
                                [this](std::unique_ptr<reports::Report> report) { ShowReport(std::move(report)); }, this),
                         0, Qt::AlignLeft | Qt::AlignTop);
  layout->addLayout(groups);
  AddFileMode(*layout);
  layout->addStretch();
  choose_ = [this](const QString& filter) -> std::optional<std::filesystem::path> {
    const QString file = QFileDialog::getOpenFileName(
        this, tr("Valuation Statements"), QString::fromStdString(books_.Club().Folder().string()), filter);
    if (file.isEmpty()) return std::nullopt;
    return std::filesystem::path(file.toStdString());
  };
}

ReportsPage::~ReportsPage() = default;

void ReportsPage::AddFileMode(QVBoxLayout& layout) {
  ofiles_ = new QCheckBox(tr("To File"), this);
  ofiles_->setObjectName(QStringLiteral("ofiles"));
  file_groups_ = new StatementFileGroups(books_, ui_, reportdate_, [this] { return Choose(); }, this);
  file_groups_->hide();
  layout.insertWidget(0, ofiles_, 0, Qt::AlignLeft);
  layout.addWidget(file_groups_);
  connect(ofiles_, &QCheckBox::toggled, this, &ReportsPage::SetFileMode);
}

void ReportsPage::SetFileMode(bool on) {
  // The page's own report groups give way to the text statement groups.
  for (CommandGroup* group : findChildren<CommandGroup*>(Qt::FindDirectChildrenOnly)) group->setVisible(!on);
  file_groups_->setVisible(on);
  reportdate_.Field()->setFocus();
}

DayNumber ReportsPage::Date() const { return reportdate_.Date(); }

void ReportsPage::SetDate(DayNumber date) { reportdate_.SetDate(date); }

std::optional<std::filesystem::path> ReportsPage::Choose() { return choose_(StatementFilter(books_.Club().Info().year)); }

TReportWindow& ReportsPage::ReportWindow() {
  if (window_ == nullptr) {
    window_ = new TReportWindow(ui_, clock_, ReadPageMargins(), this);
    window_->SetHelp(open_help_);
  }
  return *window_;
}

void ReportsPage::CreateValuation(bool official) {
  (void)books_.CreateValuation(reportdate_.Date(), official);
  emit valuationDone();
  reportdate_.Field()->setFocus();
}

void ReportsPage::PrintClick() {
  std::optional<std::filesystem::path> file = Choose();
  if (!file) return;
  std::unique_ptr<reports::ValuationStatementReport> report;
  try {
    report = reports::LoadValuationStatement(books_.Club().Files(), *file, books_.Club().Folder());
  } catch (const valuation::StatementError& error) {
    // Shown, rather than an empty report that would look valid.
    ui_.ShowError(error.what());
    return;
  } catch (const store::FileLayerError&) {
    return;  // a statement that cannot be opened is not shown
  }
  ShowReport(std::move(report));
}

void ReportsPage::ClubReportClick(reports::ClubReportKind kind) {
  std::unique_ptr<reports::Report> report;
  {
    BusyGuard busy(ui_);
    try {
      report = reports::SetUpClubReport(kind, books_.Club(), reportdate_.Date());
    } catch (const reports::InvalidCategory& invalid) {
      ui_.ShowError(invalid.what());
    } catch (const std::exception& error) {
      LogFailure("Report Generation failed", error);
      ui_.ShowError("Report Generation failed");
    }
  }
  if (report) ShowReport(std::move(report));
  reportdate_.Field()->setFocus();
}

void ReportsPage::MemberReportClick(reports::MemberReportKind kind) {
  std::unique_ptr<reports::Report> report;
  {
    BusyGuard busy(ui_);
    try {
      report = reports::SetUpMemberReport(kind, books_.Club(), reportdate_.Date());
    } catch (const reports::InvalidCategory& invalid) {
      ui_.ShowError(invalid.what());
    } catch (const std::exception& error) {
      LogFailure("Report Generation failed", error);
      ui_.ShowError("Report Generation failed");
    }
  }
  if (report) ShowReport(std::move(report));
  reportdate_.Field()->setFocus();
}

void ReportsPage::ShowReport(std::unique_ptr<reports::Report> report) {
  TReportWindow& window = ReportWindow();
  window.Printer().SetUseColor(books_.Club().View().usecolor);
  window.SetReport(std::move(report));
  if (modal_) {
    window.exec();
  } else {
    window.show();
  }
  reportdate_.Field()->setFocus();
}

void ReportsPage::DeleteClick() {
  if (const std::optional<std::filesystem::path> file = Choose()) {
    (void)books_.Perform([&] { return books_.Valuations().DeleteStatement(*file); });
    emit valuationDone();
  }
  reportdate_.Field()->setFocus();
}

void ReportsPage::AuditClick() {
  (void)books_.AuditValuations(reportdate_.Date());
  emit valuationDone();
  reportdate_.Field()->setFocus();
}

}  // namespace pellmark::ui
