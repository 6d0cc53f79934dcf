// "Online" on the Prices sheet: the latest price and date of every listed
// security from the quote service, entered as prices.
//
//   QtConnectionDialog dialog(window);
//   Outcome outcome = books.Settle(net::FetchOnlineQuotes(club, club.Ui(), book, service, dialog));
#pragma once

#include <string_view>

#include "club/club_session.h"
#include "club/outcome.h"
#include "net/internet_form.h"
#include "net/quote_book.h"
#include "net/quote_request.h"

namespace pellmark::net {

inline constexpr std::string_view kNoServiceConfigured = "No quote service is configured.";
inline constexpr std::string_view kNoSymbolsSlot = "The quote URL template has no {symbols}.";
inline constexpr std::string_view kNoValidSymbols = "No Securities have valid Symbols.";
inline constexpr std::string_view kQuotesUpdated = "Stock Quotes have been updated...";
inline constexpr std::string_view kPriceUpdateQuestion =
    "No Valuation Statement Created since last price update. Continue?";

// Shows the connection dialog, prepared for its task, until it closes: done or aborted.
class ConnectionDialog {
 public:
  virtual ~ConnectionDialog() = default;
  virtual void Run(InternetForm& form) = 0;
};

// The dialog without a window, for the command line: Connect is pressed once,
// and a failed connection closes the dialog as by Abort.
class ConnectOnce : public ConnectionDialog {
 public:
  void Run(InternetForm& form) override;
};

// The quote run. Refused when no service is configured, a template lacks
// {symbols}, no listed security has a symbol, or a line of the reply could not
// be read (the prices entered before it stay); cancelled when the question about
// the last price update is answered No or the dialog is aborted. When a price
// was entered the prices-changed flag is set in the club information, the
// sound plays and "Stock Quotes have been updated..." is shown. The caller
// settles the outcome (one unit of work) and refreshes the screen. Everything
// shown goes through `ui`: the club's port, or one that also moves a window's
// own "Quotes" gauge.
Outcome FetchOnlineQuotes(ClubSession& club, Interaction& ui, QuoteBook& book, const QuoteService& service,
                          ConnectionDialog& dialog, HttpTimeouts timeouts = {});

}  // namespace pellmark::net
