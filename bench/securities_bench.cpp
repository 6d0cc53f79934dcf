// The security ledger on a large club: 50 securities and 100 000 security
// transactions, among them "Big" with 5 000 open lots and "Small" with 50.
// Each operation runs on a fresh copy of the club, through the books as the
// program runs it (dialog models answered in code, the operation committed):
//   sell-oldest/S   a sale relieving half the lots, oldest first
//   sell-chosen/S   a sale of one lot chosen in the lot chooser (the newest)
//   reset/S         "Reset Selected Security"
//   delete-sale/S   deleting the one sale record of an earlier sale
// The summary prints each operation's time on both securities and the ratio
// Big / Small beside the ratio of their record counts: the cost follows the
// security's own records, not the store's.
//
//   build/bench/securities_bench
//   build/bench/securities_bench --sizes=5000,50 --benchmark_repetitions=5
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "bench_command_line.h"
#include "forms/club_setup_form.h"
#include "books/books.h"
#include "club/keys.h"
#include "club/record_kinds.h"
#include "forms/entry_dialog.h"
#include "quiet_interaction.h"

namespace pellmark::bench {
namespace {

namespace fs = std::filesystem;
using ledger::StockEntry;

constexpr int kClubRecords = 100'000;
constexpr int kSecurities = 50;
constexpr double kLotShares = 10;
constexpr double kPrice = 10;

// Answers the entry dialog with the sale of `shares`, the lot question with
// `choose`, and the lot chooser with the newest open lot; Yes to a delete.
class BenchInteraction final : public QuietInteraction {
 public:
  double shares = 0;
  bool choose = false;

  void ShowError(std::string_view text) override { std::fprintf(stderr, "refused: %.*s\n", int(text.size()), text.data()); }
  bool Confirm(std::string_view text, bool) override {
    if (text == "Select Shares to Sell?") return choose;
    return text == "Selected Record will be removed permanently. Continue?";
  }
  EntryDialogResult RunEntryDialog(const EntryDialogRequest& request) override {
    EntryDialog dialog(request);
    dialog.Form().amount.text = std::to_string(shares * kPrice);
    dialog.Form().price.text = std::to_string(kPrice);
    dialog.Form().commission.text = "5";
    return dialog.PressOk().result;
  }
  LotChooserResult RunLotChooser(const LotChooserRequest& request) override {
    LotChooserResult result;
    result.outcome = DialogOutcome::Ok;
    for (auto lot = request.candidates.rbegin(); lot != request.candidates.rend(); ++lot) {
      if (IsOpenLot(lot->record)) {
        result.keys.push_back(lot->key);
        break;
      }
    }
    return result;
  }
};

// The club every run starts from: "Big", "Small" and 48 others sharing the rest
// of the records, all purchase lots of 10 shares.
void BuildBaseClub(const fs::path& folder, const std::vector<int>& lot_counts) {
  BenchInteraction ui;
  FixedClock clock(DayNumberFromCivil({2026, 12, 7}));
  Books books(folder, ui, clock);
  books.Open();
  ClubInfoFields fields = ClubSetupFields(books.Club());
  fields.club = "Bench Club";
  fields.year = "2026";
  static_cast<void>(CommitClubSetup(books.Club(), fields));
  std::vector<std::string> names = {"Big", "Small"};
  for (int i = static_cast<int>(names.size()); i < kSecurities; ++i) names.push_back("Other " + std::to_string(i));
  int remaining = kClubRecords;
  for (int lots : lot_counts) remaining -= lots;
  const int others = kSecurities - static_cast<int>(lot_counts.size());
  const DayNumber first = DayNumberFromCivil({2016, 1, 4});
  std::vector<TSecurityTranRec> records;
  for (int s = 0; s < kSecurities; ++s) {
    static_cast<void>(books.Securities().CommitSecurity(std::nullopt, {names[s], ""}));
    TSecurityRec security = *books.Securities().Find(names[s]);
    const int count = s < static_cast<int>(lot_counts.size()) ? lot_counts[s] : remaining / others;
    for (int i = 0; i < count; ++i) {
      TSecurityTranRec lot;
      lot.typ = Code(SecurityTranKind::Purchase);
      lot.amount = kLotShares * kPrice;
      lot.price = kPrice;
      lot.comm = 1;
      lot.trandate = first + i * 3650 / count;
      lot.stkid = security.stkid;
      lot.stranid = i;
      records.push_back(lot);
    }
    security.trancount = count;
    books.Securities().Save(security);
  }
  books.Club().stkrecs.PutAll(records);
  static_cast<void>(books.Run([&] { return books.Securities().ResetAllSecurities(); }));
  books.Close();
}

// One operation on a fresh copy of the base club; only the operation is timed.
template <class Prepare, class Operation>
void RunOnCopy(benchmark::State& state, const fs::path& base, const fs::path& work, Prepare prepare,
               Operation operation) {
  for (auto _ : state) {
    fs::remove_all(work);
    fs::copy(base, work, fs::copy_options::recursive);
    BenchInteraction ui;
    FixedClock clock(DayNumberFromCivil({2026, 12, 7}));
    Books books(work, ui, clock);
    books.Open();
    prepare(books, ui);
    const auto start = std::chrono::steady_clock::now();
    Outcome outcome = books.Settle(operation(books, ui));
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (!outcome) state.SkipWithError("the operation was not done");
    books.Close();
  }
}

// `repetitions` 0 leaves the count to --benchmark_repetitions.
void Register(const std::string& name, int lots, const fs::path& base, const fs::path& work, int repetitions) {
  const DayNumber sale_date = DayNumberFromCivil({2026, 6, 1});
  auto nothing = [](Books&, BenchInteraction&) {};
  auto reg = [&](const std::string& op, auto prepare, auto operation) {
    auto* bench = benchmark::RegisterBenchmark((op + "/" + name).c_str(), [=](benchmark::State& state) {
      RunOnCopy(state, base, work, prepare, operation);
    });
    bench->UseManualTime()->Iterations(1)->ReportAggregatesOnly(false)->Unit(benchmark::kMillisecond);
    if (repetitions > 0) bench->Repetitions(repetitions);
  };
  reg("sell-oldest", nothing, [=](Books& books, BenchInteraction& ui) {
    ui.shares = lots / 2 * kLotShares;
    return books.Trades().Enter(name, StockEntry::Sell, sale_date);
  });
  reg("sell-chosen", nothing, [=](Books& books, BenchInteraction& ui) {
    ui.shares = kLotShares;
    ui.choose = true;
    return books.Trades().Enter(name, StockEntry::Sell, sale_date);
  });
  reg("reset", nothing, [=](Books& books, BenchInteraction&) { return books.Securities().ResetSecurity(name, false); });
  reg("delete-sale",
      [=](Books& books, BenchInteraction& ui) {
        ui.shares = kLotShares;
        static_cast<void>(books.Settle(books.Trades().Enter(name, StockEntry::Sell, sale_date)));
      },
      [=](Books& books, BenchInteraction&) {
        const TSecurityRec security = *books.Securities().Find(name);
        return books.Trades().DeleteRecord(name, security.trancount - 1, false);
      });
}

// Collects each run's manual time by benchmark name.
class TimeReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
        times[run.benchmark_name().substr(0, run.benchmark_name().find("/iterations"))].push_back(
            run.GetAdjustedRealTime());
      }
    }
  }
  std::map<std::string, std::vector<double>> times;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace
}  // namespace pellmark::bench

