// Feeds arbitrary bytes to the reader of NAIC files: the input is cut into
// the seven files at each "\n--\n", as damaged or foreign files would reach
// it. Nothing may crash; what is read has keys the stores can hold, and
// damage is refused naming a file or a missing one.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "club/record_keys.h"
#include "interchange/naic_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static constexpr std::array<const char*, 7> kNames = {"cash.dt",     "secname.dt",  "valuatn.dt", "member.dt",
                                                        "security.dt", "memtrans.dt", "invparms.dt"};
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  pellmark::interchange::NaicFiles files;
  for (const char* name : kNames) {
    const std::size_t cut = rest.find("\n--\n");
    // Short pieces are padded to the header's length, so that records are reached.
    std::string bytes(pellmark::interchange::kNaicHeaderSize, '\0');
    bytes += rest.substr(0, cut);
    files[name] = bytes;
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 4);
  }
  try {
    const pellmark::interchange::ImportedClub club = pellmark::interchange::ReadNaicFiles(files);
    for (const auto& record : club.memrecs) (void)pellmark::MemberTranKey(record);
    for (const auto& record : club.stkrecs) (void)pellmark::SecurityTranKey(record);
    for (const auto& record : club.prices) (void)pellmark::PriceKey(record);
    for (const auto& record : club.actrecs) (void)pellmark::AccountTranKey(record);
    for (const auto& record : club.unitfile) (void)pellmark::UnitValueKey(record);
  } catch (const pellmark::interchange::ImportDamage& damage) {
    const std::string_view text = damage.what();
    if (!text.starts_with("Could not open ") && text.find(".dt") == std::string_view::npos) std::abort();
  }
  return 0;
}
