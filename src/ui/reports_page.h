// The Reports page's "Valuation" group (Valuationgroup): "Create Official" and
// "Create Test" value the club on the report calendar's date, "Print" lays a
// chosen statement file out in the report window, "Delete" removes a chosen one.
// The "Club" group (rptclubselect) opens the club reports of the calendar's date,
// the "Transaction" group (rpttranselect) its member reports.
// The statement chooser offers the club year's statements first. After a
// valuation or a deletion the summary panel is refreshed (`valuationDone`).
#pragma once

#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "books/books.h"
#include "club/clock.h"
#include "club/interaction.h"
#include "reports/report.h"

class QCheckBox;
class QVBoxLayout;
#include "reports/club_reports.h"
#include "reports/member_reports.h"

namespace pellmark::ui {

class CommandGroup;
class DateEntry;
class StatementFileGroups;
class TReportWindow;

// The chooser's filter: the club year's statements, all statements, and the
// statements of version 1.xx.
QString StatementFilter(int year);

class ReportsPage : public QWidget {
  Q_OBJECT

 public:
  ReportsPage(Books& books, Interaction& ui, const Clock& clock, DateEntry& reportdate, QWidget* parent = nullptr);
  ~ReportsPage() override;

  // The report calendar's date, which the valuations and the audit start from.
  DayNumber Date() const;
  void SetDate(DayNumber date);

  // What "Print" and "Delete" ask with; by default an open-file dialog in the
  // club folder. Returns the chosen file, nothing when cancelled.
  using StatementChooser = std::function<std::optional<std::filesystem::path>(const QString& filter)>;
  void SetStatementChooser(StatementChooser chooser) { choose_ = std::move(chooser); }
  // Where the report window's "&Help" opens its topic.
  void SetHelp(std::function<void(int)> open_topic) { open_help_ = std::move(open_topic); }
  // The report window, created on first use and kept for the run.
  TReportWindow& ReportWindow();
  // Set by the window's test to look at the report instead of waiting for a close.
  void SetModal(bool modal) { modal_ = modal; }

  // Lays the report out in the report window and shows it (modally unless a test says otherwise).
  void ShowReport(std::unique_ptr<reports::Report> report);
  void CreateValuation(bool official);
  void PrintClick();
  void DeleteClick();
  // "Audit Valuations" from the report calendar's date.
  void AuditClick();
  // "To File" (`ofiles`): the groups offer the text statement files instead of the reports.
  void SetFileMode(bool on);
  StatementFileGroups& FileGroups() { return *file_groups_; }
  // The "Club" group (rptclubselect): the report of the calendar's date in the report window.
  void ClubReportClick(reports::ClubReportKind kind);
  // The "Transaction" group (rpttranselect): the member report of the calendar's date.
  void MemberReportClick(reports::MemberReportKind kind);
  // "Close Year" of the Special page: the close, then the year's earnings
  // distribution and its tax report in the report window, then the closing
  // message (ui/year_close_view.cpp).
  void CloseYear();
  // "Tax Report" of the Special page: a chosen tax file in the report window.
  void TaxReportClick();
  // Lays a tax file out in the report window; false when it cannot be loaded.
  bool ShowTaxReport(const std::filesystem::path& file);

 signals:
  // A valuation or deletion ran: the summary panel shows the club's figures again.
  void valuationDone();
  // A year was closed: the open year and the members' figures changed.
  void yearClosed();

 private:
  std::optional<std::filesystem::path> Choose();
  void AddFileMode(QVBoxLayout& layout);

  Books& books_;
  Interaction& ui_;
  const Clock& clock_;
  DateEntry& reportdate_;
  StatementChooser choose_;
  std::function<void(int)> open_help_;
  TReportWindow* window_ = nullptr;
  bool modal_ = true;
  QCheckBox* ofiles_ = nullptr;
  StatementFileGroups* file_groups_ = nullptr;
};

}  // namespace pellmark::ui
