// The record store against its peers, measured in one run on the same data:
// SQLite through its C API for lookups, adds and scans; plain file copies and
// writes of the same byte counts for open, close and SaveIndex. Prints every
// figure with its ratio (store time / peer time) after Google Benchmark's own
// report.
//
//   build-store/bench/store_bench                      # 100 000 and 1 000 000 items
//   build-store/bench/store_bench --sizes=100000       # one size only
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_command_line.h"
#include "bench_data.h"
#include "sqlite_peer.h"
#include "store/qdb.h"

namespace pellmark::bench {
namespace {

namespace fs = std::filesystem;
using store::TQDB;

constexpr std::size_t kCacheBytes = TQDB::kDefaultCacheSize;
constexpr int kHotKeys = 512;  // 512 × 57 bytes fit the 64 KiB cache

// One data set with its store file and SQLite database, built once.
struct DataSet {
  explicit DataSet(int count, const fs::path& root)
      : data(count), folder(root / std::to_string(count)), store_file(folder / "items.qdb"), peer_file(folder / "items.db") {
    fs::create_directories(folder / "work");
    {
      TQDB store;
      store.SetTempFolder(folder / "work");
      store.SetFileName(store_file);
      for (int i : data.insert_order) store.Add(data.values[static_cast<std::size_t>(i)], data.keys[static_cast<std::size_t>(i)]);
    }
    {
      SqlitePeer peer(peer_file, kCacheBytes);
      peer.Begin();
      for (int i : data.insert_order) peer.Insert(data.keys[static_cast<std::size_t>(i)], data.values[static_cast<std::size_t>(i)]);
      peer.Commit();
    }
    CheckSameBytes();
  }

  void Open(TQDB& store, bool read_only = false) const {
    store.SetTempFolder(folder / "work");
    store.SetReadOnly(read_only);
    store.SetFileName(store_file);
  }

  void CheckSameBytes() const {
    TQDB store;
    Open(store, true);
    SqlitePeer peer(peer_file, kCacheBytes);
    for (std::size_t n = 0; n < data.lookup_order.size(); n += 97) {
      const auto i = static_cast<std::size_t>(data.lookup_order[n]);
      const std::string mine = store.GetDataByKey(data.keys[i]);
      if (mine != data.values[i] || peer.Select(data.keys[i]) != mine) {
        throw std::runtime_error("store and SQLite read back different bytes for " + data.keys[i]);
      }
    }
  }

