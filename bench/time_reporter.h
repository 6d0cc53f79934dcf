// Google Benchmark's console report, also keeping each benchmark's real and CPU
// time per iteration (in its own unit) for a bench's summary of ratios.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace pellmark::bench {

class TimeReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      real_[run.run_name.function_name] = run.GetAdjustedRealTime();
      cpu_[run.run_name.function_name] = run.GetAdjustedCPUTime();
    }
  }
  // 0 for a benchmark that did not run.
  double Time(const std::string& name, bool cpu) const {
    const auto& times = cpu ? cpu_ : real_;
    auto found = times.find(name);
    return found == times.end() ? 0 : found->second;
  }

 private:
  std::map<std::string, double> real_, cpu_;
};

}  // namespace pellmark::bench
