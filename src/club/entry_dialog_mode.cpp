#include "club/entry_dialog_mode.h"

#include <array>

namespace pellmark {
namespace {

// Indexed by mode number.
constexpr std::array<EntryRecordKind, kEntryModeCount> kRecords{{
    EntryRecordKind::SecurityTransaction, EntryRecordKind::SecurityTransaction,  // Buy, Sell
    EntryRecordKind::SecurityTransaction, EntryRecordKind::SecurityTransaction,  // Dividends, Reinvestment
    EntryRecordKind::SecurityTransaction, EntryRecordKind::Price,                // Capital Change, Prices
    EntryRecordKind::MemberTransaction,                                          // Member Dues
    EntryRecordKind::AccountTransaction, EntryRecordKind::AccountTransaction,    // Check, Deposit
    EntryRecordKind::AccountTransaction, EntryRecordKind::AccountTransaction,    // Withdrawal, Service Charge
    EntryRecordKind::AccountTransaction, EntryRecordKind::AccountTransaction,    // Interest, Transfer
    EntryRecordKind::Ratio, EntryRecordKind::Ratio,                              // Split, Basis Update
    EntryRecordKind::MemberTransaction, EntryRecordKind::MemberTransaction,      // Payoff, Fee
    EntryRecordKind::MemberTransaction, EntryRecordKind::MemberTransaction,      // Total Dues/Earnings Modification
    EntryRecordKind::SecurityTransaction,                                        // Foreign Tax
}};

}  // namespace

std::optional<EntryMode> EntryModeFromNumber(int number) {
  if (number < 0 || number >= kEntryModeCount) return std::nullopt;
  return static_cast<EntryMode>(number);
}

EntryRecordKind EntryModeRecord(EntryMode mode) { return kRecords[static_cast<int>(mode)]; }

bool IsSecurityMode(EntryMode mode) {
  int n = static_cast<int>(mode);
  return n <= 4 || mode == EntryMode::ForeignTax;
}

bool IsMemberMode(EntryMode mode) {
  int n = static_cast<int>(mode);
  return mode == EntryMode::MemberDues || (n >= 15 && n <= 18);
}

bool IsAccountMode(EntryMode mode) {
  int n = static_cast<int>(mode);
  return n >= 7 && n <= 12;
}

AccountTranKind AccountKindOfMode(EntryMode mode) {
  switch (mode) {
    case EntryMode::Check: return AccountTranKind::Check;
    case EntryMode::Deposit: return AccountTranKind::Deposit;
    case EntryMode::Withdrawal: return AccountTranKind::Withdrawal;
    case EntryMode::ServiceCharge: return AccountTranKind::BankCharge;
    case EntryMode::Interest: return AccountTranKind::Interest;
    default: return AccountTranKind::TransferOut;
  }
}

}  // namespace pellmark
