#include "club/record_keys.h"

#include "club/keys.h"

namespace pellmark {

std::string MemberKey(const TMemberRec& member) { return NameKey(!member.active, MemberName(member)); }
std::string MemberTranKey(const TMemberTranRec& tran) { return TranKey(tran.memid, tran.duestran, tran.trandate); }
std::string SecurityKey(const TSecurityRec& security) { return NameKey(!security.active, security.name); }
std::string SecurityTranKey(const TSecurityTranRec& tran) { return TranKey(tran.stkid, tran.stranid, tran.trandate); }
std::string PriceKey(const TPriceRec& price) { return TranKey(price.stkid, price.tranid, price.trandate); }
std::string AccountKey(const TAccountRec& account) { return NameKey(!account.active, account.name); }
std::string AccountTranKey(const TAccountTranRec& tran) { return TranKey(tran.actid, tran.tranid, tran.trandate); }
std::string CategoryRecordKey(const TCategoryRec& category) {
  return CategoryKey(category.cat, category.catid, category.typ);
}
std::string UnitValueKey(const TUnitValueRec& unit) { return UnitKey(unit.unitid, unit.date); }

}  // namespace pellmark
