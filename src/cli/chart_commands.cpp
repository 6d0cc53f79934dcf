// report charts: the unit value at every official valuation, the members'
// values and the holdings by value, each chart a page of a PDF.
#include "cli/chart_commands.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/open_club.h"
#include "club/text_encoding.h"
#include "reports/chart_series.h"

#ifdef PELLMARK_CLI_PDF
#include "qtpage/chart_pdf.h"
#endif

namespace pellmark::cli {
namespace {

struct ChartOptions {
  std::string pdf;
  std::string member;
};

void Charts(CliContext& context, const ChartOptions& options) {
#ifdef PELLMARK_CLI_PDF
  WithOpenClub(context, [&](Books& books) {
    const reports::ClubCharts charts = reports::ReadClubCharts(books.Club());
    std::vector<qtpage::ChartPage> pages{charts.unit_value};
    if (options.member.empty()) {
      // Every member still in the club; one who left is charted when named.
      for (const reports::MemberSeries& member : charts.members) {
        if (member.active) pages.emplace_back(member.series);
      }
    } else {
      const std::string name = ToWindows1252(options.member);
      const reports::MemberSeries* member = reports::FindMemberSeries(charts, name);
      if (member == nullptr) {
        const std::string message = "Member " + name + " is not on file.";
        books.Club().Ui().ShowError(message);
        throw CommandRefused(message);
      }
      pages.emplace_back(member->series);
    }
    pages.emplace_back(charts.holdings);
    if (!qtpage::WriteChartsPdf(options.pdf, charts.club_name, books.Club().Today(), pages)) {
      throw std::runtime_error("Could not write " + options.pdf);
    }
  });
#else
  (void)context;
  (void)options;
  throw UsageError("this pellmark-cli was built without Qt and cannot draw charts");
#endif
}

}  // namespace

void AddChartCommands(CLI::App& app, CommandList& commands) {
  CLI::App* report = app.get_subcommand("report");
  auto options = std::make_shared<ChartOptions>();
  auto* command = report->add_subcommand(
      "charts", "The unit value over time, each member's value over time and the holdings by value, as PDF pages");
  command->add_option("--pdf", options->pdf, "Write the charts as a PDF file")->required();
  command->add_option("--member", options->member,
                      "Only this member's value chart (\"Smith, Ann\" or \"Ann Smith\"); default every active member");
  commands.push_back({command, [options](CliContext& context) { Charts(context, *options); }});
}

}  // namespace pellmark::cli
