#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/cli_context.h"

namespace pellmark::cli {
namespace {

namespace fs = std::filesystem;

// The files of a club folder, in the order the club keeps them.
constexpr const char* kClubFiles[] = {"clubmem.qdb", "memrec.qdb",   "clubstk.qdb", "stkrec.qdb",
                                      "clubact.qdb", "actrec.qdb",   "stkprice.qdb", "clubcat.qdb",
                                      "clubunit.qdb", "clubinfo.qdb", "clubstaten.qdb"};

void PrintInfo(CliContext& context) {
  if (!fs::is_directory(context.club_folder)) {
    throw UsageError("no club folder " + context.club_folder.string());
  }
  nlohmann::ordered_json files = nlohmann::ordered_json::object();
  for (const char* name : kClubFiles) {
    fs::path file = context.club_folder / name;
    if (fs::exists(file)) files[name] = fs::file_size(file);
  }
  nlohmann::ordered_json info;
  info["folder"] = fs::absolute(context.club_folder).string();
  info["files"] = files;
  *context.out << info.dump(2) << '\n';
}

void MakeDemo(CliContext& context, const std::string& folder) {
  fs::path target = fs::path(folder).is_absolute() ? fs::path(folder) : context.club_folder / folder;
  fs::create_directories(target);
  *context.out << "Demo club written to " << target.string() << '\n';
}

}  // namespace

void AddClubCommands(CLI::App& app, CommandList& commands) {
  auto* info = app.add_subcommand("info", "Show what the club folder holds");
  commands.push_back({info, PrintInfo});

  auto* demo = app.add_subcommand("demo", "Write the demo club into a folder");
  auto folder = std::make_shared<std::string>();
  demo->add_option("DIR", *folder, "Folder for the demo club")->required();
  commands.push_back({demo, [folder](CliContext& context) { MakeDemo(context, *folder); }});
}

}  // namespace pellmark::cli