  BenchData data;
  fs::path folder;
  fs::path store_file;
  fs::path peer_file;
};

// Copies a file with one 512 KiB buffer, as the store's own copies do.
void PlainCopy(const fs::path& from, const fs::path& to, bool flush) {
  const int in = ::open(from.c_str(), O_RDONLY);
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char> buffer(524288);
  ssize_t got;
  while ((got = ::read(in, buffer.data(), buffer.size())) > 0) {
    if (::write(out, buffer.data(), static_cast<std::size_t>(got)) != got) throw std::runtime_error("copy failed");
  }
  if (flush) ::fsync(out);
  ::close(in);
  ::close(out);
}

void PlainWrite(const fs::path& to, const std::string& bytes) {
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (::write(out, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) throw std::runtime_error("write failed");
  ::close(out);
}

fs::path IndexWorkingFile(const fs::path& work) {
  for (const auto& entry : fs::directory_iterator(work)) {
    if (entry.path().filename().string().starts_with("QIX")) return entry.path();
  }
  throw std::runtime_error("no index working file");
}

void Register(const std::string& name, std::function<void(benchmark::State&)> body, int iterations = 0) {
  auto* b = benchmark::RegisterBenchmark(name.c_str(), [body](benchmark::State& state) { body(state); });
  b->Unit(benchmark::kMicrosecond)->UseRealTime();
  if (iterations > 0) b->Iterations(iterations);
}

void RegisterAll(const DataSet& set) {
  const std::string n = std::to_string(set.data.keys.size());
  const BenchData& data = set.data;

  Register("lookup_cached/store/" + n, [&set, &data](benchmark::State& state) {
    TQDB store;
    set.Open(store, true);
    std::size_t at = 0;
    for (auto _ : state) {
      const auto i = static_cast<std::size_t>(data.lookup_order[at++ % kHotKeys]);
      store.FindKey(data.keys[i]);
      benchmark::DoNotOptimize(store.GetDataString());
    }
  });
  Register("lookup_cached/sqlite/" + n, [&set, &data](benchmark::State& state) {
    SqlitePeer peer(set.peer_file, kCacheBytes);
    std::size_t at = 0;
    for (auto _ : state) benchmark::DoNotOptimize(peer.Select(data.keys[static_cast<std::size_t>(data.lookup_order[at++ % kHotKeys])]));
  });
  Register("lookup_uncached/store/" + n, [&set, &data](benchmark::State& state) {
    TQDB store;
    set.Open(store, true);
    std::size_t at = 0;
    for (auto _ : state) {
      const auto i = static_cast<std::size_t>(data.lookup_order[at++ % data.lookup_order.size()]);
      store.FindKey(data.keys[i]);
      benchmark::DoNotOptimize(store.GetDataString());
    }
  });
  Register("lookup_uncached/sqlite/" + n, [&set, &data](benchmark::State& state) {
    SqlitePeer peer(set.peer_file, kCacheBytes);
    std::size_t at = 0;
    for (auto _ : state) {
      benchmark::DoNotOptimize(peer.Select(data.keys[static_cast<std::size_t>(data.lookup_order[at++ % data.lookup_order.size()])]));
    }
  });

  Register("bulk_add_close/store/" + n, [&set, &data](benchmark::State& state) {
    for (auto _ : state) {
      const fs::path file = set.folder / "bulk.qdb";
      TQDB store;
      store.SetTempFolder(set.folder / "work");
      store.SetFileName(file);
      for (int i : data.insert_order) store.Add(data.values[static_cast<std::size_t>(i)], data.keys[static_cast<std::size_t>(i)]);
      store.Close();
      state.PauseTiming();
      fs::remove(file);
      state.ResumeTiming();
    }
  }, 1);
  Register("bulk_add_close/sqlite/" + n, [&set, &data](benchmark::State& state) {
    for (auto _ : state) {
      const fs::path file = set.folder / "bulk.db";
      {
        SqlitePeer peer(file, kCacheBytes);
        peer.Begin();
        for (int i : data.insert_order) peer.Insert(data.keys[static_cast<std::size_t>(i)], data.values[static_cast<std::size_t>(i)]);
        peer.Commit();
      }
      state.PauseTiming();
      fs::remove(file);
      fs::remove(file.string() + "-wal");
      fs::remove(file.string() + "-shm");
      state.ResumeTiming();
    }
  }, 1);

  Register("walk/store/" + n, [&set](benchmark::State& state) {
    TQDB store;
    set.Open(store, true);
    for (auto _ : state) {
      store.First();
      for (int i = 0; i < store.Count(); ++i, store.Next()) benchmark::DoNotOptimize(store.GetDataString());
    }
  }, 3);
  Register("walk/sqlite/" + n, [&set](benchmark::State& state) {
    SqlitePeer peer(set.peer_file, kCacheBytes);
    for (auto _ : state) peer.Scan([](std::string_view key, std::string_view value) {
      benchmark::DoNotOptimize(key);
      benchmark::DoNotOptimize(std::string(value));
    });
  }, 3);

  Register("open/store/" + n, [&set](benchmark::State& state) {
    for (auto _ : state) {
      TQDB store;
      set.Open(store, true);
      state.PauseTiming();
      store.Close();
      state.ResumeTiming();
    }
  }, 3);
  Register("open/copy/" + n, [&set](benchmark::State& state) {
    for (auto _ : state) PlainCopy(set.store_file, set.folder / "copy.qdb", false);
  }, 3);

  Register("close/store/" + n, [&set](benchmark::State& state) {
    for (auto _ : state) {
      state.PauseTiming();
      auto store = std::make_unique<TQDB>();
      set.Open(*store);
      state.ResumeTiming();
      store->Close();
    }
  }, 3);
  Register("close/copy/" + n, [&set](benchmark::State& state) {
    for (auto _ : state) PlainCopy(set.store_file, set.folder / "copy.qdb", true);
  }, 3);

  Register("save_index/store/" + n, [&set, &data](benchmark::State& state) {
    TQDB store;
    set.Open(store);
    std::size_t at = 0;
    for (auto _ : state) {
      state.PauseTiming();
      store.GotoIndex(static_cast<int>(at++ % data.keys.size()));
      store.Change(data.values[at % data.values.size()]);
      state.ResumeTiming();
      store.SaveIndex();
    }
    store.SetSaveOnClose(false);
    store.SetReadOnly(true);  // leave the data set's file as it was
  }, 5);
  Register("save_index/write/" + n, [&set](benchmark::State& state) {
    std::string index;
    {
      TQDB store;
      set.Open(store, true);
      index = std::string(fs::file_size(IndexWorkingFile(set.folder / "work")), 'i');
    }
    for (auto _ : state) PlainWrite(set.folder / "index.copy", index);
  }, 5);

  Register("owner_walk/store/" + n, [&set, &data](benchmark::State& state) {
    TQDB store;
    set.Open(store, true);
    const int owners = static_cast<int>(data.keys.size()) / kItemsPerOwner;
    int owner = 0;
    for (auto _ : state) {
      store.SetFilter(std::to_string(owner++ * 7919 % owners + 1) + "_>");
      const int count = store.FilteredCount();
      store.First();
      for (int i = 0; i < count; ++i, store.Next()) benchmark::DoNotOptimize(store.GetDataString());
    }
  });
}

// Collects each benchmark's real time per iteration, in microseconds.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) times_[run.run_name.function_name] = run.GetAdjustedRealTime();
  }
  double Time(const std::string& name) const {
    auto found = times_.find(name);
    return found == times_.end() ? 0 : found->second;
  }

