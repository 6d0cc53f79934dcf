// Feeds arbitrary bytes to the reader of valuation statement files. A damaged
// file must be refused with StatementError; a statement that was read must
// write back records the reader reads to the same statement.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "valuation/statement_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    pellmark::valuation::Statement statement = pellmark::valuation::DecodeStatement(bytes, "fuzz.stm");
    std::string again = pellmark::valuation::EncodeStatement(statement);
    pellmark::valuation::Statement back = pellmark::valuation::DecodeStatement(again, "fuzz.stm");
    if (back.date != statement.date || back.securities.size() != statement.securities.size() ||
        back.members.size() != statement.members.size() || back.accounts.size() != statement.accounts.size()) {
      std::abort();
    }
  } catch (const pellmark::valuation::StatementError&) {
  }
  return 0;
}
