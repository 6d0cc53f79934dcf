// The member fields of the Members page: the prompts the name fields show, and
// on "Commit Changes/Additions" the entry the member ledger stores, a name
// field still showing its prompt read as no name.
//
//   MemberFields fields;
//   fields.lname = "Smith";
//   fields.fname = kFirstNamePrompt;
//   CommitMember(members, std::nullopt, fields);   // "No Member to Add." through the club's port
#pragma once

#include <optional>
#include <string>

#include "club/outcome.h"
#include "members/member_ledger.h"

namespace pellmark {

inline constexpr const char* kLastNamePrompt = "Last Name";
inline constexpr const char* kFirstNamePrompt = "First Name";
inline constexpr const char* kGroupNamePrompt = "Name";

// The texts of the member fields as the user left them. A person has a last
// and a first name, a group one name (shown in the first-name box).
struct MemberFields {
  bool group = false;
  std::string lname, fname, name;
  std::string addr, city, state, zip, idnum, hphone, wphone, fphone, ophone, email;
};

// The entry the fields give: the names of the member's kind, each blank when it
// still shows its prompt; the other kind's names are left blank.
ledger::MemberEntry ReadMember(const MemberFields& fields);

// Reads the fields and stores the member (a new one when `existing` is empty);
// the ledger shows any refusal through the club's interaction port.
Outcome CommitMember(ledger::MemberLedger& members, const std::optional<std::string>& existing,
                     const MemberFields& fields);

}  // namespace pellmark
