// The year close of the grown club's last year: 50 members, 20 securities and
// 3 accounts over 20 years (12 000 member transactions, 5 000 security
// transactions, 4 800 prices, 3 000 account transactions, 240 unit records),
// its open year moved to the last one and valued officially on 31 December.
// Measured per operation:
//   walk    one read of every item of the stores the close reads
//   close   "Close Year": the tax figures, the credits, the tax file, the next
//           year and the resets, committed (each run on a fresh copy of the
//           club, opened before the clock starts)
//   floor   what the platform needs for the files the close creates: as many
//           plain files with as many bytes, created and flushed in the same
//           folder of a fresh copy as the close's (its commit's working
//           files, spare indexes, staged tax file and club information)
// Each is run in 5 repetitions and their medians are printed, so that a burst
// of the neighbours' work on a shared machine does not stand for the whole.
// The summary prints the close against the walk (goal at most 5x: the close
// reads the year a few times and writes once), and the close less the floor
// against the walk: on an ext4 without a journal a file created within minutes
// of many removals in its group costs up to a millisecond of the kernel's time
// (the inodes recently freed are stepped over one by one), so the floor moves
// from run to run with what the machine removed before.
//
//   build/bench/close_bench
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_command_line.h"
#include "books/books.h"
#include "grown_club.h"
#include "quiet_interaction.h"
#include "store/posix_file_layer.h"
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

// Notes the files created while it records, with the bytes written to each
// and whether each was flushed, and the folder and file-system flushes.
class CreationLog final : public pellmark::store::PosixFileLayer {
 public:
  struct Created {
    std::uint64_t bytes = 0;
    bool flushed = false;
  };
  void Record(bool on) {
    recording_ = on;
    if (on) {
      created_.clear();
      open_.clear();
      temps_.clear();
      folder_flushes_ = 0;
    }
  }
  const std::vector<Created>& Files() const { return created_; }
  int FolderFlushes() const { return folder_flushes_; }

  pellmark::store::FileHandle Open(const fs::path& path, pellmark::store::OpenMode mode) override {
    const pellmark::store::FileHandle handle = PosixFileLayer::Open(path, mode);
    if (!recording_) return handle;
    using pellmark::store::OpenMode;
    if (mode == OpenMode::kCreate || mode == OpenMode::kCreateNew) {
      open_[handle] = created_.size();
      created_.emplace_back();
    } else if (auto temp = temps_.find(path); temp != temps_.end()) {
      open_[handle] = temp->second;
    }
    return handle;
  }
  void Close(pellmark::store::FileHandle handle) noexcept override {
    open_.erase(handle);
    PosixFileLayer::Close(handle);
  }
  void WriteAt(pellmark::store::FileHandle handle, std::uint64_t offset, std::span<const char> bytes) override {
    PosixFileLayer::WriteAt(handle, offset, bytes);
    if (auto file = open_.find(handle); file != open_.end()) created_[file->second].bytes += bytes.size();
  }
  void Flush(pellmark::store::FileHandle handle) override {
    PosixFileLayer::Flush(handle);
    if (auto file = open_.find(handle); file != open_.end()) created_[file->second].flushed = true;
  }
  void FlushFolder(const fs::path& folder) override {
    PosixFileLayer::FlushFolder(folder);
    if (recording_) ++folder_flushes_;
  }
  fs::path CreateTemp(const fs::path& folder, std::string_view prefix) override {
    fs::path path = PosixFileLayer::CreateTemp(folder, prefix);
    if (recording_) {
      temps_[path] = created_.size();
      created_.emplace_back();
    }
    return path;
  }

 private:
  bool recording_ = false;
  std::vector<Created> created_;
  std::map<pellmark::store::FileHandle, std::size_t> open_;
  std::map<fs::path, std::size_t> temps_;
  int folder_flushes_ = 0;
};

// As many plain files as `log` noted, each created, written and (when the
// close flushed it) flushed in `folder`, then the folder flushed as often.
void CreateLikeTheClose(const CreationLog& log, const fs::path& folder) {
  int n = 0;
  for (const CreationLog::Created& created : log.Files()) {
    const fs::path path = folder / ("floor." + std::to_string(n++));
    const int out = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) throw std::runtime_error("floor: cannot create " + path.string());
    const std::string bytes(created.bytes, 'x');
    if (::write(out, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
      throw std::runtime_error("floor: cannot write " + path.string());
    }
    if (created.flushed) ::fsync(out);
    ::close(out);
  }
  for (int i = 0; i < log.FolderFlushes(); ++i) {
    const int handle = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    ::fsync(handle);
    ::close(handle);
  }
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
  CreationLog log;
  pellmark::store::SetDefaultFileLayer(&log);
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
      // A copy of its own for each run, removed with the rest at the end:
      // removing the last one here would leave the file system hundreds of
      // freshly deleted files to step over each time the next run creates one.
      auto fresh_copy = [&] {
        const fs::path copy = root / ("copy-" + std::to_string(++copies));
        fs::copy(pristine, copy, fs::copy_options::recursive);
        auto books = std::make_unique<Books>(copy, ui, clock);
        books->Open();
        return books;
      };
      benchmark::RegisterBenchmark("close", [&](benchmark::State& state) {
        for (auto _ : state) {
          state.PauseTiming();
          auto books = fresh_copy();
          log.Record(true);
          state.ResumeTiming();
          const pellmark::YearClose close = books->CloseYear();
          state.PauseTiming();
          log.Record(false);
          if (!close.outcome) state.SkipWithError("the close was refused");
          books->Close();
          books.reset();
          state.ResumeTiming();
        }
      })->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
      benchmark::RegisterBenchmark("floor", [&](benchmark::State& state) {
        for (auto _ : state) {
          state.PauseTiming();
          auto books = fresh_copy();
          const fs::path working = root / ("copy-" + std::to_string(copies)) / pellmark::kWorkingFolderName;
          state.ResumeTiming();
          CreateLikeTheClose(log, working);
          state.PauseTiming();
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
        const double close = reporter.Time("close", cpu);
        std::printf("%-40s %10.2f %8s\n", "close of the last year / walk", walk > 0 ? close / walk : 0, "<= 5");
        std::printf("%-40s %10.2f %8s\n", "(close - floor) / walk", walk > 0 ? (close - reporter.Time("floor", cpu)) / walk : 0,
                    "<= 5");
      }
      std::printf("\nfloor: %zu files created, %d folder flushes\n", log.Files().size(), log.FolderFlushes());
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
