// "Online" on the Prices sheet as the books run it: the latest price and date
// of every listed security from the quote service, entered as prices.
//
//   ConnectOnce dialog;
//   QuoteRun run = books.FetchQuotes({.host = "quotes.example.com"}, dialog);
//   for (const EnteredQuote& quote : run.entered) print(quote);
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "club/dates.h"
#include "club/outcome.h"

namespace pellmark {

inline constexpr std::string_view kNoServiceConfigured = "No quote service is configured.";
inline constexpr std::string_view kNoSymbolsSlot = "The quote URL template has no {symbols}.";
inline constexpr std::string_view kNoValidSymbols = "No Securities have valid Symbols.";
inline constexpr std::string_view kQuotesUpdated = "Stock Quotes have been updated...";
inline constexpr std::string_view kPriceUpdateQuestion =
    "No Valuation Statement Created since last price update. Continue?";

// A price the run entered; texts in Windows-1252 as stored.
struct EnteredQuote {
  std::string name;
  std::string symbol;
  DayNumber date = 0;
  double price = 0;
  friend bool operator==(const EnteredQuote&, const EnteredQuote&) = default;
};

struct QuoteRun {
  Outcome outcome;
  // In the order entered.
  std::vector<EnteredQuote> entered;
};

}  // namespace pellmark
