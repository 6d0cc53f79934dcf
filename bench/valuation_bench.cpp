// Valuations on a grown club: 50 members, 20 securities and 3 accounts over 20
// years (12 000 member transactions, 5 000 security transactions, 4 800 prices,
// 3 000 account transactions, 240 unit records), written once straight into
// the stores. Measured per operation:
//   walk                   one read of every item of the stores a valuation reads
//   official_current       an official valuation of today (its statement written;
//                          its store changes dropped after, so each run is the first)
//   official_past          the same ten years back: every security rebuilt
//   backup                 the stores and club information copied to ".bck" files
//   plain_copy             the same ten files copied with std::filesystem::copy_file
//                          over the copies of the run before
//   flushed_copy           the same, each copy and the folder flushed to disk after it
//   replaced_copy          each file copied into a new file, flushed and renamed over
//                          the copy of the run before, the folder flushed once: what
//                          replacing files so that a crash never leaves half of one
//                          costs before anything of the backup's own
// The summary prints each valuation against the walk (goal at most 3x) and the
// backup against the plain copy (goal at most 1.5x), the flushed copy and the
// replaced copy.
//
//   build/bench/valuation_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "grown_club.h"
#include "quiet_interaction.h"
#include "time_reporter.h"
#include "bench_command_line.h"
#include "cash/account_posting.h"
#include "club/club_session.h"
#include "club/keys.h"
#include "club/record_kinds.h"
#include "interchange/club_files.h"
#include "members/member_posting.h"
#include "valuation/club_summary.h"
#include "valuation/valuation.h"

namespace pellmark::bench {
namespace {

namespace fs = std::filesystem;

class ValuationClub {
 public:
  explicit ValuationClub(const fs::path& folder)
      : folder_(folder), clock_(kGrownClubToday) {
    fs::create_directories(folder_);
    club_ = std::make_unique<ClubSession>(folder_, ui_, clock_);
    club_->OpenClub(false);
    WriteGrownClub(*club_);
    figures_ = std::make_unique<valuation::ClubFigures>(*club_);
    valuations_ = std::make_unique<valuation::Valuations>(*club_, *figures_);
  }
  ~ValuationClub() {
    valuations_.reset();
    club_->Close();
  }

  // Every item of the stores a valuation reads, decoded once.
  double Walk() {
    double sum = 0;
    club_->members.ForEach("", [&](const TMemberRec& r) { sum += r.tunits; });
    club_->memrecs.ForEach("", [&](const TMemberTranRec& r) { sum += r.dues; });
    club_->securities.ForEach("", [&](const TSecurityRec& r) { sum += r.sharest; });
    club_->stkrecs.ForEach("", [&](const TSecurityTranRec& r) { sum += r.amount; });
    club_->prices.ForEach("", [&](const TPriceRec& r) { sum += r.price; });
    club_->accounts.ForEach("", [&](const TAccountRec& r) { sum += r.bal; });
    club_->actrecs.ForEach("", [&](const TAccountTranRec& r) { sum += r.amount; });
    club_->unitfile.ForEach("", [&](const TUnitValueRec& r) { sum += r.unitval; });
    return sum;
  }

  // An official valuation whose store changes are dropped after, so that each
  // run finds the club as built.
  bool Official(DayNumber date) {
    const valuation::ValuationResult result = valuations_->CreateValuation(date, true);
    club_->Abandon();
    return result.outcome.IsDone();
  }

  void Backup() { interchange::CopyClubFiles(interchange::CopyDirection::kToBackup, *club_, folder_); }
  void PlainCopy() {
    const fs::path target = folder_ / "plain";
    fs::create_directories(target);
    for (const char* name : kClubStoreFiles) fs::copy_file(folder_ / name, target / name, fs::copy_options::overwrite_existing);
    fs::copy_file(folder_ / "clubinfo.qdb", target / "clubinfo.qdb", fs::copy_options::overwrite_existing);
  }

  void FlushedCopy() {
    const fs::path target = folder_ / "flushed";
    fs::create_directories(target);
    auto flush = [](const fs::path& path, int flags) {
      const int fd = ::open(path.c_str(), flags);
      if (fd < 0 || ::fsync(fd) != 0) throw std::runtime_error("cannot flush " + path.string());
      ::close(fd);
    };
    std::vector<std::string> names(std::begin(kClubStoreFiles), std::end(kClubStoreFiles));
    names.push_back("clubinfo.qdb");
    for (const std::string& name : names) {
      fs::copy_file(folder_ / name, target / name, fs::copy_options::overwrite_existing);
      flush(target / name, O_RDONLY);
      flush(target, O_RDONLY | O_DIRECTORY);
    }
  }

