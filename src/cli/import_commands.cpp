// pellmark-cli import earlier|naic|export SOURCE: the club's data replaced
// from the first version's text file, a folder of NAIC ".dt" files or a full
// club export. The folder may hold no club yet. Prints the records read by
// kind, the records left out and the balances corrected.
#include <fmt/format.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "books/books.h"
#include "cli/cli_context.h"
#include "cli/open_club.h"
#include "club/text_encoding.h"

namespace pellmark::cli {
namespace {

namespace fs = std::filesystem;

void PrintReport(std::ostream& out, const interchange::ImportReport& report) {
  for (const auto& [kind, count] : report.counts) out << fmt::format("{:<22}{:>8}\n", kind, count);
  for (const std::string& skipped : report.skipped) out << "left out: " << ToUtf8(skipped) << '\n';
  for (const std::string& correction : report.corrections) out << "corrected: " << ToUtf8(correction) << '\n';
}

}  // namespace

void AddImportCommands(CLI::App& app, CommandList& commands) {
  auto kind = std::make_shared<std::string>();
  auto source = std::make_shared<std::string>();
  auto* import = app.add_subcommand(
      "import",
      "Replace the club's data with an import: earlier FILE (pellmarkdat.txt), naic FOLDER (*.dt) or export FILE "
      "(pellmark95.txt); asks first when the club holds data (--yes or --no)");
  import->add_option("KIND", *kind, "earlier, naic or export")
      ->required()
      ->check(CLI::IsMember({"earlier", "naic", "export"}));
  import->add_option("SOURCE", *source, "The file, or the folder of NAIC files")->required();
  commands.push_back({import, [kind, source](CliContext& context) {
                        static const std::map<std::string, interchange::ImportSource> kKinds = {
                            {"earlier", interchange::ImportSource::kFirstVersion},
                            {"naic", interchange::ImportSource::kNaic},
                            {"export", interchange::ImportSource::kExport}};
                        if (!fs::is_directory(context.club_folder)) {
                          throw UsageError("no club folder " + context.club_folder.string());
                        }
                        Books books(context.club_folder, *context.ui, *context.clock);
                        books.Open();
                        interchange::ImportReport report;
                        try {
                          report = books.Import(kKinds.at(*kind), fs::path(*source));
                        } catch (...) {
                          books.Abandon();
                          books.Close();
                          throw;
                        }
                        books.Close();
                        if (!report.outcome) throw CommandRefused(report.outcome.Message());
                        PrintReport(*context.out, report);
                      }});
}

}  // namespace pellmark::cli
