// The demo club of `make run`: a set-up club with the accounts "Cash", "Bank"
// and "Broker", five members (one a group), the twelve monthly dues collections
// up to this month, and the bank's charges, interest, checks and transfers.
#pragma once

#include <filesystem>

#include "club/clock.h"
#include "club/interaction.h"

namespace pellmark::cli {

// Writes the demo club into `folder` (created when missing); `errors` receives
// the messages of a refusal, which fails the command.
void WriteDemoClub(const std::filesystem::path& folder, const Clock& clock, Interaction& errors);

}  // namespace pellmark::cli
