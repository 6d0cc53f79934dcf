// Requests for the entry dialog tests: a club with a broker account (last check
// 1041) and a savings account (no checks), two securities, and income and expense
// categories.
#pragma once

#include "club/dates.h"
#include "forms/entry_dialog.h"

namespace pellmark::testing {

inline TAccountRec Account(std::string name, std::int32_t actid, std::int32_t lstchk) {
  TAccountRec account;
  account.name = std::move(name);
  account.actid = actid;
  account.lstchk = lstchk;
  return account;
}

inline TCategoryRec Category(std::string name, std::int32_t catid, std::uint8_t typ) {
  TCategoryRec category;
  category.cat = std::move(name);
  category.catid = catid;
  category.typ = typ;
  return category;
}

inline constexpr CivilDate kEntryDate{1999, 6, 15};

inline EntryDialogRequest ClubRequest(EntryMode mode, bool change = false) {
  EntryDialogRequest request;
  request.mode = mode;
  request.change = change;
  request.heading = "Acme Widgets";
  request.accounts = {Account("Broker", 1, 1041), Account("Savings", 2, -1)};
  TSecurityRec acme, bolt;
  acme.name = "Acme Widgets";
  acme.stkid = 4;
  bolt.name = "Bolt Motors";
  bolt.stkid = 7;
  request.securities = {acme, bolt};
  request.categories = {Category("Dues", 1, 1), Category("Dividend Income", 2, 1), Category("Investments", 7, 2),
                        Category("Office", 11, 2)};
  request.current_account = request.accounts[0];
  double date = DayNumberFromCivil(kEntryDate);
  request.security_tran.trandate = date;
  request.security_tran.stkid = 4;
  request.security_tran.actid = 1;
  request.price.trandate = date;
  request.member_tran.trandate = date;
  request.member_tran.actid = 1;
  request.account_tran.trandate = date;
  request.account_tran.actid = 1;
  TUnitValueRec june, march;
  june.unitval = 12.5;
  june.unitid = 9;
  june.date = DayNumberFromCivil({1999, 5, 31});
  march.unitval = 11;
  march.unitid = 8;
  march.date = DayNumberFromCivil({1999, 3, 31});
  request.payoff_valuations = {{june, 2500}, {march, 2200}};
  return request;
}

}  // namespace pellmark::testing
