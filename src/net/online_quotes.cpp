#include "net/online_quotes.h"

#include "club/number_parse.h"
#include "net/quote_reply.h"

namespace pellmark::net {

void ConnectOnce::Run(InternetForm& form) {
  form.Connect();
  if (!form.Closed()) form.Abort();
}

Outcome FetchOnlineQuotes(ClubSession& club, Interaction& ui, QuoteBook& book, const QuoteService& service,
                          ConnectionDialog& dialog, HttpTimeouts timeouts) {
  if (!service.Configured()) return Refuse(ui, std::string(kNoServiceConfigured));
  if (!TrimBlanks(service.url_template).empty() && !TemplateHoldsSymbols(service.url_template)) {
    return Refuse(ui, std::string(kNoSymbolsSlot));
  }
  if (club.Info().stks && !ui.Confirm(kPriceUpdateQuestion)) return Outcome::Cancelled();

  const std::vector<ListedSecurity> listed = book.ListedSecurities();
  const std::vector<std::string> symbols = QuoteSymbols(listed);
  if (symbols.empty()) return Refuse(ui, std::string(kNoValidSymbols));

  InternetForm form(ui, timeouts);
  form.PrepareForQuotes(QuoteUrl(service, symbols), club.Info());
  form.Show();
  dialog.Run(form);
  if (form.Result() != InternetResult::kDone) return Outcome::Cancelled();

  const MatchReport report = MatchQuotes(listed, form.Reply(), book, ui);
  if (report.entered > 0) {
    club.Info().stks = true;
    club.WriteClubInfo();
    ui.PlayConfirmationSound();
    ui.ShowInformation(kQuotesUpdated);
  }
  return report.stopped ? Outcome::Refusal(report.message) : Outcome::Done();
}

}  // namespace pellmark::net
