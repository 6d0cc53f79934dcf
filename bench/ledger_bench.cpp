// Account postings and resets on a small and a large register. Each club is a
// fresh folder whose "Cash" account receives its transactions one by one through
// PostAccountTransaction (no dialog, on the selected account), as security and
// counterpart postings arrive. Measured per operation:
//   post/N        one more posting on an N-item register (store the record, rewrite
//                 the account, commit: both stores' indexes and the commit record)
//   save_index/N  the commit alone after one rewritten item
//   reset/N       "Reset Selected Account": every transaction re-applied in key order
//   post_unjournaled/N  the posting without its journal entry (what the journal adds)
//   post_alternately/N  pairs of the two, in turns, the measure of the journal's share
//   undo_post/N   the undo of the newest posting, committed
// The summary prints, by real and by CPU time, the index saves inside the
// postings' own commits (timed by the stores' progress reports), the store work
// (posting minus those saves) and the ratios of the large register to the small
// one. The store work is taken from each posting's own saves: a posting minus
// the separate save_index figure subtracts two index writes of several
// milliseconds measured at different moments, whose difference on a busy
// machine swings by more than the whole store work (it is printed too).
//
//   build-accounts/bench/ledger_bench                        # 100 and 100 000 items
//   build-accounts/bench/ledger_bench --sizes=100,20000      # other sizes
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "bench_command_line.h"
#include "forms/club_setup_form.h"
#include "quiet_interaction.h"
#include "time_reporter.h"
#include "cash/account_ledger.h"
#include "club/club_session.h"
#include "club/keys.h"
#include "club/record_kinds.h"

namespace pellmark::bench {
namespace {

namespace fs = std::filesystem;
using ledger::AccountLedger;
using ledger::PostMode;

constexpr const char* kAccount = "Cash";

// Nothing is shown and every question is answered No: the postings measured
// here run no dialog.
class SilentInteraction final : public QuietInteraction {
 public:
  void ShowError(std::string_view) override {}
  bool Confirm(std::string_view, bool) override { return false; }
};

// The n-th posting: deposits and checks in turn, spread over the club's year.
TAccountTranRec Posting(int n) {
  TAccountTranRec tran;
  tran.trandate = DayNumberFromCivil({1999, 1, 1}) + n % 365;
  tran.amount = 10 + n % 7;
  tran.desc = "Bench posting";
  const bool check = n % 2 == 1;
  tran.typ = Code(check ? AccountTranKind::Check : AccountTranKind::Deposit);
  tran.catid = Code(check ? PredefinedCategory::OperatingExpenses : PredefinedCategory::OtherIncome);
  tran.checknum = check ? n : -1;
  tran.xferact = -1;
  tran.updateloc = Code(AccountOrigin::AccountsPage);
  return tran;
}

// Real and CPU seconds spent saving indexes, from the progress reports of the
// stores it is attached to: a save reports 0 as it starts and 0 again as it ends
// (the stores timed are never empty, so every save reports both).
class IndexSaveTimer {
 public:
  void Attach(store::TQDB& store) {
    store.ProgressUpdate = [this](store::TQDB&, int percent, store::ProgressKind kind) {
      if (kind != store::ProgressKind::kSavingIndex || percent != 0) return;
      if (!started_) {
        started_ = true;
        real_start_ = std::chrono::steady_clock::now();
        cpu_start_ = CpuSeconds();
        return;
      }
      started_ = false;
      real_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - real_start_).count();
      cpu_ += CpuSeconds() - cpu_start_;
    };
  }
  // The seconds since the last Restart.
  double Real() const { return real_; }
  double Cpu() const { return cpu_; }
  void Restart() { real_ = cpu_ = 0; }

 private:
  static double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
  }

  bool started_ = false;
  std::chrono::steady_clock::time_point real_start_;
  double cpu_start_ = 0;
  double real_ = 0;
  double cpu_ = 0;
};

// A club whose "Cash" register holds `count` transactions, posted one by one.
class BenchClub {
 public:
  BenchClub(int count, const fs::path& root)
      : folder_(root / std::to_string(count)), clock_(DayNumberFromCivil({1999, 12, 31})) {
    fs::create_directories(folder_);
    club_ = std::make_unique<ClubSession>(folder_, ui_, clock_);
    club_->OpenClub(false);
    ClubInfoFields fields = ClubSetupFields(*club_);
    fields.club = "Bench Investors";
    fields.year = "1999";
    if (!CommitClubSetup(*club_, fields)) throw std::runtime_error("club set-up refused");
    ledger_ = std::make_unique<AccountLedger>(*club_);
    actid_ = ledger_->Find(kAccount)->actid;
    index_saves_.Attach(Transactions());
    index_saves_.Attach(club_->accounts.UnderlyingStore());
    const auto start = std::chrono::steady_clock::now();
    for (int n = 0; n < count; ++n) Post();
    fill_seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    count_ = count;
  }
  ~BenchClub() {
    ledger_.reset();
    club_->Close();
  }

