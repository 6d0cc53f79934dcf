#include "reports/roster_report.h"

#include <array>

#include "members/member_posting.h"

namespace pellmark::reports {

namespace {

constexpr const char* kRosterFormat = "<1.99|<3.96|<1.30";
constexpr std::array<const char*, 6> kPlaceholders = {"Address",   "Home Phone",  "Work Phone",
                                                      "Fax Phone", "Other Phone", "Email Address"};

std::string Field(const std::string& field) { return IsBlankField(field) ? std::string() : field; }

std::string RuleRow(TPagePrinter& printer, char fill) {
  return Filler(printer, fill, 25) + "|" + Filler(printer, fill, 54) + "|" + Filler(printer, fill, 16);
}

}  // namespace

bool IsBlankField(const std::string& field) {
  if (field.empty()) return true;
  for (const char* placeholder : kPlaceholders) {
    if (field == placeholder) return true;
  }
  return false;
}

std::vector<RosterMember> ComputeRoster(const std::vector<BookMember>& book) {
  std::vector<RosterMember> roster;
  for (const BookMember& member : book) {
    const TMemberRec& m = member.record;
    if (!m.active) continue;
    RosterMember entry;
    entry.name = ledger::DisplayName(m);
    if (!IsBlankField(m.addr)) entry.address = m.addr + ", " + m.city + ", " + m.state + " " + m.zip;
    entry.home = Field(m.hphone);
    entry.work = Field(m.wphone);
    entry.fax = Field(m.fphone);
    entry.other = Field(m.ophone);
    entry.email = Field(m.email);
    roster.push_back(std::move(entry));
  }
  return roster;
}

std::vector<std::string> RosterRows(const std::vector<RosterMember>& roster, TPagePrinter& printer) {
  std::vector<std::string> rows = {"Name|Address|Phone", RuleRow(printer, '=')};
  for (std::size_t i = 0; i < roster.size(); ++i) {
    const RosterMember& m = roster[i];
    if (i > 0) rows.push_back(RuleRow(printer, '-'));
    rows.push_back(m.name + "|" + (m.address.empty() ? " " : m.address) + "|" + (m.home.empty() ? " " : "(H)" + m.home));
    bool email_shown = false;
    for (auto [label, number] : {std::pair{"(W)", &m.work}, {"(F)", &m.fax}, {"(O)", &m.other}}) {
      if (number->empty()) continue;
      const bool show_email = !email_shown && !m.email.empty();
      rows.push_back(" |" + (show_email ? m.email : std::string(" ")) + "|" + label + *number);
      email_shown = email_shown || show_email;
    }
    if (!email_shown && !m.email.empty()) rows.push_back(" |" + m.email + "| ");
  }
  if (!roster.empty()) rows.push_back(RuleRow(printer, '='));
  return rows;
}

void RosterReport::Lay(TPagePrinter& printer) {
  layout::Heading(printer, club_name_, "Membership Roster");
  printer.WriteLine(" ");
  printer.WriteLine(" ");
  printer.SetFontSize(8);
  printer.SetTableFormat(kRosterFormat);
  printer.Lines = RosterRows(roster_, printer);
  printer.WriteLines(true);
  printer.Lines.clear();
}

}  // namespace pellmark::reports
