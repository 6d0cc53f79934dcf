// Backup, restore and export of a grown club: 20 years of monthly dues of 50
// members (12 000 member transactions, 240 deposits, 240 unit records) and 10
// securities with monthly prices and purchases (2 400 prices, 2 400 security
// transactions), written once straight into the stores. Measured:
//   backup     Books::Backup: each store closed, its file copied beside its ".bck", reopened; then the renames
//   restore    Books::Restore: the set checked, staged, journaled, swapped in, reopened
//   peer       the same ten files copied as `cp` would and each flushed with fsync,
//              the folder flushed too
//   export     ExportClub of the whole club into memory, in MB of output per second
//   import     Books::Import of that export's file into an empty club folder:
//              read, checked, stored, every balance reset, the statement of
//              each of its 239 valuations made and written, and committed
//   floor      what the platform needs for what the import leaves on disk: the
//              export's bytes and the bytes of the import's statement files
//              written as plain files into a fresh folder, with one flush
// Backup, peer, restore and peer take turns for some rounds (the machine's disk
// is shared, and its flushes vary by the second); the summary prints the ratios
// of the medians (goal at most 1.5x), the export's rate (goal at least 50 MB/s)
// and the import's median against the export's time (goal at most 3x). An
// export writes one file where the import must create one for each
// statement, so the import is also set against the export plus that floor.
//
//   build/bench/interchange_bench
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "quiet_interaction.h"
#include "forms/club_setup_form.h"
#include "time_reporter.h"
#include "bench_command_line.h"
#include "books/books.h"
#include "club/keys.h"
#include "club/record_kinds.h"
#include "interchange/club_export.h"
#include "interchange/club_files.h"
#include "interchange/text_import.h"
#include "store/whole_files.h"