  void ReplacedCopy() {
    const fs::path target = folder_ / "replaced";
    fs::create_directories(target);
    std::vector<std::string> names(std::begin(kClubStoreFiles), std::end(kClubStoreFiles));
    names.push_back("clubinfo.qdb");
    for (const std::string& name : names) {
      const fs::path fresh = target / (name + ".new");
      fs::copy_file(folder_ / name, fresh, fs::copy_options::overwrite_existing);
      const int fd = ::open(fresh.c_str(), O_RDONLY);
      if (fd < 0 || ::fsync(fd) != 0) throw std::runtime_error("cannot flush " + fresh.string());
      ::close(fd);
      fs::rename(fresh, target / name);
    }
    const int folder = ::open(target.c_str(), O_RDONLY | O_DIRECTORY);
    if (folder < 0 || ::fsync(folder) != 0) throw std::runtime_error("cannot flush " + target.string());
    ::close(folder);
  }

  DayNumber Today() const { return clock_.Today(); }

 private:
  fs::path folder_;
  QuietInteraction ui_;
  FixedClock clock_;
  std::unique_ptr<ClubSession> club_;
  std::unique_ptr<valuation::ClubFigures> figures_;
  std::unique_ptr<valuation::Valuations> valuations_;
};

void PrintSummary(const TimeReporter& reporter, bool cpu) {
  const auto time = [&](const char* name) { return reporter.Time(name, cpu); };
  const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0; };
  std::printf("\n%-48s %10s %8s\n", cpu ? "ratios (CPU time)" : "ratios (real time)", "ratio", "goal");
  std::printf("%-48s %10.2f %8s\n", "official valuation of today / walk", ratio(time("official_current"), time("walk")),
              "<= 3");
  std::printf("%-48s %10.2f %8s\n", "official valuation ten years back / walk", ratio(time("official_past"), time("walk")),
              "<= 3");
  std::printf("%-48s %10.2f %8s\n", "backup to .bck / plain copy", ratio(time("backup"), time("plain_copy")), "<= 1.5");
  std::printf("%-48s %10.2f %8s\n", "backup to .bck / flushed copy", ratio(time("backup"), time("flushed_copy")), "");
  std::printf("%-48s %10.2f %8s\n", "backup to .bck / replaced copy", ratio(time("backup"), time("replaced_copy")),
              "");
}

}  // namespace
}  // namespace pellmark::bench

int main(int argc, char** argv) {
  using namespace pellmark::bench;
  benchmark::Initialize(&argc, argv);
  const fs::path root = MakeBenchFolder("pellmark-valuation-bench");
  int status = 0;
  try {
    ValuationClub club(root / "club");
    const pellmark::DayNumber today = club.Today();
    const pellmark::DayNumber ten_years_back = Day(kMonths - 1 - 120, 31);
    benchmark::RegisterBenchmark("walk", [&](benchmark::State& state) {
      for (auto _ : state) benchmark::DoNotOptimize(club.Walk());
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("official_current", [&](benchmark::State& state) {
      for (auto _ : state) {
        if (!club.Official(today)) state.SkipWithError("the valuation was refused");
      }
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("official_past", [&](benchmark::State& state) {
      for (auto _ : state) {
        if (!club.Official(ten_years_back)) state.SkipWithError("the valuation was refused");
      }
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("backup", [&](benchmark::State& state) {
      for (auto _ : state) club.Backup();
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("plain_copy", [&](benchmark::State& state) {
      for (auto _ : state) club.PlainCopy();
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("flushed_copy", [&](benchmark::State& state) {
      for (auto _ : state) club.FlushedCopy();
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("replaced_copy", [&](benchmark::State& state) {
      for (auto _ : state) club.ReplacedCopy();
    })->Unit(benchmark::kMillisecond);
    TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter, false);
    PrintSummary(reporter, true);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "valuation_bench: %s\n", error.what());
    status = 1;
  }
  benchmark::Shutdown();
  fs::remove_all(root);
  return status;
}