  void Post() {
    TAccountTranRec tran = Posting(posted_++);
    if (!ledger_->PostAccountTransaction(actid_, PostMode::NewOnAccount, tran, nullptr, ledger::kApply)) {
      throw std::runtime_error("the bench's posting was refused");
    }
    club_->Commit();
  }

  // The same posting with no journal entry: what the journal adds is the difference.
  void PostWithoutJournal() {
    club_->SetJournalKept(false);
    Post();
    club_->SetJournalKept(true);
  }
  // Undoes the newest posting, committed as a unit of work of its own.
  void UndoNewest() {
    if (!club_->UndoNewest()) throw std::runtime_error("the bench's undo was refused");
    club_->Commit();
  }

  // Rewrites one stored transaction unchanged, so that the next index save has work.
  void TouchOneItem() {
    if (touched_key_.empty()) {
      touched_key_ = club_->actrecs.KeyAt(0);
      touched_data_ = Transactions().GetDataByKey(touched_key_);
    }
    Transactions().Store(touched_key_, touched_data_);
  }
  // The index save is part of the commit of the club's stores.
  void SaveIndex() { club_->Commit(); }
  void Reset() {
    static_cast<void>(ledger_->ResetAccount(kAccount, /*announce=*/false));
    club_->Commit();
  }

  int Count() const { return count_; }
  double FillSeconds() const { return fill_seconds_; }
  IndexSaveTimer& IndexSaves() { return index_saves_; }

 private:
  fs::path folder_;
  SilentInteraction ui_;
  FixedClock clock_;
  store::TQDB& Transactions() { return club_->actrecs.UnderlyingStore(); }

  std::unique_ptr<ClubSession> club_;
  std::unique_ptr<AccountLedger> ledger_;
  std::int32_t actid_ = 0;
  int posted_ = 0;
  int count_ = 0;
  double fill_seconds_ = 0;
  IndexSaveTimer index_saves_;
  std::string touched_key_;
  std::string touched_data_;
};

// Postings with and without their journal entry, alternately, so that a busy
// moment of the machine weighs on both alike: per posting, in seconds.
struct AlternatePostings {
  double journaled_real = 0, journaled_cpu = 0;
  double bare_real = 0, bare_cpu = 0;
};

// The seconds of real and CPU time `work` takes.
template <class Work>
std::pair<double, double> Timed(Work&& work) {
  const auto cpu_now = [] {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
  };
  const auto real_start = std::chrono::steady_clock::now();
  const double cpu_start = cpu_now();
  work();
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - real_start).count(), cpu_now() - cpu_start};
}

// The index saves inside the postings of one register, per posting (seconds).
struct PostingIndexSaves {
  double real = 0;
  double cpu = 0;
};