namespace pellmark::bench {
namespace {

namespace fs = std::filesystem;

constexpr int kMembers = 50;
constexpr int kSecurities = 10;
constexpr int kFirstYear = 2000;
constexpr int kMonths = 20 * 12;

DayNumber Day(int month, int day) { return DayNumberFromCivil({kFirstYear + month / 12, month % 12 + 1, day}); }

void WriteClub(ClubSession& club) {
  ClubInfoFields fields = ClubSetupFields(club);
  fields.club = "Bench Investors";
  fields.year = std::to_string(kFirstYear);
  fields.startunit = "10.00";
  if (!CommitClubSetup(club, fields)) throw std::runtime_error("club set-up refused");
  TClubInfoRec& info = club.Info();
  std::vector<TUnitValueRec> units;
  for (int month = 1; month < kMonths; ++month) {
    TUnitValueRec unit;
    unit.unitval = 10.0 + month * 0.05;
    unit.date = Day(month, 1);
    unit.unitid = AllocateTranId(info.unitind);
    units.push_back(unit);
  }
  club.unitfile.PutAll(units);
  TAccountRec cash = *club.accounts.Find(NameKey(false, "Cash"));
  std::vector<TAccountTranRec> deposits;
  for (int month = 0; month < kMonths; ++month) {
    TAccountTranRec deposit;
    deposit.trandate = Day(month, 15);
    deposit.actid = cash.actid;
    deposit.tranid = AllocateTranId(cash.trancount);
    deposit.amount = 25.0 * kMembers;
    deposit.desc = "Member Contributions";
    deposit.catid = Code(PredefinedCategory::MemberContributions);
    deposit.typ = Code(AccountTranKind::Deposit);
    deposits.push_back(deposit);
  }
  club.actrecs.PutAll(deposits);
  club.accounts.Put(cash);
  std::vector<TMemberRec> members;
  std::vector<TMemberTranRec> payments;
  for (int n = 0; n < kMembers; ++n) {
    TMemberRec member;
    member.lname = "Member" + std::to_string(1000 + n);
    member.fname = "Pat";
    member.addr = "12 Elm Street";
    member.city = "Springfield";
    member.memid = n + 1;
    for (int month = 0; month < kMonths; ++month) {
      TMemberTranRec tran;
      tran.dues = 25;
      tran.cunit = 10.0 + month * 0.05;
      tran.memid = member.memid;
      tran.actid = cash.actid;
      tran.duestran = AllocateTranId(member.duescount);
      tran.trandate = Day(month, 15);
      payments.push_back(tran);
    }
    members.push_back(member);
  }
  club.memrecs.PutAll(payments);
  club.members.PutAll(members);
  std::vector<TSecurityRec> securities;
  std::vector<TPriceRec> prices;
  std::vector<TSecurityTranRec> purchases;
  for (int s = 0; s < kSecurities; ++s) {
    TSecurityRec security;
    security.name = "Security " + std::to_string(s);
    security.symbol = "S" + std::to_string(s);
    security.stkid = s + 1;
    for (int month = 0; month < kMonths; ++month) {
      TPriceRec price;
      price.price = 20 + s + month * 0.1;
      price.stkid = security.stkid;
      price.tranid = AllocateTranId(security.pricecount);
      price.trandate = Day(month, 28);
      prices.push_back(price);
      TSecurityTranRec purchase;
      purchase.amount = 100;
      purchase.price = price.price;
      purchase.trandate = price.trandate;
      purchase.stkid = security.stkid;
      purchase.stranid = AllocateTranId(security.trancount);
      purchases.push_back(purchase);
    }
    securities.push_back(security);
  }
  club.prices.PutAll(prices);
  club.stkrecs.PutAll(purchases);
  club.securities.PutAll(securities);
  club.WriteClubInfo();
  club.Commit();
}

// `cp` of the ten files with an fsync of each, and of the folder.
void CopyPeer(const fs::path& from, const fs::path& to) {
  static const std::vector<std::string> kNames = {"clubmem", "memrec", "clubstk", "stkrec",   "stkprice",
                                                  "clubact", "actrec", "clubcat", "clubunit", "clubinfo"};
  std::vector<char> buffer(1 << 17);
  for (const std::string& name : kNames) {
    const int in = ::open((from / (name + ".qdb")).c_str(), O_RDONLY);
    const int out = ::open((to / (name + ".bck")).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0) throw std::runtime_error("copy peer: cannot open " + name);
    for (ssize_t got; (got = ::read(in, buffer.data(), buffer.size())) > 0;) {
      if (::write(out, buffer.data(), static_cast<std::size_t>(got)) != got)
        throw std::runtime_error("copy peer: write");
    }
    ::fsync(out);
    ::close(in);
    ::close(out);
  }
  const int folder = ::open(to.c_str(), O_RDONLY | O_DIRECTORY);
  ::fsync(folder);
  ::close(folder);
}

// Each file written plainly into `to`, then one flush of the file system and
// of the folder: the least a platform needs to leave those files on disk.
void WritePlainFiles(const std::map<std::string, std::string>& files, const fs::path& to) {
  for (const auto& [name, bytes] : files) {
    const int out = ::open((to / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) throw std::runtime_error("floor: cannot create " + name);
    if (::write(out, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
      throw std::runtime_error("floor: write");
    ::close(out);
  }
  store::DefaultFileLayer().FlushFileSystem(to);
  store::DefaultFileLayer().FlushFolder(to);
}

constexpr int kRounds = 15;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The times, and the bytes a benchmark counted, for the summary's rates.
class BytesReporter : public TimeReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    TimeReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.counters.count("bytes")) bytes_[run.run_name.function_name] = run.counters.at("bytes");
    }
  }
  double Bytes(const std::string& name) const { return bytes_.count(name) ? bytes_.at(name) : 0; }

 private:
  std::map<std::string, double> bytes_;
};

}  // namespace
}  // namespace pellmark::bench

