// Where the program asks for quotes: a setting of the user, not of the club
// (QSettings "Quillomer"/"Pellmark", values QUOTEHOST and QUOTEURL), edited in
// the Special page's Internet group.
#pragma once

#include "net/quote_request.h"

namespace pellmark::ui {

net::QuoteService QuoteServiceSetting();
void SaveQuoteServiceSetting(const net::QuoteService& service);

}  // namespace pellmark::ui
