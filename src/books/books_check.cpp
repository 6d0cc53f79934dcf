#include "books/books_check.h"

#include <cmath>
#include <filesystem>
#include <fmt/format.h>
#include <map>
#include <set>
#include <utility>

#include "cash/account_posting.h"
#include "club/dates.h"
#include "club/keys.h"
#include "club/number_format.h"
#include "club/record_kinds.h"
#include "club/unit_values.h"
#include "members/member_posting.h"
#include "valuation/statement_file.h"

namespace pellmark {
namespace {

using Owned = std::pair<std::int32_t, std::int32_t>;  // owner id, record id

// Money agrees to the cent, units to the thousandth, as the screens show them.
bool MoneyDiffers(double a, double b) { return std::fabs(a - b) >= 0.005; }
bool UnitsDiffer(double a, double b) { return std::fabs(a - b) >= 0.0005; }

std::string Quoted(const std::string& name) {
  return name.find_first_of(" ,") == std::string::npos ? name : "\"" + name + "\"";
}

class Checker {
 public:
  explicit Checker(ClubSession& club) : club_(club) {}

  std::vector<BooksBreach> Run() {
    ReadTransactions();
    CheckAccounts();
    CheckMembers();
    CheckLinks();
    CheckUnitCounter();
    CheckStatements();
    return std::move(breaches_);
  }

 private:
  void Add(std::string text, BooksBreach::Mend mend, std::string subject, std::string mend_text) {
    breaches_.push_back({std::move(text), mend, std::move(subject), "Mend: " + std::move(mend_text)});
  }
  void AddUnmendable(std::string text) {
    Add(std::move(text), BooksBreach::Mend::kRestoreBackup, "", "restore the club from a backup made before it.");
  }

  void ReadTransactions() {
    club_.actrecs.ForEach("", [&](const TAccountTranRec& tran) { account_trans_[tran.actid].push_back(tran); });
    club_.memrecs.ForEach("", [&](const TMemberTranRec& tran) { member_trans_[tran.memid].push_back(tran); });
    club_.stkrecs.ForEach("", [&](const TSecurityTranRec& tran) { security_trans_[tran.stkid].push_back(tran); });
    club_.prices.ForEach("", [&](const TPriceRec& price) { price_ids_[price.stkid].push_back(price.tranid); });
  }

  // Reports a second record of one owner with an id already seen and the
  // counter that must stay above every id in use; returns the ids seen.
  template <class Ids>
  std::set<std::int32_t> CheckIds(const Ids& ids, const std::string& owner, std::int32_t counter,
                                  const std::string& counter_name) {
    std::set<std::int32_t> seen;
    std::int32_t largest = -1;
    for (std::int32_t id : ids) {
      if (!seen.insert(id).second) AddUnmendable(fmt::format("{}: two transactions share the id {}.", owner, id));
      largest = std::max(largest, id);
    }
    if (counter <= largest) {
      Add(fmt::format("{}: its {} is {}, but the id {} is in use.", owner, counter_name, counter, largest),
          BooksBreach::Mend::kRaiseCounter, owner, "pellmark-cli check-books --repair");
    }
    return seen;
  }

  void CheckAccounts() {
    club_.accounts.ForEach("", [&](const TAccountRec& account) {
      const std::string owner = "Account " + account.name;
      if (!account_ids_.insert(account.actid).second) {
        AddUnmendable(fmt::format("{}: another account has the id {}.", owner, account.actid));
      }
      const TAccountRec expected = ledger::AccountFiguresFrom(account, account_trans_[account.actid], club_.Info().year);
      std::vector<std::int32_t> ids;
      for (const TAccountTranRec& tran : account_trans_[account.actid]) ids.push_back(tran.tranid);
      const std::string reset = "pellmark-cli account reset " + Quoted(account.name) +
                                (account.active ? "" : " (un-hide it first)");
      auto compare = [&](double stored, double computed, const char* figure, const char* source) {
        if (!MoneyDiffers(stored, computed)) return;
        Add(fmt::format("{}: {} {}, {} give {}.", owner, figure, FormatMoney(stored), source, FormatMoney(computed)),
            BooksBreach::Mend::kResetAccount, account.name, reset);
      };
      compare(account.bal, expected.bal, "balance", "its opening balance and register");
      compare(account.ostcred, expected.ostcred, "outstanding credits", "the uncleared deposits");
      compare(account.ostdeb, expected.ostdeb, "outstanding debits", "the uncleared payments");
      transaction_ids_[account.actid] = CheckIds(ids, owner, account.trancount, "transaction counter");
    });
  }

