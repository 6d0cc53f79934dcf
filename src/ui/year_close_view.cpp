// The Special page's "Close Year" and "Tax Report" as the Reports page's
// report window shows them.

#include "books/books.h"
#include "reports/club_reports.h"
#include "reports/tax_report.h"
#include "store/file_layer.h"
#include "ui/reports_page.h"

namespace pellmark::ui {

void ReportsPage::CloseYear() {
  const YearClose close = books_.CloseYear();
  if (!close.outcome) return;
  emit yearClosed();
  // The year's distribution as of its closing valuation, with the units just credited, then its tax report.
  ShowReport(reports::SetUpClubReport(reports::ClubReportKind::Distribution, books_.Club(), close.date));
  (void)ShowTaxReport(close.tax_file);
  books_.AnnounceYearClosed(close);
}

void ReportsPage::TaxReportClick() {
  if (const std::optional<std::filesystem::path> file = choose_(tr("Tax Reports (*.tax)"))) (void)ShowTaxReport(*file);
}

bool ReportsPage::ShowTaxReport(const std::filesystem::path& file) {
  std::unique_ptr<reports::TaxReport> report;
  try {
    report = reports::LoadTaxReport(books_.Club().Files(), file, books_.Club().Folder());
  } catch (const reports::TaxFileError& damaged) {
    ui_.ShowError(damaged.what());
    return false;
  } catch (const store::FileLayerError&) {
    return false;  // a tax file that cannot be opened is not shown
  }
  ShowReport(std::move(report));
  return true;
}

}  // namespace pellmark::ui
