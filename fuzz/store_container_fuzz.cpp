// Feeds arbitrary bytes to the record store as a store file: the container
// frame, the index loader and every read must reject bad input with a store
// error and never crash; so must the check of a backup file before a restore.
// Also decodes the bytes as a bare index section.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "store/container_format.h"
#include "store/index_codec.h"
#include "store/qdb.h"

namespace {

namespace fs = std::filesystem;

fs::path ScratchFolder() {
  static const fs::path folder = [] {
    fs::path made = fs::temp_directory_path() / ("pellmark-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(made);
    return made;
  }();
  return folder;
}

void LoadAsStore(std::string_view bytes) {
  const fs::path file = ScratchFolder() / "input.qdb";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  // The check a restore runs on every backup file first.
  try {
    pellmark::store::CheckContainer(pellmark::store::DefaultFileLayer(), file);
  } catch (const pellmark::store::EQDBError&) {
    // Rejected.
  } catch (const pellmark::store::InvalidIndex&) {
    // Rejected.
  }
  pellmark::store::TQDB store;
  store.SetTempFolder(ScratchFolder());
  store.SetReadOnly(true);
  try {
    store.SetFileName(file);
    std::vector<std::string> keys;
    store.GetKeys(keys);
    for (int i = 0; i < store.Count(); ++i) store.GetDataAt(i);
    for (const std::string& key : keys) store.FindKey(key);
    store.Close();
  } catch (const pellmark::store::EQDBError&) {
    // Rejected as the store rejects bad files: what the target wants to see.
  }
}

void DecodeAsIndex(std::string_view bytes) {
  try {
    pellmark::store::DecodeIndex(bytes, bytes.size());
  } catch (const pellmark::store::InvalidIndex&) {
    // Rejected.
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  DecodeAsIndex(bytes);
  LoadAsStore(bytes);
  return 0;
}