  void CheckMembers() {
    club_.members.ForEach("", [&](const TMemberRec& member) {
      const std::string owner = "Member " + ledger::DisplayName(member);
      if (!member_ids_.insert(member.memid).second) {
        AddUnmendable(fmt::format("{}: another member has the id {}.", owner, member.memid));
      }
      const TMemberRec expected = ledger::MemberTotalsFrom(member, member_trans_[member.memid]);
      std::vector<std::int32_t> ids;
      for (const TMemberTranRec& tran : member_trans_[member.memid]) ids.push_back(tran.duestran);
      const std::string name = MemberName(member);
      const std::string reset = "pellmark-cli member reset " + Quoted(name) + (member.active ? "" : " (un-hide it first)");
      if (UnitsDiffer(member.tunits, expected.tunits)) {
        Add(fmt::format("{}: {} units, the transactions give {}.", owner, FormatUnits(member.tunits),
                        FormatUnits(expected.tunits)),
            BooksBreach::Mend::kResetMember, name, reset);
      }
      if (MoneyDiffers(member.totalc, expected.totalc) || MoneyDiffers(member.totale, expected.totale)) {
        Add(fmt::format("{}: contributions {} and earnings {}, the transactions give {} and {}.", owner,
                        FormatMoney(member.totalc), FormatMoney(member.totale), FormatMoney(expected.totalc),
                        FormatMoney(expected.totale)),
            BooksBreach::Mend::kResetMember, name, reset);
      }
      CheckIds(ids, owner, member.duescount, "dues counter");
      if (member.tunits <= -kShareTolerance) {
        Add(fmt::format("{}: {} units; a member never holds fewer than none.", owner, FormatUnits(member.tunits)),
            BooksBreach::Mend::kRestoreBackup, "", "restore the club from a backup made before it.");
      }
      CheckPricing(owner, member_trans_[member.memid]);
    });
  }

  // Every payment buys at the newest valuation on or before its date.
  void CheckPricing(const std::string& owner, const std::vector<TMemberTranRec>& transactions) {
    for (const TMemberTranRec& tran : transactions) {
      if (KindOf(tran) != MemberTranKind::Payment) continue;
      const std::optional<UnitValue> due = UnitValueAt(club_.unitfile, tran.trandate);
      if (!due || (due->unitid == tran.unitind && std::fabs(due->unitval - tran.cunit) < 1e-9)) continue;
      const bool open_year = CivilFromDayNumber(due->date).year >= club_.Info().year;
      Add(fmt::format("{}: the payment of {} bought at {} a unit, but the valuation of {} is {}.", owner,
                      FormatDate(tran.trandate), FormatMoney(tran.cunit), FormatDate(due->date),
                      FormatMoney(due->unitval)),
          open_year ? BooksBreach::Mend::kAudit : BooksBreach::Mend::kRestoreBackup, FormatDate(due->date),
          open_year ? "pellmark-cli --yes audit " + FormatDate(due->date) : "pellmark-cli --yes recalculate");
    }
  }

  bool AccountTransactionExists(std::int32_t actid, std::int32_t tranid) {
    auto found = transaction_ids_.find(actid);
    return found != transaction_ids_.end() && found->second.contains(tranid);
  }

  const TAccountTranRec* AccountTransaction(std::int32_t actid, std::int32_t tranid) {
    for (const TAccountTranRec& tran : account_trans_[actid]) {
      if (tran.tranid == tranid) return &tran;
    }
    return nullptr;
  }

  void CheckLinks() {
    for (const auto& [actid, transactions] : account_trans_) {
      for (const TAccountTranRec& tran : transactions) {
        const std::string what = fmt::format("The transaction {} of account id {}", tran.tranid, actid);
        if (!account_ids_.contains(actid)) {
          AddUnmendable(what + " belongs to no account.");
          continue;
        }
        const AccountTranKind kind = KindOf(tran);
        if (kind != AccountTranKind::TransferOut && kind != AccountTranKind::TransferIn) continue;
        const AccountTranKind other_kind =
            kind == AccountTranKind::TransferOut ? AccountTranKind::TransferIn : AccountTranKind::TransferOut;
        const TAccountTranRec* other = AccountTransaction(tran.xferact, tran.checknum);
        if (other == nullptr || KindOf(*other) != other_kind || other->checknum != tran.tranid) {
          AddUnmendable(fmt::format("{} ({}) has no counterpart {} in account id {}.", what,
                                    AccountKindLabel(kind), tran.checknum, tran.xferact));
        }
      }
    }
    std::set<std::int32_t> unit_ids;
    club_.unitfile.ForEach("", [&](const TUnitValueRec& unit) { unit_ids.insert(unit.unitid); });
    for (const auto& [memid, transactions] : member_trans_) {
      for (const TMemberTranRec& tran : transactions) {
        const std::string what = fmt::format("The dues transaction {} of member id {}", tran.duestran, memid);
        if (!member_ids_.contains(memid)) AddUnmendable(what + " belongs to no member.");
        if (tran.actid > 0 && tran.tranid >= 0 && !AccountTransactionExists(tran.actid, tran.tranid)) {
          AddUnmendable(fmt::format("{} links to the missing transaction {} of account id {}.", what, tran.tranid,
                                    tran.actid));
        }
        if (tran.unitind >= 0 && !unit_ids.contains(tran.unitind)) {
          AddUnmendable(fmt::format("{} links to the missing valuation {}.", what, tran.unitind));
        }
      }
    }
    CheckSecurities();
  }

