// The connection dialog's line over the HTTP client: the club's proxy, cache
// and basic authentication settings, the given waits, progress and abort.
//
//   HttpLine line(waits);
//   InternetForm form(ui, line);
#pragma once

#include "club/quote_service.h"
#include "forms/internet_form.h"

namespace pellmark {

class HttpLine : public InternetLine {
 public:
  explicit HttpLine(ConnectionWaits waits = {}) : waits_(waits) {}

  Reply Fetch(const std::string& url, const TClubInfoRec& info, LineEvents& events) override;

 private:
  ConnectionWaits waits_;
};

}  // namespace pellmark
