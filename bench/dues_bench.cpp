// Dues on a grown club: 50 members with 20 years of monthly dues (12 000 member
// transactions, 240 deposits in "Cash") and one unit record per month (240),
// written once straight into the stores. Measured per operation:
//   dues_all              one "Dues - All" run: 50 entry dialogs (the dialog model
//                         with its checks, answered "25.00" by the bench), 50
//                         postings and the one deposit of the run
//   dues_all_unjournaled  the same run without its journal entry (what the journal adds)
//   dues_all_alternately  pairs of the two in turns: the measure of the journal's share
//   valuation             an official valuation after the history, committed
//   undo_valuation        its undo (statement removed, unit record and club information put back)
//   reset_member          "Reset Selected Member" of a member with 240+ transactions
//   unit_value_at/N       UnitValueAt of a random date in a history of N unit records
// The summary prints each figure beside its goal, and the ratio of the lookup in
// 24 000 unit records to the lookup in 240: a binary search grows by about
// log(24 000) / log(240) = 1.8, a walk through the records by 100.
//
//   build-members/bench/dues_bench
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "quiet_interaction.h"
#include "forms/club_setup_form.h"
#include "bench_command_line.h"
#include "club/club_session.h"
#include "valuation/valuation.h"
#include "club/keys.h"
#include "club/record_kinds.h"
#include "club/store_operations.h"
#include "club/unit_values.h"
#include "forms/entry_dialog.h"
#include "members/member_ledger.h"
#include "members/member_posting.h"

namespace pellmark::bench {
namespace {

namespace fs = std::filesystem;

constexpr int kMembers = 50;
constexpr int kFirstYear = 2000;
constexpr int kYears = 20;
constexpr int kMonths = kYears * 12;
constexpr double kMonthlyDues = 25;
constexpr int kLargeHistory = 24'000;
constexpr int kLookupDates = 4096;

// Answers every entry dialog with the month's dues and every question with Yes
// (the run after the first asks "No Valuation Statement Created since last dues
// collection. Continue?"). Counts the dialogs so that a run that skipped a member
// is noticed.
class AnsweringInteraction final : public QuietInteraction {
 public:
  EntryDialogResult RunEntryDialog(const EntryDialogRequest& request) override {
    ++dialogs_;
    EntryDialog dialog(request);
    dialog.Form().amount.text = "25.00";
    OkOutcome ok = dialog.PressOk();
    if (ok.kind != OkOutcome::Kind::Accepted) throw std::runtime_error("the dues dialog refused 25.00");
    return ok.result;
  }
  int Dialogs() const { return dialogs_; }

 private:
  int dialogs_ = 0;
};

DayNumber MonthStart(int month) { return DayNumberFromCivil({kFirstYear + month / 12, month % 12 + 1, 1}); }
DayNumber DuesDay(int month) { return DayNumberFromCivil({kFirstYear + month / 12, month % 12 + 1, 15}); }

// The unit value of the n-th monthly valuation: a slow rise with a wobble.
double UnitValueOfMonth(int month) { return 10.0 + month * 0.05 + std::sin(month) * 0.4; }

// The CPU time of Dues - All runs with and without their journal entry, taken in turns.
struct AlternateRuns {
  double journaled = 0;
  double bare = 0;
};

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The grown club, built once.
class DuesClub {
 public:
  explicit DuesClub(const fs::path& folder)
      : folder_(folder), clock_(DayNumberFromCivil({kFirstYear + kYears, 1, 31})) {
    fs::create_directories(folder_);
    club_ = std::make_unique<ClubSession>(folder_, ui_, clock_);
    club_->OpenClub(false);
    ClubInfoFields fields = ClubSetupFields(*club_);
    fields.club = "Bench Investors";
    fields.year = std::to_string(kFirstYear);
    fields.startunit = "10.00";
    if (!CommitClubSetup(*club_, fields)) throw std::runtime_error("club set-up refused");
    WriteUnitHistory();
    WriteMembersAndDues();
    club_->Commit();
    members_ = std::make_unique<ledger::MemberLedger>(*club_);
  }
  ~DuesClub() {
    members_.reset();
    club_->Close();
  }