  void CheckSecurities() {
    club_.securities.ForEach("", [&](const TSecurityRec& security) {
      const std::string owner = "Security " + security.name;
      std::vector<std::int32_t> ids;
      for (const TSecurityTranRec& tran : security_trans_[security.stkid]) ids.push_back(tran.stranid);
      const std::set<std::int32_t> seen = CheckIds(ids, owner, security.trancount, "transaction counter");
      for (const TSecurityTranRec& tran : security_trans_[security.stkid]) {
        if (tran.buytran >= 0 && !seen.contains(tran.buytran)) {
          AddUnmendable(fmt::format("{}: the transaction {} links to the missing lot {}.", owner, tran.stranid,
                                    tran.buytran));
        }
        if (tran.actid > 0 && tran.transid >= 0 && !AccountTransactionExists(tran.actid, tran.transid)) {
          AddUnmendable(fmt::format("{}: the transaction {} links to the missing transaction {} of account id {}.",
                                    owner, tran.stranid, tran.transid, tran.actid));
        }
      }
      CheckIds(price_ids_[security.stkid], owner, security.pricecount, "price counter");
    });
  }

  void CheckUnitCounter() {
    std::vector<std::int32_t> ids;
    club_.unitfile.ForEach("", [&](const TUnitValueRec& unit) { ids.push_back(unit.unitid); });
    CheckIds(ids, "The club", club_.Info().unitind, "valuation counter");
  }

  // Every official valuation's unit record and its statement file agree (date,
  // unit value, id), and each has the other. The club's first unit record, the
  // starting value of its set-up, has no statement unless a valuation of its date was made.
  void CheckStatements() {
    std::map<std::string, TUnitValueRec> units;  // by statement file name
    std::optional<TUnitValueRec> first;
    club_.unitfile.ForEach("", [&](const TUnitValueRec& unit) {
      if (!first || unit.date < first->date) first = unit;
      units.emplace(valuation::StatementFileName(unit.date), unit);
    });
    std::map<std::string, valuation::Statement> official;
    std::set<std::string> present, unreadable;
    for (const store::FolderEntry& entry : club_.Files().ListFolder(club_.Folder())) {
      const std::string& name = entry.name;
      if (!name.starts_with("V") || !name.ends_with(".stm") || entry.folder) continue;
      present.insert(name);
      try {
        valuation::Statement statement = valuation::ReadStatementFile(club_.Files(), club_.Folder() / name);
        if (statement.unit_id && *statement.unit_id >= 0) official.emplace(name, std::move(statement));
      } catch (const std::exception& failure) {
        std::string text = fmt::format("The statement {} cannot be read: {}", name, failure.what());
        if (const auto unit = units.find(name); unit != units.end()) {
          AddAudit(unit->second.date, std::move(text));
        } else {
          AddUnmendable(std::move(text));
        }
        unreadable.insert(name);
      }
    }
    for (const auto& [name, unit] : units) {
      const auto statement = official.find(name);
      if (statement == official.end()) {
        if (unreadable.contains(name) || (unit.unitid == first->unitid && !present.contains(name))) continue;
        AddAudit(unit.date, fmt::format("The valuation of {} (id {}) has no official statement {}.",
                                        FormatDate(unit.date), unit.unitid, name));
        continue;
      }
      const valuation::Statement& found = statement->second;
      const double value = found.summary ? found.summary->new_unit_value : 0;
      std::string differences;
      if (found.date != unit.date) differences += fmt::format(", dated {}", FormatDate(found.date));
      if (!found.summary || std::fabs(value - unit.unitval) > 1e-9 * std::max(1.0, std::fabs(unit.unitval))) {
        differences += fmt::format(", unit value {:.3f} against {:.3f}", value, unit.unitval);
      }
      if (*found.unit_id != unit.unitid) differences += fmt::format(", id {} against {}", *found.unit_id, unit.unitid);
      if (!differences.empty()) {
        AddAudit(unit.date, fmt::format("The statement {} does not match the valuation of {}{}.", name,
                                        FormatDate(unit.date), differences));
      }
    }
    for (const auto& [name, statement] : official) {
      if (!units.contains(name)) {
        AddUnmendable(fmt::format("The official statement {} (id {}) has no valuation of its date.", name,
                                  *statement.unit_id));
      }
    }
  }

