// Account postings and resets on a small and a large register. Each club is a
// fresh folder whose "Cash" account receives its transactions one by one through
// PostAccountTransaction (no dialog, on the selected account), as security and
// counterpart postings arrive. Measured per operation:
//   post/N        one more posting on an N-item register (store the record, rewrite
//                 the account, commit: both stores' indexes and the commit record)
//   save_index/N  the commit alone after one rewritten item
//   reset/N       "Reset Selected Account": every transaction re-applied in key order
// The summary prints, by real and by CPU time, the store work (posting minus index
// save) beside the index save, and the ratios of the large register to the small
// one.
//
//   build-accounts/bench/ledger_bench                        # 100 and 100 000 items
//   build-accounts/bench/ledger_bench --sizes=100,20000      # other sizes
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_command_line.h"
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

// A club whose "Cash" register holds `count` transactions, posted one by one.
class BenchClub {
 public:
  BenchClub(int count, const fs::path& root)
      : folder_(root / std::to_string(count)), clock_(DayNumberFromCivil({1999, 12, 31})) {
    fs::create_directories(folder_);
    club_ = std::make_unique<ClubSession>(folder_, ui_, clock_);
    club_->OpenClub(false);
    ClubInfoFields fields = club_->DisplayedClubInfo();
    fields.club = "Bench Investors";
    fields.year = "1999";
    if (!club_->CommitClubInformation(fields)) throw std::runtime_error("club set-up refused");
    ledger_ = std::make_unique<AccountLedger>(*club_);
    actid_ = ledger_->Find(kAccount)->actid;
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
  std::string touched_key_;
  std::string touched_data_;
};

void RegisterAll(BenchClub& club) {
  const std::string n = std::to_string(club.Count());
  // Fixed iteration counts keep the register near its size while it grows.
  const int postings = club.Count() >= 10'000 ? 1000 : 100;
  benchmark::RegisterBenchmark(("post/" + n).c_str(), [&club](benchmark::State& state) {
    for (auto _ : state) club.Post();
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
void PrintSummary(const TimeReporter& reporter, const std::vector<std::unique_ptr<BenchClub>>& clubs, bool cpu) {
  const auto time = [&](const std::string& name) { return reporter.Time(name, cpu); };
  std::printf("\n%s time per operation\n%9s %14s %14s %14s %14s %14s\n", cpu ? "CPU" : "Real", "items", "post (us)",
              "index (us)", "store (us)", "reset (us)", "fill mean (us)");
  for (const auto& club : clubs) {
    const std::string n = std::to_string(club->Count());
    const double post = time("post/" + n);
    const double index = time("save_index/" + n);
    std::printf("%9d %14.3f %14.3f %14.3f %14.3f %14.3f\n", club->Count(), post, index, post - index,
                time("reset/" + n), cpu ? 0.0 : club->FillSeconds() * 1e6 / club->Count());
  }
  if (clubs.size() < 2) return;
  const std::string small = std::to_string(clubs.front()->Count());
  const std::string large = std::to_string(clubs.back()->Count());
  const auto ratio = [&](double large_time, double small_time) { return small_time > 0 ? large_time / small_time : 0; };
  const double post_small = time("post/" + small);
  const double post_large = time("post/" + large);
  const double store_small = post_small - time("save_index/" + small);
  const double store_large = post_large - time("save_index/" + large);
  const std::string heading = "ratio " + large + " / " + small;
  std::printf("%-44s %10s %6s\n", heading.c_str(), "value", "goal");
  std::printf("%-44s %10.3f %6s\n", "posting, store work (without the index save)", ratio(store_large, store_small),
              "<=2");
  std::printf("%-44s %10.3f %6s\n", "posting, whole", ratio(post_large, post_small), "");
  std::printf("%-44s %10.3f %6s\n", "reset, per transaction",
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
  for (int size : sizes) {
    clubs.push_back(std::make_unique<BenchClub>(size, root));
    RegisterAll(*clubs.back());
  }
  TimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintSummary(reporter, clubs, /*cpu=*/false);
  PrintSummary(reporter, clubs, /*cpu=*/true);
  clubs.clear();
  fs::remove_all(root);
  benchmark::Shutdown();
  return 0;
}
