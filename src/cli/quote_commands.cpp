#include <fmt/format.h>

#include <memory>
#include <string>

#include "books/books.h"
#include "cli/cli_context.h"
#include "cli/open_club.h"
#include "cli/terminal_connection.h"
#include "club/text_encoding.h"
#include "forms/internet_form.h"
#include "securities/price_ledger.h"

namespace pellmark::cli {
namespace {

struct QuoteOptions {
  std::string host;
  std::string url;
  bool hidden = false;
};

void FetchQuotes(CliContext& context, const QuoteOptions& options) {
  WithOpenClub(context, [&](Books& books) {
    TerminalConnection dialog(*context.out);
    const QuoteRun run =
        books.FetchQuotes({.host = options.host, .url_template = options.url, .include_hidden = options.hidden}, dialog);
    for (const EnteredQuote& quote : run.entered) {
      *context.out << fmt::format("{} ({}) {} {}\n", ToUtf8(quote.name), ToUtf8(quote.symbol), FormatDate(quote.date),
                                  ledger::FormatPrice(quote.price));
    }
    context.out->flush();
    if (!run.outcome) throw CommandRefused(run.outcome.Message());
  });
}

}  // namespace

void AddQuoteCommands(CLI::App& app, CommandList& commands) {
  auto options = std::make_shared<QuoteOptions>();
  auto* command = app.add_subcommand(
      "quotes", "Fetch the latest price of every listed security from a quote service (the club's proxy and "
                "authentication settings apply)");
  auto* host = command->add_option("--host", options->host, "Quote service host, asked for /d/quotes.csv");
  command->add_option("--url", options->url, "Whole URL of the quote service, with {symbols} where the symbols go")
      ->excludes(host);
  command->add_flag("--hidden", options->hidden,
                    "Also the hidden securities, as the list shows them with Show Hidden Securities ticked");
  commands.push_back({command, [options](CliContext& context) { FetchQuotes(context, *options); }});
}

}  // namespace pellmark::cli
