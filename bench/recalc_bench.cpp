// "Recaulate All Members" and the audit on the grown club (50 members, 20
// securities, 20 years of monthly dues, trades, prices and official
// valuations: 240 unit records whose values are made up), each run on a fresh
// copy of the same club:
//   recalculate_reference  the steps as written (bench/straightforward_recalculation.h):
//                          one audit per unit record, each valuation reading and
//                          writing the stores and committed on its own
//   recalculate            the program's RecalculateAllMembers
//   audit_reference        the reference audit of the last year from 1 January
//   audit                  the program's AuditValuations of the same year
// After each run the club is closed; the changed stores are packed first, so
// that the bytes of items replaced along the way are not compared. Every file
// of the club folder (stores, club information, statements) must then be
// byte-identical to the reference run's, else the bench fails. The summary
// prints the reference against the program (goals: at least 10x for the
// recalculation, 5x for the audit).
//
//   build/bench/recalc_bench
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>

#include "bench_command_line.h"
#include "books/books.h"
#include "grown_club.h"
#include "quiet_interaction.h"
#include "straightforward_recalculation.h"

namespace pellmark::bench {
namespace {

namespace fs = std::filesystem;

using Files = std::map<std::string, std::string>;

Files ReadFolder(const fs::path& folder) {
  Files files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().filename().string()] = {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  return files;
}

class RecalcBench {
 public:
  explicit RecalcBench(fs::path root) : root_(std::move(root)), clock_(kGrownClubToday) {
    ClubSession club(root_ / "grown", ui_, clock_);
    club.OpenClub(false);
    WriteGrownClub(club);
    club.Close();
  }

  // Runs `operation` on a fresh copy of the grown club and returns its time in
  // seconds; the closed club's files are kept under `name`.
  double Run(const std::string& name, const std::function<void(Books&)>& operation) {
    const fs::path folder = root_ / name;
    fs::remove_all(folder);
    fs::copy(root_ / "grown", folder, fs::copy_options::recursive);
    Books books(folder, ui_, clock_);
    books.Open();
    const auto start = std::chrono::steady_clock::now();
    operation(books);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    ClubSession& club = books.Club();
    club.members.UnderlyingStore().Pack();
    club.memrecs.UnderlyingStore().Pack();
    club.unitfile.UnderlyingStore().Pack();
    books.Commit();
    books.Close();
    results_[name] = ReadFolder(folder);
    return took.count();
  }

  // Empty when the two runs left the same files, else what differs.
  std::string Compare(const std::string& a, const std::string& b) const {
    if (!results_.contains(a) || !results_.contains(b)) return " not both run;";
    const Files& left = results_.at(a);
    const Files& right = results_.at(b);
    std::string differences;
    for (const auto& [file, bytes] : left) {
      const auto other = right.find(file);
      if (other == right.end()) {
        differences += " " + file + " only in " + a + ";";
      } else if (other->second != bytes) {
        differences += " " + file + " differs;";
      }
    }
    for (const auto& [file, bytes] : right) {
      if (!left.contains(file)) differences += " " + file + " only in " + b + ";";
    }
    return differences;
  }

 private:
  fs::path root_;
  QuietInteraction ui_;
  FixedClock clock_;
  std::map<std::string, Files> results_;
};

class TimeReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) real_[run.run_name.function_name] = run.GetAdjustedRealTime();
  }
  double Time(const std::string& name) const {
    auto found = real_.find(name);
    return found == real_.end() ? 0 : found->second;
  }

 private:
  std::map<std::string, double> real_;
};

void Register(RecalcBench& bench, const char* name, int iterations, std::function<void(Books&)> operation) {
  benchmark::RegisterBenchmark(name, [&bench, name, operation](benchmark::State& state) {
    for (auto _ : state) state.SetIterationTime(bench.Run(name, operation));
  })->UseManualTime()->Iterations(iterations)->Unit(benchmark::kMillisecond);
}

}  // namespace
}  // namespace pellmark::bench

int main(int argc, char** argv) {
  using namespace pellmark::bench;
  using pellmark::Books;
  benchmark::Initialize(&argc, argv);
  const fs::path root = MakeBenchFolder("pellmark-recalc-bench");
  int status = 0;
  try {
    RecalcBench bench(root);
    const pellmark::DayNumber last_january = Day(kMonths - 12, 1);
    Register(bench, "recalculate_reference", 1, [](Books& books) { pellmark::reference::StraightforwardRecalculation(books); });
    Register(bench, "recalculate", 3, [](Books& books) {
      if (!books.RecalculateAllMembers()) throw std::runtime_error("the recalculation was refused");
    });
    Register(bench, "audit_reference", 3, [&](Books& books) { pellmark::reference::StraightforwardAudit(books, last_january); });
    Register(bench, "audit", 5, [&](Books& books) {
      if (!books.AuditValuations(last_january, /*announce=*/false)) throw std::runtime_error("the audit was refused");
    });
    TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-44s %10s %8s %s\n", "reference / program (real time)", "ratio", "goal", "files");
    const auto line = [&](const char* what, const char* reference, const char* program, const char* goal) {
      const double ratio = reporter.Time(program) > 0 ? reporter.Time(reference) / reporter.Time(program) : 0;
      const std::string differences = bench.Compare(reference, program);
      std::printf("%-44s %10.1f %8s %s\n", what, ratio, goal, differences.empty() ? "identical" : differences.c_str());
      if (!differences.empty()) status = 1;
    };
    line("recalculation of every valuation", "recalculate_reference", "recalculate", ">= 10");
    line("audit of the last year from 1 January", "audit_reference", "audit", ">= 5");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "recalc_bench: %s\n", error.what());
    status = 1;
  }
  benchmark::Shutdown();
  fs::remove_all(root);
  return status;
}