 private:
  std::map<std::string, double> times_;
};

struct Figure {
  const char* label;
  std::string store;
  std::string peer;
  const char* goal;
};

void PrintRatios(const RatioReporter& times, const std::vector<int>& sizes) {
  std::printf("\n%-48s %9s %14s %14s %8s %6s\n", "figure", "items", "store (us)", "peer (us)", "ratio", "goal");
  for (int size : sizes) {
    const std::string n = std::to_string(size);
    const std::vector<Figure> figures = {
        {"FindKey+GetDataString cached / SQLite select", "lookup_cached/store/", "lookup_cached/sqlite/", "<=0.3"},
        {"FindKey+GetDataString not cached / SQLite", "lookup_uncached/store/", "lookup_uncached/sqlite/", "<=1"},
        {"bulk add + close / SQLite one transaction", "bulk_add_close/store/", "bulk_add_close/sqlite/", "<=1"},
        {"walk First/Next/GetDataString / SQLite scan", "walk/store/", "walk/sqlite/", "<=1.5"},
        {"open (split + index load) / plain copy", "open/store/", "open/copy/", "<=2"},
        {"close (join) / plain copy + fsync", "close/store/", "close/copy/", "<=2"},
        {"SaveIndex after one change / plain write", "save_index/store/", "save_index/write/", "<=1.5"},
    };
    for (const Figure& f : figures) {
      const double store = times.Time(f.store + n);
      const double peer = times.Time(f.peer + n);
      if (store == 0 || peer == 0) continue;
      std::printf("%-48s %9s %14.3f %14.3f %8.3f %6s\n", f.label, n.c_str(), store, peer, store / peer, f.goal);
    }
  }
  const double large = times.Time("owner_walk/store/1000000");
  const double small = times.Time("owner_walk/store/100000");
  if (large > 0 && small > 0) {
    std::printf("%-48s %9s %14.3f %14.3f %8.3f %6s\n", "owner walk, 100 items: 1M store / 100k store", "1000000", large,
                small, large / small, "<=1.5");
  }
}

}  // namespace
}  // namespace pellmark::bench

int main(int argc, char** argv) {
  using namespace pellmark::bench;
  BenchCommandLine line(argc, argv, {100'000, 1'000'000});
  benchmark::Initialize(&line.rest_count, line.rest.data());
  const std::vector<int>& sizes = line.sizes;
  const fs::path root = MakeBenchFolder("pellmark-bench");
  std::vector<std::unique_ptr<DataSet>> sets;
  for (int size : sizes) {
    sets.push_back(std::make_unique<DataSet>(size, root));
    RegisterAll(*sets.back());
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios(reporter, sizes);
  sets.clear();
  fs::remove_all(root);
  benchmark::Shutdown();
  return 0;
}
