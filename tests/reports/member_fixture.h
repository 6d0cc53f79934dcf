// Members and member transactions made by hand for the member reports.
#pragma once

#include <string>
#include <vector>

#include "club/dates.h"
#include "club/record_kinds.h"
#include "reports/member_book.h"

namespace pellmark::reports::testing {

inline DayNumber Day(int y, int m, int d) { return DayNumberFromCivil({y, m, d}); }

inline TMemberTranRec Tran(MemberTranKind kind, DayNumber date, double dues, double cunit, double fee = 0) {
  TMemberTranRec tran;
  tran.typ = Code(kind);
  tran.trandate = date;
  tran.dues = dues;
  tran.cunit = cunit;
  tran.fee = fee;
  return tran;
}

inline BookMember Person(const std::string& fname, const std::string& lname, std::vector<TMemberTranRec> trans,
                         bool active = true) {
  BookMember member;
  member.record.fname = fname;
  member.record.lname = lname;
  member.record.active = active;
  for (TMemberTranRec& tran : trans) tran.memid = member.record.memid;
  member.transactions = std::move(trans);
  return member;
}

}  // namespace pellmark::reports::testing
