#include "cli/named_records.h"

#include "cli/input_forms.h"
#include "store/key_order.h"

namespace pellmark::cli {

std::optional<TSecurityRec> FindSecurity(Books& books, const std::string& utf8_name) {
  const std::string name = StorableText(utf8_name);
  if (std::optional<TSecurityRec> named = books.Securities().Find(name)) return named;
  std::optional<TSecurityRec> ticker;
  for (TSecurityRec& security : books.Securities().List(false)) {
    if (security.symbol.empty() || store::CompareKeys(security.symbol, name, false) != 0) continue;
    if (ticker) return std::nullopt;  // two securities share it: the ticker names neither
    ticker = std::move(security);
  }
  return ticker;
}

}  // namespace pellmark::cli
