// The year close of the grown club's last year: 50 members, 20 securities and
// 3 accounts over 20 years (12 000 member transactions, 5 000 security
// transactions, 4 800 prices, 3 000 account transactions, 240 unit records),
// its open year moved to the last one and valued officially on 31 December.
// Measured per operation:
//   walk    one read of every item of the stores the close reads
//   close   "Close Year": the tax figures, the credits, the tax file, the next
//           year and the resets, committed (each run on a fresh copy of the
//           club, opened before the clock starts)
// Each is run in 5 repetitions and their medians are printed, so that a burst
// of the neighbours' work on a shared machine does not stand for the whole.
// The summary prints the close against the walk (goal at most 5x: the close
// reads the year a few times and writes once).
//
//   build/bench/close_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_command_line.h"
#include "books/books.h"
#include "grown_club.h"
#include "quiet_interaction.h"
#include "time_reporter.h"

namespace pellmark::bench {
namespace {

namespace fs = std::filesystem;

constexpr int kLastYear = kFirstYear + kYears - 1;

// The grown club with its last year open and valued on 31 December.
void PrepareClub(const fs::path& folder) {
  fs::create_directories(folder);
  QuietInteraction ui;
  FixedClock clock(kGrownClubToday);
  Books books(folder, ui, clock);
  books.Open();
  WriteGrownClub(books.Club());
  books.Club().Info().year = kLastYear;
  books.Club().WriteClubInfo();
  books.Commit();
  if (!books.CreateValuation(DayNumberFromCivil({kLastYear, 12, 31}), true).outcome) {
    throw std::runtime_error("the closing valuation was refused");
  }
  books.Close();
}

// The medians of the repetitions stand for the benchmarks.
class MedianReporter : public TimeReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    std::vector<Run> medians;
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") medians.push_back(run);
    }
    TimeReporter::ReportRuns(medians.empty() ? runs : medians);
  }
};

double Walk(ClubSession& club) {
  double sum = 0;
  club.members.ForEach("", [&](const TMemberRec& r) { sum += r.tunits; });
  club.memrecs.ForEach("", [&](const TMemberTranRec& r) { sum += r.dues; });
  club.securities.ForEach("", [&](const TSecurityRec& r) { sum += r.sharest; });
  club.stkrecs.ForEach("", [&](const TSecurityTranRec& r) { sum += r.amount; });
  club.prices.ForEach("", [&](const TPriceRec& r) { sum += r.price; });
  club.accounts.ForEach("", [&](const TAccountRec& r) { sum += r.bal; });
  club.actrecs.ForEach("", [&](const TAccountTranRec& r) { sum += r.amount; });
  club.categories.ForEach("", [&](const TCategoryRec& r) { sum += r.catid; });
  club.unitfile.ForEach("", [&](const TUnitValueRec& r) { sum += r.unitval; });
  return sum;
}

}  // namespace
}  // namespace pellmark::bench

int main(int argc, char** argv) {
  using namespace pellmark::bench;
  using pellmark::Books;
  benchmark::Initialize(&argc, argv);
  const fs::path root = MakeBenchFolder("pellmark-close-bench");
  int status = 0;
  try {
    const fs::path prepared = root / "prepared";
    PrepareClub(prepared);
    // Each close starts from a copy of the club as the preparation closed it.
    int copies = 0;
    const fs::path pristine = root / "pristine";
    fs::copy(prepared, pristine, fs::copy_options::recursive);
    QuietInteraction ui;
    pellmark::FixedClock clock(kGrownClubToday);
    {
      Books reader(prepared, ui, clock);
      reader.Open();
      benchmark::RegisterBenchmark("walk", [&](benchmark::State& state) {
        for (auto _ : state) benchmark::DoNotOptimize(Walk(reader.Club()));
      })->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
      benchmark::RegisterBenchmark("close", [&](benchmark::State& state) {
        for (auto _ : state) {
          state.PauseTiming();
          // A copy of its own, removed with the rest at the end: removing the
          // last one here would leave the file system hundreds of freshly
          // deleted files to step over each time the close creates one.
          const fs::path copy = root / ("copy-" + std::to_string(++copies));
          fs::copy(pristine, copy, fs::copy_options::recursive);
          auto books = std::make_unique<Books>(copy, ui, clock);
          books->Open();
          state.ResumeTiming();
          const pellmark::YearClose close = books->CloseYear();
          state.PauseTiming();
          if (!close.outcome) state.SkipWithError("the close was refused");
          books->Close();
          books.reset();
          state.ResumeTiming();
        }
      })->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
      MedianReporter reporter;
      benchmark::RunSpecifiedBenchmarks(&reporter);
      for (const bool cpu : {false, true}) {
        const double walk = reporter.Time("walk", cpu);
        std::printf("\n%-40s %10s %8s\n", cpu ? "ratios (CPU time)" : "ratios (real time)", "ratio", "goal");
        std::printf("%-40s %10.2f %8s\n", "close of the last year / walk",
                    walk > 0 ? reporter.Time("close", cpu) / walk : 0, "<= 5");
      }
      reader.Close();
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "close_bench: %s\n", error.what());
    status = 1;
  }
  benchmark::Shutdown();
  fs::remove_all(root);
  return status;
}