int main(int argc, char** argv) {
  using namespace pellmark;
  using namespace pellmark::bench;
  benchmark::Initialize(&argc, argv);
  const fs::path root = MakeBenchFolder("pellmark-interchange-bench");
  const fs::path club_folder = root / "club";
  const fs::path backup = root / "backup";
  const fs::path peer = root / "peer";
  for (const fs::path& folder : {club_folder, backup, peer}) fs::create_directories(folder);
  int status = 0;
  try {
    QuietInteraction ui;
    FixedClock clock(DayNumberFromCivil({kFirstYear + 20, 1, 31}));
    {
      ClubSession club(club_folder, ui, clock);
      club.OpenClub(false);
      WriteClub(club);
      club.Close();
    }
    Books books(club_folder, ui, clock);
    books.Open();
    if (!books.Backup(backup)) throw std::runtime_error("backup failed");

    benchmark::RegisterBenchmark("export", [&](benchmark::State& state) {
      std::size_t bytes = 0;
      for (auto _ : state) {
        const std::string text = interchange::ExportClub(books.Club());
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
      }
      state.counters["bytes"] = static_cast<double>(bytes);
      state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    })->Unit(benchmark::kMillisecond);

    BytesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double exported = reporter.Time("export", false);

    // The disk is shared and its flushes vary by the second: backup, peer,
    // restore and peer again take turns, and the medians are compared.
    std::vector<double> backups, restores, peers;
    auto timed = [](auto&& work) {
      const auto start = std::chrono::steady_clock::now();
      work();
      return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    for (int round = 0; round < kRounds; ++round) {
      backups.push_back(timed([&] {
        if (!books.Backup(backup)) throw std::runtime_error("backup failed");
      }));
      peers.push_back(timed([&] { CopyPeer(club_folder, peer); }));
      restores.push_back(timed([&] {
        if (!books.Restore(backup)) throw std::runtime_error("restore failed");
      }));
      // Each restore keeps the replaced files; they are no part of the next one.
      for (const fs::path& kept : KeptFolders(store::DefaultFileLayer(), club_folder / kWorkingFolderName)) fs::remove_all(kept);
      peers.push_back(timed([&] { CopyPeer(club_folder, peer); }));
    }
    const fs::path export_file = root / interchange::kExportFileName;
    if (!books.Export(export_file)) throw std::runtime_error("export failed");
    std::vector<double> imports, readings, floors;
    std::size_t statements = 0;
    const std::string export_bytes = store::ReadWholeFile(store::DefaultFileLayer(), export_file);
    for (int round = 0; round < kRounds; ++round) {
      readings.push_back(timed([&] {
        const interchange::ImportedClub read =
            interchange::ReadTextImport(interchange::TextImportKind::kExport, export_bytes, "pellmark95.txt");
        benchmark::DoNotOptimize(read.memrecs.data());
      }));
      const fs::path target = root / ("import" + std::to_string(round));
      fs::create_directories(target);
      Books imported(target, ui, clock);
      imported.Open();
      imports.push_back(timed([&] {
        if (!imported.Import(interchange::ImportSource::kExport, export_file).outcome) {
          throw std::runtime_error("import failed");
        }
      }));
      imported.Close();
      std::map<std::string, std::string> left_on_disk = {{interchange::kExportFileName, export_bytes}};
      for (const auto& entry : fs::directory_iterator(target)) {
        if (entry.path().extension() != ".stm") continue;
        left_on_disk[entry.path().filename().string()] = store::ReadWholeFile(store::DefaultFileLayer(), entry.path());
      }
      statements = left_on_disk.size() - 1;
      fs::remove_all(target);
      const fs::path floor_folder = root / ("floor" + std::to_string(round));
      fs::create_directories(floor_folder);
      floors.push_back(timed([&] { WritePlainFiles(left_on_disk, floor_folder); }));
      fs::remove_all(floor_folder);
    }
    const double copy = Median(peers);
    std::printf("\n%-44s %10s %10s\n", ("medians of " + std::to_string(kRounds) + " rounds").c_str(), "value", "goal");
    std::printf("%-44s %7.1f ms\n", "backup", Median(backups));
    std::printf("%-44s %7.1f ms\n", "restore", Median(restores));
    std::printf("%-44s %7.1f ms\n", "cp with fsync", copy);
    std::printf("%-44s %9.2fx %10s\n", "backup / cp with fsync", Median(backups) / copy, "<= 1.5x");
    std::printf("%-44s %9.2fx %10s\n", "restore / cp with fsync", Median(restores) / copy, "<= 1.5x");
    std::printf("%-44s %7.1f MB/s %8s\n", "export",
                exported > 0 ? reporter.Bytes("export") / 1e6 / (exported / 1e3) : 0, ">= 50");
    std::printf("%-44s %7.2f MB\n", "  export size", reporter.Bytes("export") / 1e6);
    std::printf("%-44s %7.1f ms\n", "export", exported);
    std::printf("%-44s %7.1f ms\n", "import of the export", Median(imports));
    std::printf("%-44s %7.1f ms\n", "  of which reading the text", Median(readings));
    std::printf("%-44s %7zu\n", "  statement files it writes", statements);
    std::printf("%-44s %9.2fx %10s\n", "import / export", exported > 0 ? Median(imports) / exported : 0, "<= 3x");
    const double floor = Median(floors);
    std::printf("%-44s %7.1f ms\n", "floor: export + statements as plain files", floor);
    std::printf("%-44s %9.2fx %10s\n", "import / (export + floor)", Median(imports) / (exported + floor), "<= 3x");
    books.Close();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "interchange_bench: %s\n", error.what());
    status = 1;
  }
  fs::remove_all(root);
  return status;
}