  // One "Dues - All" on the 15th of the month after the history; true when every
  // member was asked.
  bool DuesAll() {
    const int before = ui_.Dialogs();
    const DayNumber dues_date = DayNumberFromCivil({kFirstYear + kYears, 1, 15});
    static_cast<void>(members_->Collect(ledger::MemberAction::DuesAll, std::nullopt, dues_date));
    club_->Commit();
    return ui_.Dialogs() - before == kMembers;
  }
  bool DuesAllWithoutJournal() {
    club_->SetJournalKept(false);
    const bool asked = DuesAll();
    club_->SetJournalKept(true);
    return asked;
  }
  // An official valuation at the end of the month of the dues, committed.
  bool Valuation() {
    valuation::ClubFigures figures(*club_);
    valuation::Valuations valuations(*club_, figures);
    const valuation::ValuationResult result =
        valuations.CreateValuation(DayNumberFromCivil({kFirstYear + kYears, 1, 31}), /*official=*/true);
    if (result.failed) return false;
    club_->Commit();
    return result.outcome.IsDone();
  }
  // Undoes the newest operation, committed.
  bool UndoNewest() {
    const bool done = club_->UndoNewest().IsDone();
    club_->Commit();
    return done;
  }
  bool ResetMember() {
    const bool done = members_->ResetMember(MemberListingName(0), /*announce=*/false).IsDone();
    club_->Commit();
    return done;
  }
  Table<TUnitValueRec>& UnitFile() { return club_->unitfile; }

  static std::string MemberListingName(int n) { return "Member" + std::to_string(1000 + n) + ", Pat"; }

 private:
  // The starting record of 01/01/2000 is the set-up's; one more on the 1st of
  // every later month.
  void WriteUnitHistory() {
    TClubInfoRec& info = club_->Info();
    std::vector<TUnitValueRec> units;
    for (int month = 1; month < kMonths; ++month) {
      TUnitValueRec unit;
      unit.unitval = UnitValueOfMonth(month);
      unit.date = MonthStart(month);
      unit.unitid = AllocateTranId(info.unitind);
      units.push_back(unit);
      info.vunit = unit.unitval;
      info.unitkey = unit.unitid;
      info.date = unit.date;
    }
    club_->unitfile.PutAll(units);
    club_->WriteClubInfo();
  }

  // Every member pays the month's dues on the 15th at the unit value of the 1st;
  // the month's money is one deposit in "Cash".
  void WriteMembersAndDues() {
    TAccountRec cash = *club_->accounts.Find(NameKey(false, "Cash"));
    std::vector<std::int32_t> deposit_ids;
    std::vector<TAccountTranRec> deposits;
    for (int month = 0; month < kMonths; ++month) {
      TAccountTranRec deposit;
      deposit.trandate = DuesDay(month);
      deposit.actid = cash.actid;
      deposit.tranid = AllocateTranId(cash.trancount);
      deposit.amount = kMonthlyDues * kMembers;
      deposit.desc = "Member Contributions";
      deposit.catid = Code(PredefinedCategory::MemberContributions);
      deposit.typ = Code(AccountTranKind::Deposit);
      deposit.updateloc = Code(AccountOrigin::Member);
      deposit.xferact = -1;
      deposit.checknum = -1;
      deposits.push_back(deposit);
      cash.bal += deposit.amount;
      deposit_ids.push_back(deposit.tranid);
    }
    club_->actrecs.PutAll(deposits);
    club_->accounts.Put(cash);

    std::vector<TMemberRec> members;
    std::vector<TMemberTranRec> payments;
    for (int n = 0; n < kMembers; ++n) {
      TMemberRec member;
      member.lname = "Member" + std::to_string(1000 + n);
      member.fname = "Pat";
      member.memid = n + 1;
      for (int month = 0; month < kMonths; ++month) {
        TMemberTranRec tran;
        tran.dues = kMonthlyDues;
        tran.cunit = UnitValueOfMonth(month);
        tran.unitind = month;
        tran.memid = member.memid;
        tran.actid = cash.actid;
        tran.duestran = AllocateTranId(member.duescount);
        tran.tranid = deposit_ids[static_cast<std::size_t>(month)];
        tran.typ = Code(MemberTranKind::Payment);
        tran.trandate = DuesDay(month);
        ledger::ApplyMemberPosting(member, tran, +1);
        payments.push_back(tran);
      }
      members.push_back(member);
    }
    club_->memrecs.PutAll(payments);
    club_->members.PutAll(members);
  }

