// The key each stored record lives under, from the record's own fields; the
// typed tables of the club session are bound to these.
//
//   MemberKey(ann)          -> "_Smith, Ann"   (hidden: "~Smith, Ann")
//   AccountTranKey(check)   -> "7_2026_335_00012"
//   UnitValueKey(unit)      -> "2026_001_00000"
#pragma once

#include <string>

#include "club/records.h"

namespace pellmark {

std::string MemberKey(const TMemberRec& member);
std::string MemberTranKey(const TMemberTranRec& tran);
std::string SecurityKey(const TSecurityRec& security);
std::string SecurityTranKey(const TSecurityTranRec& tran);
std::string PriceKey(const TPriceRec& price);
std::string AccountKey(const TAccountRec& account);
std::string AccountTranKey(const TAccountTranRec& tran);
std::string CategoryRecordKey(const TCategoryRec& category);
std::string UnitValueKey(const TUnitValueRec& unit);

}  // namespace pellmark
