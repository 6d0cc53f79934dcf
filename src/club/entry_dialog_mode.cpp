#include "club/entry_dialog_mode.h"

#include <array>

namespace pellmark {
namespace {

struct ModeFacts {
  const char* title;
  EntryRecordKind record;
  int help_topic;
};

// Indexed by mode number. Interest has no topic of its own and opens the deposit's.
constexpr std::array<ModeFacts, kEntryModeCount> kModes{{
    {"Buy", EntryRecordKind::SecurityTransaction, 2505},
    {"Sell", EntryRecordKind::SecurityTransaction, 2506},
    {"Dividends", EntryRecordKind::SecurityTransaction, 2508},
    {"Dividend Reinvestment", EntryRecordKind::SecurityTransaction, 2509},
    {"Capital Change", EntryRecordKind::SecurityTransaction, 2510},
    {"Security Prices", EntryRecordKind::Price, 2502},
    {"Member Dues", EntryRecordKind::MemberTransaction, 2003},
    {"Check", EntryRecordKind::AccountTransaction, 1006},
    {"Deposit", EntryRecordKind::AccountTransaction, 1007},
    {"Withdrawal", EntryRecordKind::AccountTransaction, 1008},
    {"Service Charge", EntryRecordKind::AccountTransaction, 1009},
    {"Interest", EntryRecordKind::AccountTransaction, 1007},
    {"Transfer", EntryRecordKind::AccountTransaction, 1011},
    {"Split", EntryRecordKind::Ratio, 2511},
    {"Basis Update", EntryRecordKind::Ratio, 2512},
    {"Member Payoff", EntryRecordKind::MemberTransaction, 2005},
    {"Member Fee", EntryRecordKind::MemberTransaction, 2010},
    {"Total Dues Modification", EntryRecordKind::MemberTransaction, 2008},
    {"Total Earnings Modification", EntryRecordKind::MemberTransaction, 2009},
    {"Foreign Tax", EntryRecordKind::SecurityTransaction, 2514},
}};

const ModeFacts& Facts(EntryMode mode) { return kModes[static_cast<int>(mode)]; }

}  // namespace

std::optional<EntryMode> EntryModeFromNumber(int number) {
  if (number < 0 || number >= kEntryModeCount) return std::nullopt;
  return static_cast<EntryMode>(number);
}

std::string EntryModeTitle(EntryMode mode) { return Facts(mode).title; }

EntryRecordKind EntryModeRecord(EntryMode mode) { return Facts(mode).record; }

int EntryModeHelpTopic(EntryMode mode, bool from_reconciliation) {
  if (from_reconciliation && IsAccountMode(mode)) return 1012;
  return Facts(mode).help_topic;
}

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
