#include "club/journal_labels.h"

#include <fmt/format.h>

#include <cmath>
#include <ctime>
#include <map>
#include <set>

#include "club/dates.h"
#include "club/keys.h"
#include "club/money.h"
#include "club/number_format.h"
#include "club/record_kinds.h"
#include "club/record_layout.h"
#include "club/records.h"

namespace pellmark {
namespace {

// The stores by their place in kClubStoreFiles.
enum StoreIndex : std::uint8_t {
  kMembers = 0,
  kMemberTrans = 1,
  kSecurities = 2,
  kSecurityTrans = 3,
  kPrices = 4,
  kAccounts = 5,
  kAccountTrans = 6,
  kCategories = 7,
  kUnits = 8,
};

template <class Record>
std::optional<Record> Decoded(const std::optional<store::StoredItem>& item) {
  if (!item || item->data.size() != Record::kSize) return std::nullopt;
  return DecodeRecord<Record>(item->data);
}

// What happened to the items of one store: added, removed or changed.
struct StoreMoves {
  std::vector<const StoreItemChange*> added, removed, changed;
};

class Changes {
 public:
  explicit Changes(const JournalEntry& entry) {
    for (const StoreItemChange& item : entry.items) {
      StoreMoves& moves = stores_[item.store];
      if (!item.before) {
        moves.added.push_back(&item);
      } else if (!item.after) {
        moves.removed.push_back(&item);
      } else {
        moves.changed.push_back(&item);
      }
    }
  }
  const StoreMoves& Of(std::uint8_t store) const {
    static const StoreMoves kNone;
    const auto found = stores_.find(store);
    return found == stores_.end() ? kNone : found->second;
  }
  std::string Member(std::int32_t id) const {
    return NameOf<TMemberRec>(kMembers, id, &TMemberRec::memid, "member", [](const TMemberRec& member) {
      return MemberName(member);
    });
  }
  std::string Account(std::int32_t id) const {
    return NameOf<TAccountRec>(kAccounts, id, &TAccountRec::actid, "account",
                               [](const TAccountRec& account) { return account.name; });
  }
  std::string Security(std::int32_t id) const {
    return NameOf<TSecurityRec>(kSecurities, id, &TSecurityRec::stkid, "security",
                                [](const TSecurityRec& security) { return security.name; });
  }

 private:
  // The name of a master the entry holds, decoded only when a label asks
  // for it: a dues run holds every member's record and names none.
  template <class Record, class Naming>
  std::string NameOf(std::uint8_t store, std::int32_t id, std::int32_t Record::*id_field, const char* what,
                     Naming naming) const {
    const StoreMoves& moves = Of(store);
    for (const auto* list : {&moves.added, &moves.changed, &moves.removed}) {
      for (const StoreItemChange* item : *list) {
        for (const std::optional<store::StoredItem>* image : {&item->after, &item->before}) {
          if (const auto record = Decoded<Record>(*image); record && (*record).*id_field == id) return naming(*record);
        }
      }
    }
    return fmt::format("{} {}", what, id);
  }

