// The demo club of `make run`: a set-up club with the accounts "Cash", "Bank"
// and "Broker", five members (one a group), the twelve monthly dues collections
// up to this month, the bank's charges, interest, checks and transfers, and four
// securities with monthly prices, one of them hidden.
// More years and members make a club of a real size for trying the program
// and for the benchmarks (`demo DIR --years 20 --members 50`).
#pragma once

#include <filesystem>

#include "club/clock.h"
#include "club/interaction.h"

namespace pellmark::cli {

struct DemoOptions {
  std::filesystem::path folder;
  int years = 1;    // of monthly history, the last month this one
  int members = 5;  // the first five those of the small demo
};

// Writes the demo club into `options.folder` (created when missing); `errors`
// receives the messages of a refusal, which fails the command.
void WriteDemoClub(const DemoOptions& options, const Clock& clock, Interaction& errors);

}  // namespace pellmark::cli