  fs::path folder_;
  AnsweringInteraction ui_;
  FixedClock clock_;
  std::unique_ptr<ClubSession> club_;
  std::unique_ptr<ledger::MemberLedger> members_;
};

// A unit history of `count` daily records in a store of its own.
class UnitHistory {
 public:
  UnitHistory(int count, const fs::path& folder) {
    fs::create_directories(folder / "work");
    store_.SetTempFolder(folder / "work");
    store_.SetFileName(folder / "clubunit.qdb");
    const DayNumber first = DayNumberFromCivil({1950, 1, 1});
    for (int n = 0; n < count; ++n) {
      TUnitValueRec unit;
      unit.unitval = 10 + n * 0.001;
      unit.date = first + n;
      unit.unitid = n;
      store_.Store(UnitKey(unit.unitid, unit.date), EncodeRecord(unit));
    }
    store_.SaveIndex();
    last_ = first + count - 1;
  }
  Table<TUnitValueRec>& Units() { return units_; }
  DayNumber First() const { return DayNumberFromCivil({1950, 1, 1}); }
  DayNumber Last() const { return last_; }

 private:
  store::TQDB store_;
  Table<TUnitValueRec> units_{store_, UnitValueKey};
  DayNumber last_ = 0;
};

// Random whole dates from a little before `first` to a little after `last`, so
// that the "all later" and "all earlier" ends are searched too.
std::vector<DayNumber> RandomDates(DayNumber first, DayNumber last) {
  std::mt19937 random(20260101);
  std::uniform_int_distribution<int> day(static_cast<int>(first) - 30, static_cast<int>(last) + 30);
  std::vector<DayNumber> dates(kLookupDates);
  for (DayNumber& date : dates) date = day(random);
  return dates;
}

void LookUpUnitValues(benchmark::State& state, Table<TUnitValueRec>& unitfile, const std::vector<DayNumber>& dates) {
  std::size_t next = 0;
  double sum = 0;
  for (auto _ : state) {
    auto unit = UnitValueAt(unitfile, dates[next]);
    if (!unit) {
      state.SkipWithError("no unit record found");
      break;
    }
    sum += unit->unitval;
    next = (next + 1) % dates.size();
  }
  benchmark::DoNotOptimize(sum);
}

// Collects each benchmark's real and CPU time per iteration, in microseconds.
class TimeReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      real_[run.run_name.function_name] = run.GetAdjustedRealTime() / Divisor(run.time_unit);
      cpu_[run.run_name.function_name] = run.GetAdjustedCPUTime() / Divisor(run.time_unit);
    }
  }
  double Microseconds(const std::string& name, bool cpu) const {
    const auto& times = cpu ? cpu_ : real_;
    auto found = times.find(name);
    return found == times.end() ? 0 : found->second;
  }

 private:
  static double Divisor(benchmark::TimeUnit unit) {
    switch (unit) {
      case benchmark::kNanosecond: return 1000;
      case benchmark::kMillisecond: return 0.001;
      case benchmark::kSecond: return 0.000001;
      default: return 1;
    }
  }
  std::map<std::string, double> real_;
  std::map<std::string, double> cpu_;
};

// One table by real time or by CPU time; the difference is mostly the waiting for
// the file system while the stores save their indexes.
void PrintSummary(const TimeReporter& reporter, bool cpu) {
  const auto time = [&](const char* name) { return reporter.Microseconds(name, cpu); };
  const double dues = time("dues_all");
  const double small = time("unit_value_at/240");
  const double large = time("unit_value_at/24000");
  std::printf("\n%-46s %12s %14s\n", cpu ? "per operation (CPU time)" : "per operation (real time)", "value", "goal");
  std::printf("%-46s %9.3f ms %14s\n", "Dues - All, 50 members", dues / 1000, "< 50 ms");
  std::printf("%-46s %9.3f ms %14s\n", "  per member", dues / 1000 / kMembers, "");
  std::printf("%-46s %9.3f ms %14s\n", "ResetMember, 240+ transactions", time("reset_member") / 1000, "");
  const double bare = time("dues_all_unjournaled");
  const double valuation = time("valuation");
  std::printf("%-46s %12.3f %14s\n", "Dues - All with its journal entry / without", bare > 0 ? dues / bare : 0,
              "");
  std::printf("%-46s %9.3f ms %14s\n", "official valuation", valuation / 1000, "");
  std::printf("%-46s %12.3f %14s\n", "undo of the valuation / creating it",
              valuation > 0 ? time("undo_valuation") / valuation : 0, "<= 2");
  std::printf("%-46s %9.3f us %14s\n", "UnitValueAt, 240 unit records", small, "");
  std::printf("%-46s %9.3f us %14s\n", "UnitValueAt, 24 000 unit records", large, "");
  std::printf("%-46s %12.2f %14s\n", "ratio 24 000 / 240 (log: 1.8, linear: 100)", small > 0 ? large / small : 0,
              "O(log n)");
}

}  // namespace
}  // namespace pellmark::bench

