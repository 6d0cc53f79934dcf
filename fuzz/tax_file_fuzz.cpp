// Feeds arbitrary bytes to the reader of tax files. A damaged file must be
// refused with TaxFileError; a file that was read must write back the same
// bytes' lines, and those read back to the same file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "reports/tax_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    const pellmark::reports::TaxFile file = pellmark::reports::DecodeTaxFile(bytes, "fuzz.tax");
    const pellmark::reports::TaxFile back =
        pellmark::reports::DecodeTaxFile(pellmark::reports::EncodeTaxFile(file), "fuzz.tax");
    if (back.sections != file.sections || back.year != file.year || back.medium != file.medium ||
        back.foreign != file.foreign || back.first_record != file.first_record) {
      std::abort();
    }
  } catch (const pellmark::reports::TaxFileError&) {
  }
  return 0;
}
