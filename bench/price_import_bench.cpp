// Price import on a club of 50 securities, each with a current price, each run
// on a fresh copy of the club, through the books as the program runs it (one
// operation, committed):
//   import/N   "Import" of a price file of N lines (default 200 000): the lines
//              go round the 50 securities, one new date a round
//   enter/M    the first M lines of the same file (default 2 000) entered one
//              by one through RecordPrice in one operation, as a downloaded
//              quote or the dialog enters a price
// The summary prints each one's time per line and their ratio: an import's
// cost per line is to stay that of entering a few prices, however long its
// file (goal: the import per line at most the entry per line).
//
//   build/bench/price_import_bench
//   build/bench/price_import_bench --sizes=20000,2000
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "bench_command_line.h"
#include "forms/club_setup_form.h"
#include "books/books.h"
#include "quiet_interaction.h"
#include "securities/price_import.h"
#include "time_reporter.h"

namespace pellmark::bench {
namespace {

namespace fs = std::filesystem;

constexpr int kSecurities = 50;
const DayNumber kToday = DayNumberFromCivil({2026, 12, 7});
const DayNumber kFirstDate = DayNumberFromCivil({2000, 1, 3});

std::string Symbol(int security) { return fmt::format("S{:02}", security); }

// Line i prices security i % 50 on the round's date, which lies before today
// for 200 000 lines (4 000 rounds), so that each line moves the current price.
std::string PriceFile(int lines) {
  std::string text;
  for (int line = 0; line < lines; ++line) {
    const CivilDate date = CivilFromDayNumber(kFirstDate + line / kSecurities);
    text += fmt::format("\"{}\",{}.{:02},\"{:02}/{:02}/{}\"\n", Symbol(line % kSecurities), 10 + line % 90, line % 100,
                        date.month, date.day, date.year);
  }
  return text;
}

class PriceImportBench {
 public:
  explicit PriceImportBench(fs::path root) : root_(std::move(root)), clock_(kToday) {
    Books books(root_ / "club", ui_, clock_);
    books.Open();
    ClubSession& club = books.Club();
    ClubInfoFields fields = ClubSetupFields(club);
    fields.club = "Bench Investors";
    fields.year = "2026";
    if (!CommitClubSetup(club, fields)) throw std::runtime_error("club set-up refused");
    for (int security = 0; security < kSecurities; ++security) {
      const std::string name = fmt::format("Security {:02}", security);
      if (!books.Securities().CommitSecurity(std::nullopt, {name, Symbol(security)})) {
        throw std::runtime_error("adding " + name + " was refused");
      }
      TPriceRec price;
      price.price = 10;
      price.trandate = kFirstDate - 1;
      books.Prices().RecordPrice(books.Securities().Find(name)->stkid, ledger::PriceMode::NewWithoutDialog, price);
    }
    books.Commit();
    books.Close();
  }

  // Runs `operation` on a fresh copy of the club and returns its time in seconds.
  double Run(const std::function<void(Books&)>& operation) {
    const fs::path folder = root_ / "run";
    fs::remove_all(folder);
    fs::copy(root_ / "club", folder, fs::copy_options::recursive);
    Books books(folder, ui_, clock_);
    books.Open();
    const auto start = std::chrono::steady_clock::now();
    operation(books);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    books.Close();
    return took.count();
  }

  const fs::path& Root() const { return root_; }

 private:
  fs::path root_;
  QuietInteraction ui_;
  FixedClock clock_;
};

void Register(PriceImportBench& bench, const std::string& name, std::function<void(Books&)> operation) {
  benchmark::RegisterBenchmark(name.c_str(), [&bench, operation](benchmark::State& state) {
    for (auto _ : state) state.SetIterationTime(bench.Run(operation));
  })->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
}

}  // namespace
}  // namespace pellmark::bench

int main(int argc, char** argv) {
  using namespace pellmark::bench;
  using namespace pellmark;
  BenchCommandLine command_line(argc, argv, {200'000, 2'000});
  benchmark::Initialize(&command_line.rest_count, command_line.rest.data());
  const int import_lines = command_line.sizes.at(0);
  const int entered_lines = command_line.sizes.size() > 1 ? command_line.sizes[1] : 2'000;
  const fs::path root = MakeBenchFolder("pellmark-price-import-bench");
  int status = 0;
  try {
    PriceImportBench bench(root);
    const fs::path file = root / "prices.txt";
    std::ofstream(file, std::ios::binary) << PriceFile(import_lines);
    const std::string entered_text = PriceFile(entered_lines);

    const std::string import_name = fmt::format("import/{}", import_lines);
    const std::string enter_name = fmt::format("enter/{}", entered_lines);
    Register(bench, import_name, [&](Books& books) {
      if (!books.Perform([&] { return books.Prices().ImportPrices(file); })) throw std::runtime_error("import refused");
    });
    Register(bench, enter_name, [&](Books& books) {
      std::vector<std::string> symbols;
      std::vector<std::int32_t> ids;
      for (const TSecurityRec& security : books.Securities().List(true)) {
        symbols.push_back(security.symbol);
        ids.push_back(security.stkid);
      }
      const Outcome entered = books.Perform([&] {
        for (const ledger::ImportedPrice& line : ledger::ReadPriceImport(entered_text, symbols, kToday).lines) {
          TPriceRec price;
          price.price = line.price;
          price.trandate = line.date;
          if (books.Prices().RecordPrice(ids[line.security], ledger::PriceMode::NewWithoutDialog, price) !=
              ledger::PriceResult::Stored) {
            return Outcome::Refusal("a price was not stored");
          }
        }
        return Outcome::Done();
      });
      if (!entered) throw std::runtime_error("entering refused");
    });
    TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const double import_per_line = reporter.Time(import_name, false) * 1e3 / import_lines;  // µs
    const double enter_per_line = reporter.Time(enter_name, false) * 1e3 / entered_lines;
    std::printf("\n%-40s %12s\n", "per line (real time)", "µs");
    std::printf("%-40s %12.2f\n", ("import of " + std::to_string(import_lines) + " lines").c_str(), import_per_line);
    std::printf("%-40s %12.2f\n", ("entering " + std::to_string(entered_lines) + " lines one by one").c_str(),
                enter_per_line);
    std::printf("%-40s %12.2f  (goal <= 1)\n", "import / entering, per line",
                enter_per_line > 0 ? import_per_line / enter_per_line : 0);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "price_import_bench: %s\n", error.what());
    status = 1;
  }
  benchmark::Shutdown();
  fs::remove_all(root);
  return status;
}
