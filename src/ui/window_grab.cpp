#include "ui/window_grab.h"

#include <QApplication>
#include <QTextStream>
#include <algorithm>
#include <map>
#include <memory>

#include "books/books.h"
#include "forms/main_tabs.h"
#include "reports/club_reports.h"
#include "reports/member_reports.h"
#include "reports/tax_report.h"
#include "reports/valuation_statement.h"
#include "ui/history_window.h"
#include "ui/pellmark_window.h"
#include "ui/qt_interaction.h"
#include "ui/report_window.h"

namespace pellmark::ui {

// Lays the window out at 1280x800 without putting it on screen and saves a
// picture of it; for the README's pictures and for checking the look.
int GrabWindow(TPellmark& window, const QString& file, const QString& tab_name) {
  if (tab_name == QStringLiteral("History")) {
    HistoryWindow history(window.TheBooks(), window.Club().Ui(), &window);
    history.setAttribute(Qt::WA_DontShowOnScreen);
    history.show();
    QApplication::processEvents();
    const bool saved = history.grab().save(file);
    history.close();
    window.close();
    if (saved) return 0;
    QTextStream(stderr) << "Cannot write " << file << "\n";
    return 3;
  }
  const auto& captions = MainTabCaptions();
  if (!tab_name.isEmpty()) {
    auto caption = std::find(captions.begin(), captions.end(), tab_name.toStdString());
    if (caption == captions.end()) {
      QTextStream(stderr) << "Unknown tab " << tab_name << "\n";
      return 2;
    }
    if (!window.ChooseTab(static_cast<MainTab>(caption - captions.begin()))) return 1;
  }
  window.setAttribute(Qt::WA_DontShowOnScreen);
  window.resize(1280, 800);
  window.show();
  QApplication::processEvents();
  if (!window.grab().save(file)) {
    QTextStream(stderr) << "Cannot write " << file << "\n";
    return 3;
  }
  window.close();
  return 0;
}

// Lays a statement file out in the report window at 1000x800 and saves a
// picture of one page; for the README and for checking the layout.
// "balance", "income", "gains" or "distribution" in place of the file: that
// club report of the club as of today; a tax file (".tax"): its tax report.
int GrabReport(const QString& statement, const QString& file, int page, const std::filesystem::path& club,
               QtInteraction& ui, const Clock& clock) {
  static const std::map<QString, reports::ClubReportKind> kClubReports = {
      {QStringLiteral("balance"), reports::ClubReportKind::BalanceSheet},
      {QStringLiteral("income"), reports::ClubReportKind::IncomeExpense},
      {QStringLiteral("gains"), reports::ClubReportKind::CapitalGains},
      {QStringLiteral("distribution"), reports::ClubReportKind::Distribution}};
  static const std::map<QString, reports::MemberReportKind> kMemberReports = {
      {QStringLiteral("dues"), reports::MemberReportKind::DuesPayment},
      {QStringLiteral("payoff"), reports::MemberReportKind::Payoff},
      {QStringLiteral("roster"), reports::MemberReportKind::Roster},
      {QStringLiteral("vote"), reports::MemberReportKind::Vote},
      {QStringLiteral("returns"), reports::MemberReportKind::Returns}};
  std::unique_ptr<reports::Report> report;
  try {
    if (auto kind = kClubReports.find(statement); kind != kClubReports.end()) {
      Books books(club, ui, clock);
      books.Open();
      report = reports::SetUpClubReport(kind->second, books.Club(), clock.Today());
      books.Close();
    } else if (auto member = kMemberReports.find(statement); member != kMemberReports.end()) {
      Books books(club, ui, clock);
      books.Open();
      report = reports::SetUpMemberReport(member->second, books.Club(), clock.Today());
      books.Close();
    } else if (statement.endsWith(QStringLiteral(".tax"), Qt::CaseInsensitive)) {
      report = reports::LoadTaxReport(store::DefaultFileLayer(), statement.toStdString(), club);
    } else {
      report = reports::LoadValuationStatement(store::DefaultFileLayer(), statement.toStdString(), club);
    }
  } catch (const std::exception& error) {
    ui.ShowError(error.what());
    return 3;
  }
  TReportWindow window(ui, clock, ReadPageMargins());
  window.SetReport(std::move(report));
  window.setAttribute(Qt::WA_DontShowOnScreen);
  window.resize(1000, 800);
  window.show();
  QApplication::processEvents();
  if (!window.GenerateReport()) return 3;
  if (page < 1 || page > window.Printer().PageCount()) {
    const int count = window.Printer().PageCount();
    QTextStream(stderr) << "The report has " << count << (count == 1 ? " page\n" : " pages\n");
    return 2;
  }
  window.ShowPage(page);
  QApplication::processEvents();
  if (!window.grab().save(file)) {
    QTextStream(stderr) << "Cannot write " << file << "\n";
    return 3;
  }
  return 0;
}

}  // namespace pellmark::ui
