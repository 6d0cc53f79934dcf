// Matching the quote service's reply against the listed securities.
//
// The reply holds one line per symbol asked for, in the order asked, each three
// comma-separated fields: symbol, last price, date of the last trade
// (month/day/year); double quotes are dropped. A date beginning with "N" (N/A)
// marks a symbol the service does not know.
//
// The securities are walked in list order with a line index: a line that
// belongs to the security is used and the index moves on; one that does not
// stays for the next security, so a line the service left out costs only its
// own security.
//
//   "\"IBM\",123.25,\"12/4/2026\"\r\n\"MSFT\",410.5,\"12/4/2026\"\r\n"
//   MatchQuotes(listed, body, book, ui)  -> two prices entered
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "club/interaction.h"
#include "net/quote_book.h"

namespace pellmark::net {

// The lines of a reply: each ends at a carriage return, a line feed or both;
// a last line without an end counts, an end after the last line adds none.
std::vector<std::string_view> SplitReplyLines(std::string_view body);

// The first three fields of a line: a field ends at a comma or the end of the
// line; double-quote characters are dropped. Missing fields are empty.
struct QuoteFields {
  std::string symbol, price, date;
};
QuoteFields SplitQuoteLine(std::string_view line);

inline constexpr const char* kReplyHeldNoQuotes =
    "The quote service's reply held no quotes for the listed securities; no prices were entered.";

struct MatchReport {
  int entered = 0;       // prices entered
  bool stopped = false;  // a price or date could not be read; its message was shown
  std::string message;   // that message
};

// Enters the price of every listed security whose line is found, shows
// "<symbol> is an invalid symbol for security <name>." for an unknown symbol
// and the "Quotes" gauge while it works. A line that belongs to a security but
// whose price (a number above 0) or date cannot be read ends the matching with
// a message; prices entered before it stay. A reply of which no line belongs
// to a security that takes quotes ends with kReplyHeldNoQuotes. Store errors
// propagate.
MatchReport MatchQuotes(const std::vector<ListedSecurity>& listed, std::string_view body, QuoteBook& book,
                        Interaction& ui);

}  // namespace pellmark::net
