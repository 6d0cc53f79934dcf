#include "net/quote_request.h"

#include <fmt/format.h>

#include "club/number_parse.h"

namespace pellmark::net {
namespace {

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

std::string JoinedSymbols(const std::vector<std::string>& symbols) {
  std::string joined;
  for (const std::string& symbol : symbols) {
    if (!joined.empty()) joined += '+';
    for (unsigned char c : symbol) {
      if (Unreserved(c)) {
        joined += static_cast<char>(c);
      } else {
        joined += fmt::format("%{:02X}", c);
      }
    }
  }
  return joined;
}

}  // namespace

bool TakesQuotes(const ListedSecurity& security) {
  return security.symbol != kSymbolPlaceholder && !TrimBlanks(security.symbol).empty();
}

std::vector<std::string> QuoteSymbols(const std::vector<ListedSecurity>& listed) {
  std::vector<std::string> symbols;
  for (const ListedSecurity& security : listed) {
    if (TakesQuotes(security)) symbols.push_back(security.symbol);
  }
  return symbols;
}

bool TemplateHoldsSymbols(std::string_view url_template) {
  return url_template.find(kSymbolsSlot) != std::string_view::npos;
}

std::string QuoteUrl(const QuoteService& service, const std::vector<std::string>& symbols) {
  const std::string joined = JoinedSymbols(symbols);
  const std::string_view url_template = TrimBlanks(service.url_template);
  if (!url_template.empty()) {
    std::string url(url_template);
    for (std::size_t at = url.find(kSymbolsSlot); at != std::string::npos;
         at = url.find(kSymbolsSlot, at + joined.size())) {
      url.replace(at, kSymbolsSlot.size(), joined);
    }
    return url;
  }
  return fmt::format("http://{}/d/quotes.csv?s={}&f=sl1d1&e=.csv", TrimBlanks(service.host), joined);
}

}  // namespace pellmark::net