int main(int argc, char** argv) {
  using namespace pellmark::bench;
  BenchCommandLine line(argc, argv, {5'000, 50});
  benchmark::Initialize(&line.rest_count, line.rest.data());
  const std::vector<int> lots = line.sizes;
  const fs::path root = MakeBenchFolder("pellmark-securities-bench");
  const fs::path base = root / "base";
  const fs::path work = root / "work";
  fs::create_directories(base);
  BuildBaseClub(base, lots);
  const std::vector<std::string> names = {"Big", "Small"};
  // Three runs of each unless the command line asks for another count.
  const bool counted = std::any_of(line.rest.begin(), line.rest.end(), [](const char* arg) {
    return std::string_view(arg).starts_with("--benchmark_repetitions");
  });
  for (std::size_t i = 0; i < lots.size() && i < names.size(); ++i) {
    Register(names[i], lots[i], base, work, counted ? 0 : 3);
  }
  TimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\nMedian ms per operation in a club of %d records; Big has %d lots, Small %d.\n", kClubRecords,
              lots[0], lots[1]);
  const double count_ratio = static_cast<double>(lots[0]) / lots[1];
  std::printf("%-12s %10s %10s %8s   (record counts %.0f : 1)\n", "operation", "Big", "Small", "ratio", count_ratio);
  for (const char* op : {"sell-oldest", "sell-chosen", "reset", "delete-sale"}) {
    const double big = Median(reporter.times[std::string(op) + "/Big"]);
    const double small = Median(reporter.times[std::string(op) + "/Small"]);
    std::printf("%-12s %10.2f %10.2f %8.2f\n", op, big, small, small > 0 ? big / small : 0);
  }
  fs::remove_all(root);
  benchmark::Shutdown();
  return 0;
}
