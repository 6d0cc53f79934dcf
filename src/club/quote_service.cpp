#include "club/quote_service.h"

#include "club/number_parse.h"

namespace pellmark {

bool QuoteService::Configured() const { return !TrimBlanks(host).empty() || !TrimBlanks(url_template).empty(); }

}  // namespace pellmark
