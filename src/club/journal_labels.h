// The line that names a journal entry, made from what the operation changed
// when the operation did not name itself: "Deposit $50.00 to Bank",
// "Dues - All: 12 members, $600.00", "Official valuation 03/31/2026".
#pragma once

#include <string>

#include "club/journal.h"

namespace pellmark {

std::string DescribeOperation(const JournalEntry& entry);

// The figures an entry moved, for the history: each account's balance, the
// members' units and each security's shares, before to after:
// "Cash +$50.00; units +5.000; Acme Corp +10.000 shares". Empty when none moved.
std::string DescribeFigures(const JournalEntry& entry);

// An entry's time as the history shows it, in local time: "2026-12-08 14:31".
std::string FormatJournalTime(std::int64_t seconds);

}  // namespace pellmark
