// The kinds of entry the one transaction entry dialog serves, and the kind of
// record each reads back (the dialog's titles and help topics are the forms').
//
//   EntryModeRecord(EntryMode::Split)      -> EntryRecordKind::Ratio
#pragma once

#include <optional>
#include <string>

#include "club/record_kinds.h"

namespace pellmark {

enum class EntryMode {
  Buy = 0,
  Sell = 1,
  Dividends = 2,
  DividendReinvestment = 3,
  CapitalChange = 4,
  SecurityPrices = 5,
  MemberDues = 6,
  Check = 7,
  Deposit = 8,
  Withdrawal = 9,
  ServiceCharge = 10,
  Interest = 11,
  Transfer = 12,
  Split = 13,
  BasisUpdate = 14,
  MemberPayoff = 15,
  MemberFee = 16,
  TotalDuesModification = 17,
  TotalEarningsModification = 18,
  ForeignTax = 19,
};

inline constexpr int kEntryModeCount = 20;

enum class EntryRecordKind { SecurityTransaction, Price, MemberTransaction, AccountTransaction, Ratio };

// The mode of a number 0..19, nullopt for any other.
std::optional<EntryMode> EntryModeFromNumber(int number);

EntryRecordKind EntryModeRecord(EntryMode mode);

bool IsSecurityMode(EntryMode mode);  // 0-4 and 19
bool IsMemberMode(EntryMode mode);    // 6 and 15-18
bool IsAccountMode(EntryMode mode);   // 7-12

// The kind an account mode enters; "Transfer" enters the Transfer Out.
AccountTranKind AccountKindOfMode(EntryMode mode);

}  // namespace pellmark
