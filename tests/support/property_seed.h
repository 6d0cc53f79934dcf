// The seed of a property test. `make test` runs the same sequences every time,
// so a red run can be repeated; PELLMARK_SEED=N replays seed N and
// PELLMARK_SEED=random draws a new one (the test prints it when it fails).
#pragma once

#include <cstdlib>
#include <random>
#include <string_view>

namespace pellmark::testing {

inline unsigned PropertySeed() {
  const char* chosen = std::getenv("PELLMARK_SEED");
  if (chosen == nullptr || *chosen == '\0') return 20261207u;
  if (std::string_view(chosen) == "random") return std::random_device{}();
  return static_cast<unsigned>(std::strtoul(chosen, nullptr, 10));
}

}  // namespace pellmark::testing
