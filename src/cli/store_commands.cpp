#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/cli_context.h"
#include "club/store_files.h"
#include "club/text_encoding.h"

namespace pellmark::cli {
namespace {

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (unsigned char byte : bytes) {
    hex.push_back(kDigits[byte >> 4]);
    hex.push_back(kDigits[byte & 0x0F]);
  }
  return hex;
}

// Every ordinary item of a store file, one JSON object per line, in store
// order; the file is not changed.
void PrintStore(CliContext& context, const std::string& file) {
  ForEachStoredItem(store::DefaultFileLayer(), file, [&](const StoredItem& item) {
    *context.out << "{\"key\": " << nlohmann::json(ToUtf8(item.key)).dump() << ", \"size\": " << item.size
                 << ", \"flags\": " << item.flags << ", \"data\": \"" << Hex(item.data) << "\"}\n";
  });
}

}  // namespace

void AddStoreCommands(CLI::App& app, CommandList& commands) {
  auto* qdb = app.add_subcommand("qdb", "Print every item of a record store file as JSON lines (the file is not changed)");
  auto file = std::make_shared<std::string>();
  qdb->add_option("FILE", *file, "The record store file")->required();
  commands.push_back({qdb, [file](CliContext& context) { PrintStore(context, *file); }});
}

}  // namespace pellmark::cli
