#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/cli_context.h"
#include "club/text_encoding.h"
#include "store/qdb.h"

namespace pellmark::cli {
namespace {

namespace fs = std::filesystem;

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
// order. The store is opened read-only, so the file is never joined back and
// its working files go when it closes.
void PrintStore(CliContext& context, const std::string& file) {
  fs::path name = file;
  if (!name.has_extension()) name += ".QDB";
  if (!fs::exists(name)) throw store::EQDBFileError(store::QdbText(store::kTextFileNotFound, name.string()));
  store::TQDB qdb;
  qdb.SetReadOnly(true);
  qdb.SetFileName(name);
  for (int i = 0; i < qdb.Count(); ++i) {
    const std::string data = qdb.GetDataAt(i);
    const store::IndexEntry& entry = qdb.EntryAt(i);
    *context.out << "{\"key\": " << nlohmann::json(ToUtf8(entry.key)).dump() << ", \"size\": " << entry.size
                 << ", \"flags\": " << entry.flags << ", \"data\": \"" << Hex(data) << "\"}\n";
  }
  qdb.Close();
}

}  // namespace

void AddStoreCommands(CLI::App& app, CommandList& commands) {
  auto* qdb = app.add_subcommand("qdb", "Print every item of a record store file as JSON lines (the file is not changed)");
  auto file = std::make_shared<std::string>();
  qdb->add_option("FILE", *file, "The record store file")->required();
  commands.push_back({qdb, [file](CliContext& context) { PrintStore(context, *file); }});
}

}  // namespace pellmark::cli
