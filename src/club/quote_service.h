// Where the program asks for quotes, and how long it waits: a setting of the
// user, not of the club, that both front ends hand to the books' quote run.
//
//   QuoteService service{.host = "quotes.example.com"};
//   books.FetchQuotes(service, dialog, ui);
#pragma once

#include <chrono>
#include <string>

namespace pellmark {

// A host answering the fixed path and query, or a full URL template for a
// service that answers the same lines elsewhere (https too). The template wins
// when both are set.
struct QuoteService {
  std::string host;
  std::string url_template;
  // Quotes for the hidden securities too, as a list showing them asks
  // (the club's view setting asks the same).
  bool include_hidden = false;

  // Whether either is more than blanks.
  bool Configured() const;
};

// How long a fetch waits: for a connection, and for any byte while connected.
struct ConnectionWaits {
  std::chrono::milliseconds connect{30'000};
  std::chrono::milliseconds stall{30'000};
};

}  // namespace pellmark
