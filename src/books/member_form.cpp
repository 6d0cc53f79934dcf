#include "books/member_form.h"

namespace pellmark {
namespace {

std::string Unprompted(const std::string& text, const char* prompt) { return text == prompt ? std::string() : text; }

}  // namespace

ledger::MemberEntry ReadMember(const MemberFields& fields) {
  ledger::MemberEntry entry{.group = fields.group,
                            .addr = fields.addr,
                            .city = fields.city,
                            .state = fields.state,
                            .zip = fields.zip,
                            .idnum = fields.idnum,
                            .hphone = fields.hphone,
                            .wphone = fields.wphone,
                            .fphone = fields.fphone,
                            .ophone = fields.ophone,
                            .email = fields.email};
  if (fields.group) {
    entry.name = Unprompted(fields.name, kGroupNamePrompt);
  } else {
    entry.lname = Unprompted(fields.lname, kLastNamePrompt);
    entry.fname = Unprompted(fields.fname, kFirstNamePrompt);
  }
  return entry;
}

Outcome CommitMember(ledger::MemberLedger& members, const std::optional<std::string>& existing,
                     const MemberFields& fields) {
  return members.CommitMember(existing, ReadMember(fields));
}

}  // namespace pellmark
