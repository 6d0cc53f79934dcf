#include "reports/member_book.h"

#include <algorithm>
#include <map>

#include "reports/page_printer.h"

namespace pellmark::reports {

std::vector<BookMember> ReadMemberBook(ClubSession& club) {
  std::map<std::int32_t, std::vector<TMemberTranRec>> by_member;
  club.memrecs.ForEach("", [&](TMemberTranRec&& tran) { by_member[tran.memid].push_back(std::move(tran)); });
  std::vector<BookMember> book;
  club.members.ForEach("", [&](TMemberRec&& member) {
    auto found = by_member.find(member.memid);
    std::vector<TMemberTranRec> transactions;
    if (found != by_member.end()) transactions = std::move(found->second);
    book.push_back({std::move(member), std::move(transactions)});
  });
  return book;
}

std::string Filler(TPagePrinter& printer, char fill, int digits) {
  return std::string(static_cast<std::size_t>(std::max(printer.RepeatCount(std::string(1, fill), digits), 0)), fill);
}

}  // namespace pellmark::reports
