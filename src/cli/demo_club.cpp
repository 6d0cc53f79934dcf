#include "cli/demo_club.h"
#include "forms/club_setup_form.h"

#include <fmt/format.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "books/books.h"
#include "cli/cli_context.h"
#include "cli/dialog_answers.h"
#include "cli/open_club.h"
#include "club/number_parse.h"

namespace pellmark::cli {
namespace {

// Answers every question Yes, but sells lots oldest first, and keeps the
// notices to itself, so writing the demo prints nothing but a refusal.
class DemoAnswers : public DialogAnswers {
 public:
  using DialogAnswers::DialogAnswers;
  void ShowInformation(std::string_view) override {}
  bool Confirm(std::string_view text, bool) override { return text != "Select Shares to Sell?"; }
  bool ConfirmAfterwards(std::string_view) override { return true; }
};

struct DemoMember {
  const char* last;
  const char* first;
  const char* group;
  const char* city;
  const char* email;
  const char* dues;
};

constexpr DemoMember kMembers[] = {
    {"Smith", "Ann", nullptr, "Springfield", "ann.smith@example.com", "50.00"},
    {"Jones", "Bob", nullptr, "Springfield", "bob.jones@example.com", "25.00"},
    {"Garcia", "Maria", nullptr, "Chatham", "maria.garcia@example.com", "40.00"},
    {"Chen", "Wei", nullptr, "Rochester", "wei.chen@example.com", "30.00"},
    {nullptr, nullptr, "Elm Street Family Trust", "Springfield", "trust@example.com", "100.00"},
};

// Names and dues of the members past the first five.
constexpr const char* kLastNames[] = {"Brown", "Miller", "Davis", "Wilson", "Moore", "Taylor", "Anderson",
                                      "Thomas", "Jackson", "White", "Harris", "Martin", "Thompson"};
constexpr const char* kFirstNames[] = {"James", "Mary", "John", "Linda", "Robert", "Susan", "David", "Karen"};
constexpr const char* kMoreDues[] = {"20.00", "25.00", "30.00", "50.00"};

ledger::MemberFields DemoMemberFields(int index) {
  ledger::MemberFields member;
  member.addr = "12 Elm Street";
  member.state = "IL";
  member.zip = "62701";
  if (index < static_cast<int>(std::size(kMembers))) {
    const DemoMember& demo = kMembers[index];
    member.group = demo.group != nullptr;
    if (member.group) {
      member.name = demo.group;
    } else {
      member.lname = demo.last;
      member.fname = demo.first;
    }
    member.city = demo.city;
    member.email = demo.email;
    return member;
  }
  const int more = index - static_cast<int>(std::size(kMembers));
  member.lname = kLastNames[more % std::size(kLastNames)];
  member.fname = kFirstNames[(more / std::size(kLastNames)) % std::size(kFirstNames)];
  if (more >= static_cast<int>(std::size(kLastNames) * std::size(kFirstNames))) {
    member.fname += " " + std::to_string(more);  // keeps the names unique past the lists
  }
  member.city = "Springfield";
  return member;
}

std::string DemoDues(int index) {
  if (index < static_cast<int>(std::size(kMembers))) return kMembers[index].dues;
  return kMoreDues[index % std::size(kMoreDues)];
}

void Require(bool done) {
  if (!done) throw CommandRefused("demo refused");
}

void Require(const Outcome& outcome) { Require(outcome.IsDone()); }

struct DemoSecurity {
  const char* name;
  const char* symbol;
  double first_price;
  double monthly_step;
};

// The last one was sold off long ago and is hidden.
constexpr DemoSecurity kSecurities[] = {
    {"Acme Tools", "ACME", 24.50, 0.375},
    {"Bolt Energy", "BOLT", 61.25, -0.5},
    {"Crane Rail", "CRN", 12.125, 0.125},
    {"Old Mill Foods", "OMF", 8.75, -0.25},
};

// The price of month `i` of the demo: a steady trend in eighths of a dollar, wavering.
double DemoPrice(const DemoSecurity& demo, int i) {
  const double wave = (i % 4 == 1 ? 0.625 : 0) - (i % 4 == 3 ? 0.375 : 0);
  return std::max(0.125, demo.first_price + demo.monthly_step * i + wave);
}

CivilDate MonthAfter(CivilDate month, int count) {
  for (int i = 0; i < count; ++i) {
    month = month.month == 12 ? CivilDate{month.year + 1, 1, 1} : CivilDate{month.year, month.month + 1, 1};
  }
  return month;
}

// Four securities with a price on the first of each month.
void AddDemoSecurities(Books& books, CivilDate first, int months, DayNumber today) {
  for (const DemoSecurity& demo : kSecurities) {
    Require(books.Securities().CommitSecurity(std::nullopt, {demo.name, demo.symbol}));
    for (int i = 0; i < months; ++i) {
      const DayNumber date = DayNumberFromCivil(MonthAfter(first, i));
      if (date <= today) Require(books.Prices().EnterPrice(demo.name, DemoPrice(demo, i), date));
    }
  }
}

// One trade of the demo: in month `month` of the years shown, on `day`, of
// `shares` (or `amount` for a dividend) at that month's price.
struct DemoTrade {
  int month;
  int day;
  int security;  // into kSecurities
  ledger::StockEntry entry;
  double shares;
  double amount;
};

// Two purchases of Acme Tools sold in part over both lots, Old Mill Foods
// bought and sold off (and hidden), a dividend of Bolt Energy and a
// reinvestment in Crane Rail. Nothing is dated after today.
constexpr DemoTrade kTrades[] = {
    {2, 26, 3, ledger::StockEntry::Buy, 30, 0},         {2, 27, 0, ledger::StockEntry::Buy, 10, 0},
    {5, 26, 0, ledger::StockEntry::Buy, 10, 0},         {5, 27, 1, ledger::StockEntry::Buy, 4, 0},
    {6, 10, 3, ledger::StockEntry::Sell, 30, 0},        {7, 26, 2, ledger::StockEntry::Buy, 20, 0},
    {8, 28, 1, ledger::StockEntry::Dividends, 0, 4.80}, {9, 28, 2, ledger::StockEntry::Reinvestment, 0.6, 0},
    {10, 20, 0, ledger::StockEntry::Sell, 15, 0},
};

struct TradeFigures {
  std::string amount, price, comm;
};

void AddDemoTrades(Books& books, CivilDate first, int months, DayNumber today, TradeFigures& typed) {
  for (const DemoTrade& trade : kTrades) {
    const CivilDate month = MonthAfter(first, trade.month);
    const DayNumber date = DayNumberFromCivil({month.year, month.month, trade.day});
    if (trade.month >= months || date > today) continue;
    const DemoSecurity& demo = kSecurities[trade.security];
    const double price = DemoPrice(demo, trade.month);
    const double amount = trade.amount > 0 ? trade.amount : trade.shares * price;
    const bool brokered = trade.entry == ledger::StockEntry::Buy || trade.entry == ledger::StockEntry::Sell;
    typed = {fmt::format("{:.2f}", amount), fmt::format("{:.4f}", price), brokered ? "7.95" : "0.00"};
    Require(books.Trades().Enter(demo.name, trade.entry, date));
  }
  // Whatever the years shown, the security sold off long ago is hidden.
  const std::string sold_off = kSecurities[std::size(kSecurities) - 1].name;
  if (books.Securities().Find(sold_off)->active) Require(books.Securities().Hide(sold_off));
}

}  // namespace

void WriteDemoClub(const DemoOptions& options, const Clock& clock, Interaction& errors) {
  const std::filesystem::path& folder = options.folder;
  std::map<std::int32_t, std::string> dues;
  struct AccountEntry {
    std::string amount, desc, category, target, number;
  } entry;
  TradeFigures trade;
  DemoAnswers ui(errors, [&](EntryDialog& dialog) {
    const auto& request = dialog.Request();
    EntryForm& form = dialog.Form();
    if (IsSecurityMode(request.mode)) {
      form.amount.text = trade.amount;
      form.price.text = trade.price;
      form.commission.text = trade.comm;
      return;
    }
    if (IsMemberMode(request.mode)) {
      auto amount = dues.find(request.member_tran.memid);
      form.amount.text = amount == dues.end() ? "" : amount->second;
      return;
    }
    if (request.from_reconciliation) {  // the bank statement covers all but the last two months
      form.cleared.checked = request.account_tran.trandate <= clock.Today() - 60;
      return;
    }
    form.amount.text = entry.amount;
    form.desc.text = entry.desc;
    if (!entry.number.empty()) form.price.text = entry.number;
    const std::string& listed = entry.category.empty() ? entry.target : entry.category;
    if (!listed.empty()) SelectListItem(errors, form.accountbox, listed, "Demo entry");
  });

  std::filesystem::create_directories(folder);
  const CivilDate today = CivilFromDayNumber(clock.Today());
  // A collection on the first of each month, the last one this month.
  const int months = 12 * options.years;
  CivilDate first{today.year, today.month, 1};
  for (int i = 0; i < months - 1; ++i) first = first.month == 1 ? CivilDate{first.year - 1, 12, 1} : CivilDate{first.year, first.month - 1, 1};

  Books books(folder, ui, clock);
  books.Open();
  RefuseIfSetUp(books, errors);
  ClubSession& club = books.Club();
  ClubInfoFields fields = ClubSetupFields(club);
  fields.club = "Elm Street Investors";
  fields.addr = "12 Elm Street, Springfield, IL 62701";
  fields.idnum = "36-1234567";
  fields.year = std::to_string(first.year);
  fields.startunit = "10.00";
  Require(CommitClubSetup(club, fields));

  ledger::AccountLedger& accounts = books.Accounts();
  Require(accounts.CommitAccount(std::nullopt, {"Bank", "0072-558190", "0.00"}));
  Require(accounts.CommitAccount(std::nullopt, {"Broker", "4417-2093", "0.00"}));
  Require(accounts.SetDefaultMember("Bank", true));
  Require(accounts.SetDefaultSecurity("Broker", true));
  ledger::MemberLedger& members = books.Members();
  for (int i = 0; i < options.members; ++i) {
    const ledger::MemberFields member = DemoMemberFields(i);
    Require(members.CommitMember(std::nullopt, member));
    auto stored = members.Find(ledger::ListingName(member));
    dues[stored->memid] = DemoDues(i);
  }

  // Each month: the dues collection on the 1st, the bank's charge on the 15th and
  // its interest at the month's end; each quarter a check for the post office box
  // and a transfer of the savings to the broker (the quarter's dues less a
  // fifth for the bank, in tens of dollars). Nothing is dated after today.
  double monthly_dues = 0;
  for (const auto& [memid, amount] : dues) monthly_dues += ParseNumber(amount).value_or(0);
  const std::string transfer = std::to_string(static_cast<int>(monthly_dues * 3 * 0.82 / 10) * 10) + ".00";
  auto enter = [&](std::string_view account, EntryMode kind, DayNumber date, AccountEntry what) {
    if (date > clock.Today()) return;
    entry = std::move(what);
    Require(accounts.EnterTransaction(account, kind, date));
  };
  // The securities, their prices and trades come first, so that every
  // valuation below counts the positions held on its date.
  AddDemoSecurities(books, first, months, clock.Today());
  AddDemoTrades(books, first, months, clock.Today(), trade);
  CivilDate month = first;
  for (int i = 0; i < months; ++i) {
    Require(members.Collect(ledger::MemberAction::DuesAll, std::nullopt, DayNumberFromCivil(month)));
    enter("Bank", EntryMode::ServiceCharge, DayNumberFromCivil({month.year, month.month, 15}),
          {"2.50", "Monthly service charge"});
    enter("Bank", EntryMode::Interest, DayNumberFromCivil({month.year, month.month, DaysInMonth(month.year, month.month)}),
          {"1.25", "Interest"});
    if (i % 3 == 2) {
      enter("Bank", EntryMode::Check, DayNumberFromCivil({month.year, month.month, 20}),
            {"45.00", "Post office box rent", "Operating Expenses", "", std::to_string(1001 + i / 3)});
      enter("Bank", EntryMode::Transfer, DayNumberFromCivil({month.year, month.month, 25}),
            {transfer, "Savings to the broker", "", "Broker"});
    }
    // The last twelve months end with an official valuation (this one today),
    // so that each month's dues buy units at the value of the month before.
    if (i >= months - 12) {
      const DayNumber month_end = DayNumberFromCivil({month.year, month.month, DaysInMonth(month.year, month.month)});
      Require(books.CreateValuation(std::min(month_end, clock.Today()), true).outcome);
    }
    month = month.month == 12 ? CivilDate{month.year + 1, 1, 1} : CivilDate{month.year, month.month + 1, 1};
  }
  Require(accounts.Reconcile("Bank"));
  club.Close();
}

}  // namespace pellmark::cli
