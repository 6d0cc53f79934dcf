#include "net/quote_reply.h"

#include <fmt/format.h>

#include <optional>

#include "club/dates.h"
#include "club/money.h"
#include "club/number_parse.h"
#include "net/quote_request.h"
#include "store/key_order.h"

namespace pellmark::net {
namespace {

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(store::UpperWindows1252(static_cast<unsigned char>(c)));
  return upper;
}

// A price the service quotes: a number above 0. A zero would write the
// security off, which a missing quote must never do.
std::optional<double> QuotedPrice(std::string_view text) {
  std::optional<double> price = ParseNumber(text);
  if (!price || *price <= 0 || !PriceInRange(*price)) return std::nullopt;
  return price;
}

}  // namespace

std::vector<std::string_view> SplitReplyLines(std::string_view body) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < body.size()) {
    std::size_t end = body.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(body.substr(start));
      break;
    }
    lines.push_back(body.substr(start, end - start));
    start = end + (body[end] == '\r' && end + 1 < body.size() && body[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

QuoteFields SplitQuoteLine(std::string_view line) {
  QuoteFields fields;
  std::string* field[] = {&fields.symbol, &fields.price, &fields.date};
  std::size_t index = 0;
  for (char c : line) {
    if (c == ',') {
      if (++index == 3) break;
    } else if (c != '"') {
      *field[index] += c;
    }
  }
  return fields;
}

MatchReport MatchQuotes(const std::vector<ListedSecurity>& listed, std::string_view body, QuoteBook& book,
                        Interaction& ui) {
  const std::vector<std::string_view> lines = SplitReplyLines(body);
  MatchReport report;
  std::size_t line = 0;
  bool asked = false;
  for (std::size_t position = 0; position < listed.size(); ++position) {
    const ListedSecurity& security = listed[position];
    ui.ShowProgress("Quotes", static_cast<int>((position + 1) * 100 / listed.size()));
    if (!TakesQuotes(security)) continue;
    asked = true;
    if (line >= lines.size()) continue;
    const std::string symbol = Upper(TrimBlanks(security.symbol));
    const QuoteFields fields = SplitQuoteLine(lines[line]);
    // The whole symbol must agree: a line of "A" is not the quote of "AAPL".
    const std::string_view quoted = TrimBlanks(fields.symbol);
    if (Upper(quoted) != symbol) continue;
    if (!fields.date.empty() && fields.date.front() == 'N') {
      ui.ShowError(symbol + " is an invalid symbol for security " + security.name + ".");
    } else {
      const std::optional<double> price = QuotedPrice(fields.price);
      const std::optional<DayNumber> date = ParseDate(fields.date);
      if (!price || !date) {
        report.message = fmt::format(
            "The quote for {} on reply line {} could not be read; no further quotes were entered.", symbol, line + 1);
        ui.ShowError(report.message);
        report.stopped = true;
        break;
      }
      book.EnterPrice(security, *date, *price);
      ++report.entered;
    }
    ++line;
  }
  ui.ShowProgress("Quotes", 0);
  // An empty reply, a web page or other bytes: no line belonged to any
  // security, which must not pass for a run that found nothing to change.
  if (asked && line == 0 && !report.stopped) {
    report.message = kReplyHeldNoQuotes;
    ui.ShowError(report.message);
    report.stopped = true;
  }
  return report;
}

}  // namespace pellmark::net
