#include "books/listed_values.h"

#include "members/member_value.h"
#include "securities/security_summary.h"

namespace pellmark {

ListedValues MemberValues(Books& books) {
  ListedValues values;
  const TClubInfoRec& info = books.Club().Info();
  for (const TMemberRec& member : books.Members().List(false)) values[MemberName(member)] = ledger::MemberValue(member, info);
  return values;
}

ListedValues HoldingValues(Books& books) {
  ListedValues values;
  for (const TSecurityRec& security : books.Securities().List(false)) {
    values[security.name] = ledger::SummarizeSecurity(security).value;
  }
  return values;
}

}  // namespace pellmark