  void AddAudit(DayNumber date, std::string text) {
    const std::string from = FormatDate(date);
    Add(std::move(text), BooksBreach::Mend::kAudit, from,
        "pellmark-cli --yes audit " + from + " (the valuations from that date run again and write their statements).");
  }

  ClubSession& club_;
  std::vector<BooksBreach> breaches_;
  std::map<std::int32_t, std::vector<TAccountTranRec>> account_trans_;
  std::map<std::int32_t, std::vector<TMemberTranRec>> member_trans_;
  std::map<std::int32_t, std::vector<TSecurityTranRec>> security_trans_;
  std::map<std::int32_t, std::vector<std::int32_t>> price_ids_;
  std::map<std::int32_t, std::set<std::int32_t>> transaction_ids_;
  std::set<std::int32_t> account_ids_, member_ids_;
};

// One more than the largest id the records hold, or the counter when it is higher.
template <class Record>
std::int32_t Above(Table<Record>& table, std::string_view filter, std::int32_t Record::*id, std::int32_t counter) {
  table.ForEach(filter, [&](const Record& record) { counter = std::max(counter, record.*id + 1); });
  return counter;
}

void RaiseCounters(ClubSession& club) {
  club.accounts.ForEachKeyed("", [&](const std::string& key, TAccountRec account) {
    const std::int32_t raised = Above(club.actrecs, OwnerFilter(account.actid), &TAccountTranRec::tranid,
                                      account.trancount);
    if (raised == account.trancount) return;
    account.trancount = raised;
    club.accounts.PutAt(key, account);
  });
  club.members.ForEachKeyed("", [&](const std::string& key, TMemberRec member) {
    const std::int32_t raised = Above(club.memrecs, OwnerFilter(member.memid), &TMemberTranRec::duestran,
                                      member.duescount);
    if (raised == member.duescount) return;
    member.duescount = raised;
    club.members.PutAt(key, member);
  });
  club.securities.ForEachKeyed("", [&](const std::string& key, TSecurityRec security) {
    const std::int32_t transactions = Above(club.stkrecs, OwnerFilter(security.stkid), &TSecurityTranRec::stranid,
                                            security.trancount);
    const std::int32_t prices = Above(club.prices, OwnerFilter(security.stkid), &TPriceRec::tranid,
                                      security.pricecount);
    if (transactions == security.trancount && prices == security.pricecount) return;
    security.trancount = transactions;
    security.pricecount = prices;
    club.securities.PutAt(key, security);
  });
  const std::int32_t units = Above(club.unitfile, "", &TUnitValueRec::unitid, club.Info().unitind);
  if (units != club.Info().unitind) {
    club.Info().unitind = units;
    club.WriteClubInfo();
  }
}

}  // namespace

std::vector<BooksBreach> CheckBooks(ClubSession& club) { return Checker(club).Run(); }

int RepairBooks(Books& books, const std::vector<BooksBreach>& breaches) {
  ClubSession& club = books.Club();
  std::set<std::pair<BooksBreach::Mend, std::string>> done;
  std::optional<DayNumber> audit_from;
  const bool audit_mode = club.AuditMode();
  // Audit mode silences the resets' messages and lets them reach hidden items.
  club.SetAuditMode(true);
  for (const BooksBreach& breach : breaches) {
    if (breach.mend == BooksBreach::Mend::kRestoreBackup) continue;
    if (!done.insert({breach.mend, breach.mend == BooksBreach::Mend::kRaiseCounter ? "" : breach.subject}).second) {
      continue;
    }
    switch (breach.mend) {
      case BooksBreach::Mend::kResetAccount:
        static_cast<void>(books.Accounts().ResetAccount(breach.subject, /*announce=*/false));
        break;
      case BooksBreach::Mend::kResetMember:
        static_cast<void>(books.Members().ResetMember(breach.subject, /*announce=*/false));
        break;
      case BooksBreach::Mend::kRaiseCounter:
        RaiseCounters(club);
        break;
      case BooksBreach::Mend::kAudit:
        // One audit from the earliest date asked re-prices every later payment.
        if (const std::optional<DayNumber> from = ParseDate(breach.subject);
            from && (!audit_from || *from < *audit_from)) {
          audit_from = from;
        }
        break;
      case BooksBreach::Mend::kRestoreBackup:
        break;
    }
  }
  club.SetAuditMode(audit_mode);
  if (audit_from) static_cast<void>(books.AuditValuations(*audit_from, /*announce=*/false));
  return static_cast<int>(done.size());
}

std::vector<BooksBreach> Books::CheckBooks() { return pellmark::CheckBooks(club_); }

int Books::RepairBooks(const std::vector<BooksBreach>& breaches) {
  return Run([&] { return pellmark::RepairBooks(*this, breaches); });
}

}  // namespace pellmark