void RegisterAll(BenchClub& club, PostingIndexSaves& saves, AlternatePostings& alternate) {
  const std::string n = std::to_string(club.Count());
  // Fixed iteration counts keep the register near its size while it grows.
  const int postings = club.Count() >= 10'000 ? 1000 : 100;
  benchmark::RegisterBenchmark(("post/" + n).c_str(), [&club, &saves, postings](benchmark::State& state) {
    club.IndexSaves().Restart();
    for (auto _ : state) club.Post();
    saves.real = club.IndexSaves().Real() / postings;
    saves.cpu = club.IndexSaves().Cpu() / postings;
  })->Iterations(postings)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(("post_unjournaled/" + n).c_str(), [&club](benchmark::State& state) {
    for (auto _ : state) club.PostWithoutJournal();
  })->Iterations(postings)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(("post_alternately/" + n).c_str(), [&club, &alternate, postings](benchmark::State& state) {
    alternate = {};
    bool journaled_first = true;
    for (auto _ : state) {
      for (const bool journaled : {journaled_first, !journaled_first}) {
        const auto [real, cpu] = Timed([&] { journaled ? club.Post() : club.PostWithoutJournal(); });
        (journaled ? alternate.journaled_real : alternate.bare_real) += real / postings;
        (journaled ? alternate.journaled_cpu : alternate.bare_cpu) += cpu / postings;
      }
      journaled_first = !journaled_first;
    }
  })->Iterations(postings)->Unit(benchmark::kMicrosecond);
  // The timers stop for the posting, so that both the real and the CPU time are the undo's.
  benchmark::RegisterBenchmark(("undo_post/" + n).c_str(), [&club](benchmark::State& state) {
    for (auto _ : state) {
      state.PauseTiming();
      club.Post();
      state.ResumeTiming();
      club.UndoNewest();
    }
  })->Iterations(postings)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(("save_index/" + n).c_str(), [&club](benchmark::State& state) {
    for (auto _ : state) {
      club.TouchOneItem();
      const auto start = std::chrono::steady_clock::now();
      club.SaveIndex();
      state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
  })->UseManualTime()->Iterations(postings)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(("reset/" + n).c_str(), [&club](benchmark::State& state) {
    for (auto _ : state) club.Reset();
  })->Iterations(club.Count() >= 10'000 ? 5 : 200)->Unit(benchmark::kMicrosecond);
}

// One table of the figures, by real time or by CPU time. The index save's CPU
// time includes the rewrite of one item that precedes it.
void PrintSummary(const TimeReporter& reporter, const std::vector<std::unique_ptr<BenchClub>>& clubs,
                  const std::vector<PostingIndexSaves>& saves, const std::vector<AlternatePostings>& alternate,
                  bool cpu) {
  const auto time = [&](const std::string& name) { return reporter.Time(name, cpu); };
  const auto saves_in_post = [&](std::size_t club) { return (cpu ? saves[club].cpu : saves[club].real) * 1e6; };
  std::printf("\n%s time per operation\n%9s %12s %12s %14s %12s %12s %14s\n", cpu ? "CPU" : "Real", "items",
              "post (us)", "index (us)", "its index (us)", "store (us)", "reset (us)", "fill mean (us)");
  for (std::size_t i = 0; i < clubs.size(); ++i) {
    const std::string n = std::to_string(clubs[i]->Count());
    const double post = time("post/" + n);
    std::printf("%9d %12.3f %12.3f %14.3f %12.3f %12.3f %14.3f\n", clubs[i]->Count(), post, time("save_index/" + n),
                saves_in_post(i), post - saves_in_post(i), time("reset/" + n),
                cpu ? 0.0 : clubs[i]->FillSeconds() * 1e6 / clubs[i]->Count());
  }
  std::printf("%-52s %10s %6s\n", "the journal", "value", "goal");
  for (std::size_t i = 0; i < clubs.size(); ++i) {
    const std::string n = std::to_string(clubs[i]->Count());
    const double post = time("post/" + n);
    const double bare = time("post_unjournaled/" + n);
    std::printf("%-52s %10.3f %6s\n", ("posting with its entry / without, " + n).c_str(), bare > 0 ? post / bare : 0,
                "");
    const double with = cpu ? alternate[i].journaled_cpu : alternate[i].journaled_real;
    const double without = cpu ? alternate[i].bare_cpu : alternate[i].bare_real;
    std::printf("%-52s %10.3f %6s\n", ("  the same, posted alternately, " + n).c_str(), without > 0 ? with / without : 0,
                "<=1.2");
    std::printf("%-52s %10.3f %6s\n", ("undo of a posting / the posting, " + n).c_str(),
                post > 0 ? time("undo_post/" + n) / post : 0, "<=2");
  }
  if (clubs.size() < 2) return;
  const std::string small = std::to_string(clubs.front()->Count());
  const std::string large = std::to_string(clubs.back()->Count());
  const auto ratio = [&](double large_time, double small_time) { return small_time > 0 ? large_time / small_time : 0; };
  const double post_small = time("post/" + small);
  const double post_large = time("post/" + large);
  const std::string heading = "ratio " + large + " / " + small;
  std::printf("%-52s %10s %6s\n", heading.c_str(), "value", "goal");
  std::printf("%-52s %10.3f %6s\n", "posting, store work (without its index saves)",
              ratio(post_large - saves_in_post(clubs.size() - 1), post_small - saves_in_post(0)), "<=2");
  std::printf("%-52s %10.3f %6s\n", "posting minus the separate index save",
              ratio(post_large - time("save_index/" + large), post_small - time("save_index/" + small)), "");
  std::printf("%-52s %10.3f %6s\n", "posting, whole", ratio(post_large, post_small), "");
  std::printf("%-52s %10.3f %6s\n", "reset, per transaction",
              ratio(time("reset/" + large) / clubs.back()->Count(), time("reset/" + small) / clubs.front()->Count()),
              "");
}

}  // namespace
}  // namespace pellmark::bench

int main(int argc, char** argv) {
  using namespace pellmark::bench;
  BenchCommandLine line(argc, argv, {100, 100'000});
  benchmark::Initialize(&line.rest_count, line.rest.data());
  const std::vector<int>& sizes = line.sizes;
  const fs::path root = MakeBenchFolder("pellmark-ledger-bench");
  std::vector<std::unique_ptr<BenchClub>> clubs;
  std::vector<PostingIndexSaves> saves(sizes.size());
  std::vector<AlternatePostings> alternate(sizes.size());
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    clubs.push_back(std::make_unique<BenchClub>(sizes[i], root));
    RegisterAll(*clubs.back(), saves[i], alternate[i]);
  }
  TimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintSummary(reporter, clubs, saves, alternate, /*cpu=*/false);
  PrintSummary(reporter, clubs, saves, alternate, /*cpu=*/true);
  clubs.clear();
  fs::remove_all(root);
  benchmark::Shutdown();
  return 0;
}
