#include "cli/demo_club.h"
#include "forms/club_setup_form.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <functional>
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
  // A member paid off leaves; a security sold off stays listed (it is bought again).
  bool ConfirmAfterwards(std::string_view text) override { return text.starts_with("Do you want to hide member"); }
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

ledger::MemberEntry DemoMemberFields(int index) {
  ledger::MemberEntry member;
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

// Securities with a price on the first of each month, `price(demo, i)` in month `i`.
template <class Securities, class Price>
void AddDemoSecurities(Books& books, const Securities& securities, CivilDate first, int months, DayNumber today,
                       Price price) {
  for (const DemoSecurity& demo : securities) {
    Require(books.Securities().CommitSecurity(std::nullopt, {demo.name, demo.symbol}));
    for (int i = 0; i < months; ++i) {
      const DayNumber date = DayNumberFromCivil(MonthAfter(first, i));
      if (date <= today) Require(books.Prices().EnterPrice(demo.name, price(demo, i), date));
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

// A club of more than a year grows into a portfolio: these ten more are bought
// in turn with what the broker holds each quarter, Ion Semiconductors is bought
// early in each year of the club and sold late in it, and some pay dividends (two
// reinvested). Crane Rail splits two for one half way; half of Bolt Energy is
// sold at a loss two years before today.
constexpr DemoSecurity kGrownSecurities[] = {
    {"Delta Software", "DSW", 18.00, 0.125},      {"Echo Health", "ECH", 42.50, 0.0625},
    {"Fjord Shipping", "FJS", 15.25, 0.03125},    {"Granite Bank", "GRB", 30.00, 0.09375},
    {"Harbor Utilities", "HBU", 22.75, 0.046875}, {"Juniper Foods", "JNP", 27.00, 0.0625},
    {"Keystone Insurance", "KEY", 35.50, 0.078125}, {"Lumen Retail", "LMR", 46.00, -0.0625},
    {"Mesa Water", "MSW", 12.50, 0.03125},        {"Ion Semiconductors", "ION", 9.50, 0.15625},
};
constexpr const char* kTradedSecurity = "Ion Semiconductors";
constexpr const char* kSplitSecurity = "Crane Rail";  // held from the first year
constexpr const char* kDecliningSecurity = "Bolt Energy";  // held from the first year
constexpr const char* kCashDividends[] = {"Echo Health", "Granite Bank", "Harbor Utilities", "Keystone Insurance",
                                          "Mesa Water"};
constexpr const char* kReinvestedDividends[] = {"Fjord Shipping", "Juniper Foods"};
// Bought in turn, one a quarter.
constexpr const char* kRotation[] = {"Acme Tools",   "Crane Rail",       "Delta Software", "Echo Health",
                                     "Fjord Shipping", "Granite Bank",   "Harbor Utilities", "Juniper Foods",
                                     "Keystone Insurance", "Lumen Retail", "Mesa Water"};
// Members who leave and are paid off: by index among the members, in which year
// of the club and month of that year.
struct DemoPayoff {
  int member, year, month;
};
constexpr DemoPayoff kPayoffs[] = {{6, 3, 6}, {11, 7, 2}};
// Broker cash kept back from the quarter's purchase, at least, and the share of
// the club's assets held in cash; the bank keeps a cushion for its charges,
// checks and payoffs.
constexpr double kBrokerReserve = 250;
constexpr double kCashShare = 0.1;
constexpr double kBankCushion = 1500;
constexpr double kCommission = 7.95;

// Enters an account transaction of the demo: account, kind, date, amount, description.
using AccountEntryFn = std::function<void(std::string_view, EntryMode, DayNumber, std::string, std::string)>;

double Cents(double amount) { return std::floor(amount * 100 + 0.5) / 100; }

const DemoSecurity& GrownSecurity(std::string_view name) {
  return *std::find_if(std::begin(kGrownSecurities), std::end(kGrownSecurities),
                       [name](const DemoSecurity& demo) { return demo.name == name; });
}

// The trades, dividends, split and payoffs of a club of more than a year, month
// by month, each dated before the month's closing valuation.
class GrownHistory {
 public:
  GrownHistory(Books& books, const DemoOptions& options, TradeFigures& typed, DayNumber today)
      : books_(books), options_(options), typed_(typed), today_(today), split_month_(12 * (options.years / 2) + 4) {}

  // The price on the 1st of month `i`, or on a later day of it: after the
  // split, its security is priced at half.
  double Price(const DemoSecurity& demo, int i, int day = 1) const {
    const bool split = demo.name == std::string_view(kSplitSecurity) && Splits() &&
                       (i > split_month_ || (i == split_month_ && day > kSplitDay));
    return DemoPrice(demo, i) / (split ? 2 : 1);
  }

  // The month's quarter-end transfer to the broker: what the bank holds above its cushion.
  std::string Transfer(const std::string& quarterly) const {
    const double above = books_.Accounts().Find("Bank")->bal - kBankCushion;
    const double tens = std::floor(above / 10) * 10;
    return tens > 0 ? fmt::format("{:.2f}", tens) : quarterly;
  }

  // Before the quarter's transfer (on the 25th): the split, the payoffs, the
  // dividends, and the sales of the month.
  void EarlyInMonth(int i, CivilDate month, const std::map<int, std::string>& member_names) {
    const int year = i / 12, of_year = i % 12;
    if (Splits() && i == split_month_ && Day(month, kSplitDay) <= today_ &&
        books_.Securities().Find(kSplitSecurity)->sharest > 0) {
      Require(books_.Changes().Enter(kSplitSecurity, ledger::CorporateChange::Split, Day(month, kSplitDay)));
    }
    for (const DemoPayoff& payoff : kPayoffs) {
      if (payoff.year != year || payoff.month != of_year) continue;
      const auto name = member_names.find(payoff.member);
      if (name == member_names.end() || Day(month, 10) > today_) continue;
      Require(books_.Members().Collect(ledger::MemberAction::Payoff, name->second, Day(month, 10)));
      ++payoff_checks_;
    }
    if (of_year == 1) Buy(kTradedSecurity, i, month, 8, 1500);
    if (i % 3 == 1) {
      for (const char* name : kCashDividends) Dividend(name, ledger::StockEntry::Dividends, i, month);
      for (const char* name : kReinvestedDividends) Dividend(name, ledger::StockEntry::Reinvestment, i, month);
    }
    // Each August a quarter of the largest holding is sold: long-term lots first.
    if (of_year == 7 && year >= 2) {
      const TSecurityRec* largest = nullptr;
      const std::vector<TSecurityRec> held = books_.Securities().List(true);
      for (const TSecurityRec& security : held) {
        if (largest == nullptr || security.sharest * security.pricec > largest->sharest * largest->pricec) largest = &security;
      }
      if (largest != nullptr && largest->sharest >= 4) Sell(largest->name, std::floor(largest->sharest / 4), i, month, 12);
    }
    // Two years before today half the declining holding goes, at a loss.
    if (options_.years >= 4 && year == options_.years - 2 && of_year == 4) {
      const double shares = books_.Securities().Find(kDecliningSecurity)->sharest;
      if (shares >= 2) Sell(kDecliningSecurity, std::floor(shares / 2), i, month, 12);
    }
    if (of_year == 10) {
      const double shares = books_.Securities().Find(kTradedSecurity)->sharest;
      if (shares > 0) Sell(kTradedSecurity, shares, i, month, 6);
    }
  }

  // After the quarter's transfer: what the broker holds above its reserve buys
  // the next security in turn; at the month's end the broker's cash earns interest.
  // The payoffs' checks, which take the bank's next numbers.
  int PayoffChecks() const { return payoff_checks_; }

  void LateInMonth(int i, CivilDate month, bool quarter_end, AccountEntryFn enter) {
    if (quarter_end) {
      // A tenth of the club's assets stays in cash, the bank's cushion counted.
      double assets = 0;
      for (const TAccountRec& account : books_.Accounts().List(true)) assets += account.bal;
      for (const TSecurityRec& security : books_.Securities().List(true)) assets += security.sharest * security.pricec;
      const double bank = books_.Accounts().Find("Bank")->bal;
      const double reserve = std::max(kBrokerReserve, kCashShare * assets - bank);
      const double cash = books_.Accounts().Find("Broker")->bal - reserve - kCommission;
      // The turn passes only with a purchase, so that a small club buys each in its turn too.
      if (Buy(kRotation[rotation_ % std::size(kRotation)], i, month, 27, cash)) ++rotation_;
    }
    const double broker = books_.Accounts().Find("Broker")->bal;
    const double interest = Cents(broker * 0.0015);
    if (interest >= 0.01) {
      enter("Broker", EntryMode::Interest, Day(month, DaysInMonth(month.year, month.month)),
            fmt::format("{:.2f}", interest), "Money market interest");
    }
  }

 private:
  static constexpr int kSplitDay = 5;

  bool Splits() const { return options_.years >= 4; }

  static DayNumber Day(CivilDate month, int day) { return DayNumberFromCivil({month.year, month.month, day}); }

  const DemoSecurity& Demo(std::string_view name) const {
    for (const DemoSecurity& demo : kSecurities) {
      if (demo.name == name) return demo;
    }
    return GrownSecurity(name);
  }

  void Enter(std::string_view name, ledger::StockEntry entry, DayNumber date, double amount, double price) {
    if (date > today_) return;
    const bool brokered = entry == ledger::StockEntry::Buy || entry == ledger::StockEntry::Sell;
    typed_ = {fmt::format("{:.2f}", amount), fmt::format("{:.4f}", price), brokered ? fmt::format("{:.2f}", kCommission) : "0.00"};
    Require(books_.Trades().Enter(name, entry, date));
  }

  // Whole shares for up to `budget`.
  bool Buy(std::string_view name, int i, CivilDate month, int day, double budget) {
    const double price = Price(Demo(name), i, day);
    const double shares = std::floor(budget / price);
    if (shares < 1 || Day(month, day) > today_) return false;
    Enter(name, ledger::StockEntry::Buy, Day(month, day), shares * price, price);
    return true;
  }

  void Sell(std::string_view name, double shares, int i, CivilDate month, int day) {
    const double price = Price(Demo(name), i, day);
    Enter(name, ledger::StockEntry::Sell, Day(month, day), Cents(shares * price), price);
  }

  // A quarter's dividend of 0.6% of the holding's value.
  void Dividend(std::string_view name, ledger::StockEntry entry, int i, CivilDate month) {
    const double shares = books_.Securities().Find(name)->sharest;
    const double price = Price(Demo(name), i, 15);
    const double amount = Cents(shares * price * 0.006);
    if (amount >= 0.01) Enter(name, entry, Day(month, 15), amount, price);
  }

  Books& books_;
  const DemoOptions& options_;
  TradeFigures& typed_;
  DayNumber today_;
  int split_month_;
  std::size_t rotation_ = 0;
  int payoff_checks_ = 0;
};

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
    if (request.mode == EntryMode::Split) {  // two for one
      form.amount.text = "2";
      form.price.text = "1";
      return;
    }
    if (request.mode == EntryMode::MemberPayoff) {  // all of it, at the valuation before, by check
      const auto& valuations = request.payoff_valuations;
      const auto at = std::find_if(valuations.begin(), valuations.end(), [&](const PayoffValuation& valuation) {
        return valuation.unit.date <= request.member_tran.trandate;
      });
      if (at == valuations.end()) return;
      form.allunits.selected = static_cast<int>(at - valuations.begin());
      form.amount.text = fmt::format("{:.2f}", std::floor(at->maximum * 100 + 1e-6) / 100);
      form.price.text = "0.00";
      form.tax.checked = true;
      dialog.taxClick();
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
  Require(accounts.CommitAccount(std::nullopt, {"Bank", "0072-558190", 0.00}));
  Require(accounts.CommitAccount(std::nullopt, {"Broker", "4417-2093", 0.00}));
  Require(accounts.SetDefaultMember("Bank", true));
  Require(accounts.SetDefaultSecurity("Broker", true));
  ledger::MemberLedger& members = books.Members();
  std::map<int, std::string> member_names;
  for (int i = 0; i < options.members; ++i) {
    const ledger::MemberEntry member = DemoMemberFields(i);
    Require(members.CommitMember(std::nullopt, member));
    auto stored = members.Find(ledger::ListingName(member));
    dues[stored->memid] = DemoDues(i);
    member_names[i] = MemberName(*stored);
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
  GrownHistory grown(books, options, trade, clock.Today());
  const bool grows = options.years > 1;
  const auto price = [&](const DemoSecurity& demo, int i) { return grows ? grown.Price(demo, i) : DemoPrice(demo, i); };
  AddDemoSecurities(books, kSecurities, first, months, clock.Today(), price);
  if (grows) AddDemoSecurities(books, kGrownSecurities, first, months, clock.Today(), price);
  AddDemoTrades(books, first, months, clock.Today(), trade);
  CivilDate month = first;
  for (int i = 0; i < months; ++i) {
    Require(members.Collect(ledger::MemberAction::DuesAll, std::nullopt, DayNumberFromCivil(month)));
    enter("Bank", EntryMode::ServiceCharge, DayNumberFromCivil({month.year, month.month, 15}),
          {"2.50", "Monthly service charge"});
    enter("Bank", EntryMode::Interest, DayNumberFromCivil({month.year, month.month, DaysInMonth(month.year, month.month)}),
          {"1.25", "Interest"});
    if (grows) grown.EarlyInMonth(i, month, member_names);
    if (i % 3 == 2) {
      enter("Bank", EntryMode::Check, DayNumberFromCivil({month.year, month.month, 20}),
            {"45.00", "Post office box rent", "Operating Expenses", "", std::to_string(1001 + i / 3 + grown.PayoffChecks())});
      enter("Bank", EntryMode::Transfer, DayNumberFromCivil({month.year, month.month, 25}),
            {grows ? grown.Transfer(transfer) : transfer, "Savings to the broker", "", "Broker"});
    }
    if (grows) {
      grown.LateInMonth(i, month, i % 3 == 2,
                        [&](std::string_view account, EntryMode kind, DayNumber date, std::string amount, std::string desc) {
                          enter(account, kind, date, {std::move(amount), std::move(desc)});
                        });
    }
    // Each month ends with an official valuation (this one today), so that each
    // month's dues buy units at the value of the month before.
    const DayNumber month_end = DayNumberFromCivil({month.year, month.month, DaysInMonth(month.year, month.month)});
    Require(books.CreateValuation(std::min(month_end, clock.Today()), true).outcome);
    month = month.month == 12 ? CivilDate{month.year + 1, 1, 1} : CivilDate{month.year, month.month + 1, 1};
  }
  Require(accounts.Reconcile("Bank"));
  club.Close();
}

}  // namespace pellmark::cli
