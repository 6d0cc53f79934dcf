// Feeds arbitrary bytes to the reader of the two text imports (a full club
// export and the first version's file), as a damaged or foreign file would
// reach it. Nothing may crash; what is read has keys the stores can hold,
// and damage is refused with the file's name and a line number.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "club/record_keys.h"
#include "interchange/text_import.h"

namespace {

using pellmark::interchange::ImportDamage;
using pellmark::interchange::ImportedClub;
using pellmark::interchange::TextImportKind;

void ReadAs(TextImportKind kind, std::string_view text) {
  try {
    const ImportedClub club = pellmark::interchange::ReadTextImport(kind, text, "fuzz.txt");
    for (const auto& record : club.memrecs) (void)pellmark::MemberTranKey(record);
    for (const auto& record : club.stkrecs) (void)pellmark::SecurityTranKey(record);
    for (const auto& record : club.prices) (void)pellmark::PriceKey(record);
    for (const auto& record : club.actrecs) (void)pellmark::AccountTranKey(record);
    for (const auto& record : club.unitfile) (void)pellmark::UnitValueKey(record);
    for (const auto& record : club.members) (void)pellmark::MemberKey(record);
  } catch (const ImportDamage& damage) {
    if (!std::string_view(damage.what()).starts_with("fuzz.txt line ")) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ReadAs(TextImportKind::kExport, text);
  ReadAs(TextImportKind::kFirstVersion, text);
  return 0;
}
