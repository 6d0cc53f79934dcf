#include "club/clock.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <string>

namespace pellmark {
namespace {

// Local date and time as a day number with fraction.
double LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  DayNumber day = DayNumberFromCivil({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
  double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
  return day + seconds / 86400.0;
}

std::unique_ptr<Clock> FixedFromText(std::string_view text, std::string_view source) {
  auto day = ParseDate(text);
  if (!day) {
    throw std::invalid_argument(std::string(source) + ": '" + std::string(text) +
                                "' is not a valid date (mm/dd/yyyy)");
  }
  return std::make_unique<FixedClock>(*day);
}

}  // namespace

DayNumber SystemClock::Today() const { return std::floor(LocalNow()); }
double SystemClock::Now() const { return LocalNow(); }

std::unique_ptr<Clock> MakeClock(std::optional<std::string_view> today_text) {
  if (today_text) return FixedFromText(*today_text, "--today");
  if (const char* env = std::getenv("PELLMARK_TODAY"); env != nullptr && *env != '\0') {
    return FixedFromText(env, "PELLMARK_TODAY");
  }
  return std::make_unique<SystemClock>();
}

}  // namespace pellmark
