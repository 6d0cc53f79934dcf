// The request of the quote run: the symbols of the listed securities and the
// one URL that names them all.
//
//   QuoteSymbols({{"Intl Business", "IBM"}, {"New", "Symbol"}, {"Soft", "msft"}})  -> {"IBM", "msft"}
//   QuoteUrl({.host = "quotes.example.com"}, {"IBM", "msft"})
//     -> "http://quotes.example.com/d/quotes.csv?s=IBM+msft&f=sl1d1&e=.csv"
//   QuoteUrl({.url_template = "https://q.example.com/csv?list={symbols}"}, {"IBM"})
//     -> "https://q.example.com/csv?list=IBM"
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "club/quote_service.h"
#include "net/quote_book.h"

namespace pellmark::net {

// The symbol a new security starts with; such a security takes no quotes.
inline constexpr std::string_view kSymbolPlaceholder = "Symbol";
// Where the URL template takes the joined symbols.
inline constexpr std::string_view kSymbolsSlot = "{symbols}";

using pellmark::QuoteService;

// Whether the security's symbol is asked for: neither the placeholder nor
// blank (a blank symbol cannot be quoted, and would leave an empty place in the list).
bool TakesQuotes(const ListedSecurity& security);

// The symbols of the listed securities that take quotes, in list order, as stored.
std::vector<std::string> QuoteSymbols(const std::vector<ListedSecurity>& listed);

// The request URL; the symbols are joined by "+". A byte of a symbol that a URL
// cannot carry as it is (a blank, "&", "+", "#", a non-ASCII letter) is
// percent-encoded, so a symbol can never end the list or add a query key.
// The service must be configured; a template must hold kSymbolsSlot.
std::string QuoteUrl(const QuoteService& service, const std::vector<std::string>& symbols);

// Whether a URL template can take the symbols.
bool TemplateHoldsSymbols(std::string_view url_template);

}  // namespace pellmark::net