  std::map<std::uint8_t, StoreMoves> stores_;
};

const StoreItemChange* First(const StoreMoves& moves) {
  if (!moves.added.empty()) return moves.added.front();
  if (!moves.removed.empty()) return moves.removed.front();
  if (!moves.changed.empty()) return moves.changed.front();
  return nullptr;
}

// "Add", "Delete" or "Change" as the item went.
const char* Verb(const StoreItemChange& item) {
  if (!item.before) return "";
  if (!item.after) return "Delete ";
  return "Change ";
}

std::optional<std::string> DescribeMemberTransactions(const Changes& changes) {
  const StoreMoves& moves = changes.Of(kMemberTrans);
  if (moves.added.size() > 1) {
    std::set<std::int32_t> members;
    double total = 0;
    bool dues = true;
    for (const StoreItemChange* item : moves.added) {
      const auto tran = Decoded<TMemberTranRec>(item->after);
      if (!tran) continue;
      members.insert(tran->memid);
      total += tran->dues;
      dues = dues && KindOf(*tran) == MemberTranKind::Payment;
    }
    if (dues && members.size() > 1) {
      return fmt::format("Dues - All: {} members, {}", members.size(), FormatMoney(total));
    }
  }
  const StoreItemChange* item = First(moves);
  if (item == nullptr) return std::nullopt;
  const auto tran = Decoded<TMemberTranRec>(item->after ? item->after : item->before);
  if (!tran) return std::nullopt;
  const char* kind = "Member transaction";
  switch (KindOf(*tran)) {
    case MemberTranKind::Payment: kind = "Dues"; break;
    case MemberTranKind::Payout: kind = "Payoff"; break;
    case MemberTranKind::NuPayment: kind = "Total Dues"; break;
    case MemberTranKind::NuEarnings: kind = "Total Earnings"; break;
    case MemberTranKind::Earnings: kind = "Earnings"; break;
    case MemberTranKind::Fee: kind = "Fee"; break;
  }
  return fmt::format("{}{}: {} {}", Verb(*item), kind, changes.Member(tran->memid), FormatMoney(std::abs(tran->dues)));
}

std::optional<std::string> DescribeSecurityTransactions(const Changes& changes) {
  const StoreItemChange* item = First(changes.Of(kSecurityTrans));
  if (item == nullptr) return std::nullopt;
  const auto tran = Decoded<TSecurityTranRec>(item->after ? item->after : item->before);
  if (!tran) return std::nullopt;
  const std::string security = changes.Security(tran->stkid);
  const std::string amount = FormatMoney(tran->amount);
  std::string what;
  switch (KindOf(*tran)) {
    case SecurityTranKind::Purchase: what = fmt::format("Purchase of {} for {}", security, amount); break;
    case SecurityTranKind::Sale: what = fmt::format("Sale of {} for {}", security, amount); break;
    case SecurityTranKind::Dividend: what = fmt::format("Dividend {} from {}", amount, security); break;
    case SecurityTranKind::Reinvestment: what = fmt::format("Reinvestment {} in {}", amount, security); break;
    case SecurityTranKind::CapitalReduction: what = fmt::format("Capital reduction {} of {}", amount, security); break;
    case SecurityTranKind::CapitalGain: what = fmt::format("Capital gain {} from {}", amount, security); break;
    case SecurityTranKind::Clear: what = fmt::format("Clear of {}", security); break;
    case SecurityTranKind::Split: what = fmt::format("Split of {}", security); break;
    case SecurityTranKind::BasisChange: what = fmt::format("Basis change of {}", security); break;
    case SecurityTranKind::ForeignTax: what = fmt::format("Foreign tax {} on {}", amount, security); break;
    default: what = fmt::format("Transaction of {}", security); break;
  }
  const std::string verb = Verb(*item);
  if (!verb.empty()) what[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(what[0])));
  return fmt::format("{}{} on {}", verb, what, FormatDate(tran->trandate));
}

std::optional<std::string> DescribeAccountTransactions(const Changes& changes) {
  const StoreMoves& moves = changes.Of(kAccountTrans);
  const StoreItemChange* item = First(moves);
  if (item == nullptr) return std::nullopt;
  const auto tran = Decoded<TAccountTranRec>(item->after ? item->after : item->before);
  if (!tran) return std::nullopt;
  const std::string amount = FormatMoney(tran->amount);
  const std::string account = changes.Account(tran->actid);
  std::string what;
  switch (KindOf(*tran)) {
    case AccountTranKind::Check: what = fmt::format("Check {} from {}", amount, account); break;
    case AccountTranKind::Deposit: what = fmt::format("Deposit {} to {}", amount, account); break;
    case AccountTranKind::Withdrawal: what = fmt::format("Withdrawal {} from {}", amount, account); break;
    case AccountTranKind::BankCharge: what = fmt::format("Bank charge {} to {}", amount, account); break;
    case AccountTranKind::Interest: what = fmt::format("Interest {} to {}", amount, account); break;
    case AccountTranKind::TransferOut:
    case AccountTranKind::TransferIn:
      what = fmt::format("Transfer {} between {} and {}", amount, account, changes.Account(tran->xferact));
      break;
    default: what = fmt::format("Transaction of {}", account); break;
  }
  const std::string verb = Verb(*item);
  if (!verb.empty()) what[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(what[0])));
  return verb + what;
}

