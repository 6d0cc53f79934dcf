// Where "today" comes from. The club session holds one clock; the command line's
// `--today` and the environment variable PELLMARK_TODAY fix it, so tests and
// scripts see the same day every run.
//
//   auto clock = MakeClock(std::nullopt);      // PELLMARK_TODAY, else the system clock
//   DayNumber today = clock->Today();
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "club/dates.h"

namespace pellmark {

class Clock {
 public:
  virtual ~Clock() = default;
  // Today as a whole day number.
  virtual DayNumber Today() const = 0;
  // Date and time as a day number with the time of day as its fraction.
  virtual double Now() const = 0;
};

class SystemClock final : public Clock {
 public:
  DayNumber Today() const override;
  double Now() const override;
};

// A clock stopped at the start of one day.
class FixedClock final : public Clock {
 public:
  explicit FixedClock(DayNumber today) : today_(today) {}
  DayNumber Today() const override { return today_; }
  // Moves the clock to another day: a story that lives through several days.
  void SetToday(DayNumber today) { today_ = today; }
  double Now() const override { return today_; }

 private:
  DayNumber today_;
};

// The clock for a run: fixed to `today_text` ("mm/dd/yyyy") when given, else to
// PELLMARK_TODAY when that is set, else the system clock. A text that is not a
// valid date throws std::invalid_argument naming the text and where it came from.
std::unique_ptr<Clock> MakeClock(std::optional<std::string_view> today_text);

}  // namespace pellmark
