#include "cash/interest_year.h"

#include <map>
#include <string>
#include <vector>

#include "cash/account_posting.h"

namespace pellmark::ledger {

void RestartYearInterest(ClubSession& club, const std::vector<TAccountTranRec>& transactions) {
  std::map<std::int32_t, std::vector<TAccountTranRec>> registers;
  for (const TAccountTranRec& tran : transactions) registers[tran.actid].push_back(tran);
  const std::vector<TAccountTranRec> none;
  std::vector<std::pair<std::string, TAccountRec>> changed;
  club.accounts.ForEachKeyed("", [&](const std::string& key, TAccountRec&& account) {
    const auto found = registers.find(account.actid);
    const double interesty =
        AccountFiguresFrom(account, found == registers.end() ? none : found->second, club.Info().year).interesty;
    if (interesty == account.interesty) return;
    account.interesty = interesty;
    changed.emplace_back(key, std::move(account));
  });
  for (const auto& [key, account] : changed) club.accounts.PutAt(key, account);
}

}  // namespace pellmark::ledger
