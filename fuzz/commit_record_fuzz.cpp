// Feeds arbitrary bytes to the reader of the club's commit record slots, as a
// slot torn by a crash or damaged on disk would reach it. Nothing may crash;
// a slot that is read must write back to text that reads as the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "club/club_commit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto record = pellmark::DecodeCommitSlot(text);
  if (!record) return 0;
  auto again = pellmark::DecodeCommitSlot(pellmark::EncodeCommitSlot(*record));
  if (!again || again->sequence != record->sequence || again->stores.size() != record->stores.size() ||
      again->info != record->info) {
    std::abort();
  }
  for (std::size_t i = 0; i < record->stores.size(); ++i) {
    if (again->stores[i].data_length != record->stores[i].data_length ||
        again->stores[i].index_length != record->stores[i].index_length) {
      std::abort();
    }
  }
  if (again->journal.has_value() != record->journal.has_value()) std::abort();
  if (record->journal && (again->journal->working != record->journal->working ||
                          again->journal->length != record->journal->length ||
                          again->journal->pending != record->journal->pending)) {
    std::abort();
  }
  if (again->files.size() != record->files.size()) std::abort();
  for (std::size_t i = 0; i < record->files.size(); ++i) {
    if (again->files[i].target != record->files[i].target || again->files[i].staged != record->files[i].staged ||
        again->files[i].length != record->files[i].length || again->files[i].checksum != record->files[i].checksum) {
      std::abort();
    }
  }
  return 0;
}