int main(int argc, char** argv) {
  using namespace pellmark::bench;
  benchmark::Initialize(&argc, argv);

  const fs::path root = MakeBenchFolder("pellmark-dues-bench");
  int status = 0;
  try {
    DuesClub club(root / "club");
    AlternateRuns alternate;
    UnitHistory large(kLargeHistory, root / "units");
    const std::vector<pellmark::DayNumber> club_dates =
        RandomDates(MonthStart(0), MonthStart(kMonths - 1));
    const std::vector<pellmark::DayNumber> large_dates = RandomDates(large.First(), large.Last());

    benchmark::RegisterBenchmark("dues_all", [&club](benchmark::State& state) {
      for (auto _ : state) {
        if (!club.DuesAll()) state.SkipWithError("a member was not asked");
      }
    })->Iterations(20)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("dues_all_unjournaled", [&club](benchmark::State& state) {
      for (auto _ : state) {
        if (!club.DuesAllWithoutJournal()) state.SkipWithError("a member was not asked");
      }
    })->Iterations(20)->Unit(benchmark::kMillisecond);
    // Runs with and without their entry in turns, so that a busy moment weighs on both alike.
    benchmark::RegisterBenchmark("dues_all_alternately", [&club, &alternate](benchmark::State& state) {
      alternate = {};
      bool journaled_first = true;
      for (auto _ : state) {
        for (const bool journaled : {journaled_first, !journaled_first}) {
          const double start = ThreadCpuSeconds();
          const bool asked = journaled ? club.DuesAll() : club.DuesAllWithoutJournal();
          (journaled ? alternate.journaled : alternate.bare) += ThreadCpuSeconds() - start;
          if (!asked) state.SkipWithError("a member was not asked");
        }
        journaled_first = !journaled_first;
      }
    })->Iterations(20)->Unit(benchmark::kMillisecond);
    // Each valuation is undone before the next, each undo follows its valuation: the same date every time.
    // The timers stop for the other of the two, so that both the real and the CPU time are the one measured.
    benchmark::RegisterBenchmark("valuation", [&club](benchmark::State& state) {
      for (auto _ : state) {
        const bool created = club.Valuation();
        state.PauseTiming();
        if (!created || !club.UndoNewest()) state.SkipWithError("the valuation or its undo failed");
        state.ResumeTiming();
      }
    })->Iterations(20)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("undo_valuation", [&club](benchmark::State& state) {
      for (auto _ : state) {
        state.PauseTiming();
        if (!club.Valuation()) state.SkipWithError("the valuation failed");
        state.ResumeTiming();
        if (!club.UndoNewest()) state.SkipWithError("the undo was refused");
      }
    })->Iterations(20)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("reset_member", [&club](benchmark::State& state) {
      for (auto _ : state) {
        if (!club.ResetMember()) state.SkipWithError("the member was not reset");
      }
    })->Iterations(50)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("unit_value_at/240", [&](benchmark::State& state) {
      LookUpUnitValues(state, club.UnitFile(), club_dates);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("unit_value_at/24000", [&](benchmark::State& state) {
      LookUpUnitValues(state, large.Units(), large_dates);
    })->Unit(benchmark::kMicrosecond);

    TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter, /*cpu=*/false);
    PrintSummary(reporter, /*cpu=*/true);
    std::printf("%-46s %12.3f %14s\n", "Dues - All with / without, run alternately (CPU)",
                alternate.bare > 0 ? alternate.journaled / alternate.bare : 0, "<= 1.2");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "dues_bench: %s\n", error.what());
    status = 1;
  }
  fs::remove_all(root);
  benchmark::Shutdown();
  return status;
}
