#include "books/security_quotes.h"

#include "books/http_line.h"
#include "club/number_parse.h"
#include "net/quote_reply.h"
#include "net/quote_request.h"

namespace pellmark {

std::vector<net::ListedSecurity> SecurityQuotes::ListedSecurities() {
  std::vector<net::ListedSecurity> listed;
  for (const TSecurityRec& security : books_.Securities().List(/*active_only=*/!show_hidden_)) {
    listed.push_back({security.name, security.symbol});
  }
  return listed;
}

void SecurityQuotes::EnterPrice(const net::ListedSecurity& security, DayNumber date, double price) {
  const std::optional<TSecurityRec> record = books_.Securities().Find(security.name);
  if (!record || (!record->active && !show_hidden_)) return;
  TPriceRec quote;
  quote.price = price;
  quote.trandate = date;
  if (books_.Prices().RecordPrice(record->stkid, ledger::PriceMode::NewWithoutDialog, quote) ==
      ledger::PriceResult::Stored) {
    entered_.push_back({security.name, security.symbol, date, price});
  }
}

QuoteRun Books::FetchQuotes(const QuoteService& service, ConnectionDialog& dialog, Interaction* ui,
                            ConnectionWaits waits) {
  Interaction& port = ui != nullptr ? *ui : club_.Ui();
  if (!service.Configured()) return {Refuse(port, std::string(kNoServiceConfigured)), {}};
  if (!TrimBlanks(service.url_template).empty() && !net::TemplateHoldsSymbols(service.url_template)) {
    return {Refuse(port, std::string(kNoSymbolsSlot)), {}};
  }
  if (club_.Info().stks && !port.Confirm(kPriceUpdateQuestion)) return {Outcome::Cancelled(), {}};

  SecurityQuotes book(*this, service.include_hidden || club_.View().showhiddensecurities);
  const std::vector<net::ListedSecurity> listed = book.ListedSecurities();
  const std::vector<std::string> symbols = net::QuoteSymbols(listed);
  if (symbols.empty()) return {Refuse(port, std::string(kNoValidSymbols)), {}};

  HttpLine line(waits);
  InternetForm form(port, line);
  form.PrepareForQuotes(net::QuoteUrl(service, symbols), club_.Info());
  form.Show();
  dialog.Run(form);
  if (form.Result() != InternetResult::kDone) return {Outcome::Cancelled(), {}};

  // The prices entered before an unreadable line stay: the run is committed whatever its outcome.
  Outcome outcome = Run([&] {
    const net::MatchReport report = net::MatchQuotes(listed, form.Reply(), book, port);
    if (report.entered > 0) {
      club_.Info().stks = true;
      club_.WriteClubInfo();
      port.PlayConfirmationSound();
      port.ShowInformation(kQuotesUpdated);
    }
    return report.stopped ? Outcome::Refusal(report.message) : Outcome::Done();
  });
  return {Settle(std::move(outcome)), book.Entered()};
}

}  // namespace pellmark
