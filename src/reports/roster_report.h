// The membership roster (kind 8): every active member's name, address,
// phones and e-mail. The texts the member form shows in empty fields
// ("Address", "Home Phone" …) count as empty.
//
//   RosterReport report(info.club, ComputeRoster(ReadMemberBook(club)));
#pragma once

#include <string>
#include <vector>

#include "reports/member_book.h"
#include "reports/report.h"

namespace pellmark::reports {

struct RosterMember {
  std::string name;     // "First Last", or the group's name
  std::string address;  // "addr, city, state zip"; empty without `addr`
  std::string home, work, fax, other, email;  // empty when blank or a placeholder
};

// True for a field left empty or holding one of the member form's placeholders.
bool IsBlankField(const std::string& field);

std::vector<RosterMember> ComputeRoster(const std::vector<BookMember>& book);

// The table's rows, cells joined by "|": header, rule, each member's rows,
// "-" rules between members and a closing "=" rule (fillers as wide as the
// printer's font makes them).
std::vector<std::string> RosterRows(const std::vector<RosterMember>& roster, TPagePrinter& printer);

class RosterReport : public Report {
 public:
  RosterReport(std::string club_name, std::vector<RosterMember> roster)
      : club_name_(std::move(club_name)), roster_(std::move(roster)) {}
  int Kind() const override { return 8; }
  std::string Caption() const override { return "Membership Roster"; }
  void Lay(TPagePrinter& printer) override;

 private:
  std::string club_name_;
  std::vector<RosterMember> roster_;
};

}  // namespace pellmark::reports
