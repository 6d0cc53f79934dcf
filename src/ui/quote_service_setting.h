// Where the program asks for quotes: a setting of the user, not of the club
// (QSettings "Quillomer"/"Pellmark", values QUOTEHOST and QUOTEURL), edited in
// the Special page's Internet group.
#pragma once

#include "club/quote_service.h"

namespace pellmark::ui {

QuoteService QuoteServiceSetting();
void SaveQuoteServiceSetting(const QuoteService& service);

}  // namespace pellmark::ui
