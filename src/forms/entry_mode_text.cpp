#include "forms/entry_mode_text.h"

#include <array>

namespace pellmark {
namespace {

struct ModeText {
  const char* title;
  int help_topic;
};

// Indexed by mode number. Interest has no topic of its own and opens the deposit's.
constexpr std::array<ModeText, kEntryModeCount> kModes{{
    {"Buy", 2505},
    {"Sell", 2506},
    {"Dividends", 2508},
    {"Dividend Reinvestment", 2509},
    {"Capital Change", 2510},
    {"Security Prices", 2502},
    {"Member Dues", 2003},
    {"Check", 1006},
    {"Deposit", 1007},
    {"Withdrawal", 1008},
    {"Service Charge", 1009},
    {"Interest", 1007},
    {"Transfer", 1011},
    {"Split", 2511},
    {"Basis Update", 2512},
    {"Member Payoff", 2005},
    {"Member Fee", 2010},
    {"Total Dues Modification", 2008},
    {"Total Earnings Modification", 2009},
    {"Foreign Tax", 2514},
}};

}  // namespace

std::string EntryModeTitle(EntryMode mode) { return kModes[static_cast<int>(mode)].title; }

int EntryModeHelpTopic(EntryMode mode, bool from_reconciliation) {
  if (from_reconciliation && IsAccountMode(mode)) return 1012;
  return kModes[static_cast<int>(mode)].help_topic;
}

}  // namespace pellmark