std::optional<std::string> DescribeUnits(const Changes& changes) {
  const StoreMoves& moves = changes.Of(kUnits);
  if (moves.added.size() == 1 && moves.changed.empty() && moves.removed.empty()) {
    if (const auto unit = Decoded<TUnitValueRec>(moves.added.front()->after)) {
      return "Official valuation " + FormatDate(unit->date);
    }
  }
  if (moves.added.empty() && moves.changed.empty() && moves.removed.empty()) return std::nullopt;
  return "Audit of valuations";
}

std::optional<std::string> DescribeMasters(const Changes& changes) {
  struct Master {
    std::uint8_t store;
    const char* what;
  };
  for (const Master master : {Master{kMembers, "member"}, Master{kSecurities, "security"},
                              Master{kAccounts, "account"}, Master{kCategories, "category"}}) {
    const StoreItemChange* item = First(changes.Of(master.store));
    if (item == nullptr) continue;
    const std::string& key = item->after ? item->after->key : item->before->key;
    const std::string name = master.store == kCategories ? key.substr(0, key.find('_')) : DisplayName(key);
    if (!item->before) return fmt::format("Add {} {}", master.what, name);
    if (!item->after) return fmt::format("Delete {} {}", master.what, name);
    return fmt::format("Change {} {}", master.what, name);
  }
  const StoreMoves& prices = changes.Of(kPrices);
  const std::size_t count = prices.added.size() + prices.removed.size() + prices.changed.size();
  if (count == 1) {
    const StoreItemChange* item = First(prices);
    if (const auto price = Decoded<TPriceRec>(item->after ? item->after : item->before)) {
      return fmt::format("{}Price of {} on {}", Verb(*item), changes.Security(price->stkid), FormatDate(price->trandate));
    }
  }
  if (count > 1) return fmt::format("{} prices", count);
  return std::nullopt;
}

}  // namespace

std::string DescribeFigures(const JournalEntry& entry) {
  std::vector<std::string> moved;
  auto signed_text = [](double delta, const std::string& shown) { return (delta > 0 ? "+" : "") + shown; };
  double units = 0;
  for (const StoreItemChange& item : entry.items) {
    if (item.store == kAccounts) {
      const auto before = Decoded<TAccountRec>(item.before);
      const auto after = Decoded<TAccountRec>(item.after);
      const double delta = (after ? after->bal : 0) - (before ? before->bal : 0);
      if (!IsZeroMoney(delta)) {
        moved.push_back((after ? after->name : before->name) + " " + signed_text(delta, FormatMoney(delta)));
      }
    } else if (item.store == kMembers) {
      const auto before = Decoded<TMemberRec>(item.before);
      const auto after = Decoded<TMemberRec>(item.after);
      units += (after ? after->tunits : 0) - (before ? before->tunits : 0);
    } else if (item.store == kSecurities) {
      const auto before = Decoded<TSecurityRec>(item.before);
      const auto after = Decoded<TSecurityRec>(item.after);
      const double delta = (after ? after->sharest : 0) - (before ? before->sharest : 0);
      if (std::abs(delta) >= kShareTolerance) {
        moved.push_back((after ? after->name : before->name) + " " + signed_text(delta, FormatUnits(delta)) +
                        " shares");
      }
    }
  }
  if (std::abs(units) >= 0.0005) moved.insert(moved.begin(), "units " + signed_text(units, FormatUnits(units)));
  std::string text;
  for (const std::string& figure : moved) text += (text.empty() ? "" : "; ") + figure;
  return text;
}

std::string FormatJournalTime(std::int64_t seconds) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm local{};
  localtime_r(&time, &local);
  return fmt::format("{:04}-{:02}-{:02} {:02}:{:02}", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                     local.tm_hour, local.tm_min);
}

std::string DescribeOperation(const JournalEntry& entry) {
  const Changes changes(entry);
  // A transaction names the operation before the valuations an audit re-ran with it.
  for (auto describe : {DescribeMemberTransactions, DescribeSecurityTransactions, DescribeAccountTransactions,
                        DescribeUnits, DescribeMasters}) {
    if (std::optional<std::string> label = describe(changes)) return *label;
  }
  if (!entry.files.empty()) return "Files " + entry.files.front().name;
  if (entry.info_before || entry.info_after) return "Club information";
  return "Changes";
}

}  // namespace pellmark
