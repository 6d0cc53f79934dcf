// Random sequences of cash and member postings, accepted or refused, after each
// of which the books must balance: every figure equals what its register or its
// transactions give, every link points at a record that exists, the money of
// the member ledger is the money in the accounts, and a refusal leaves every
// store byte-identical. A failure names its seed and step.
#include <gtest/gtest.h>

#include <cmath>
#include <fmt/format.h>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "club/keys.h"
#include "club/record_kinds.h"
#include "forms/entry_dialog.h"
#include "forms/entry_mode_text.h"
#include "members/member_ledger.h"
#include "members/member_posting.h"
#include "support/ledger_fixture.h"

namespace pellmark::ledger {
namespace {

constexpr double kExact = 1e-6;

// Every item of every store and the club information, as bytes.
std::map<std::string, std::string> Snapshot(ClubSession& club) {
  std::map<std::string, std::string> items;
  auto take = [&items](const char* store, auto& table) {
    table.ForEachKeyed("", [&](const std::string& key, const auto& record) {
      items[std::string(store) + "/" + key] = EncodeRecord(record);
    });
  };
  take("members", club.members);
  take("memrecs", club.memrecs);
  take("accounts", club.accounts);
  take("actrecs", club.actrecs);
  take("categories", club.categories);
  take("unitfile", club.unitfile);
  items["clubinfo"] = EncodeRecord(club.Info());
  return items;
}

// What a member transaction moves in its linked account transaction.
double CashOf(const TMemberTranRec& tran) {
  return KindOf(tran) == MemberTranKind::Payout ? tran.dues - tran.fee : tran.dues;
}

// Checks every rule of balanced books; returns the first broken one.
std::string BrokenRule(ClubSession& club) {
  std::map<std::int32_t, TAccountRec> accounts;
  club.accounts.ForEach("", [&](const TAccountRec& account) { accounts[account.actid] = account; });
  std::vector<TAccountTranRec> actrecs = club.actrecs.Select("");
  std::vector<TMemberTranRec> memrecs = club.memrecs.Select("");

  for (const auto& [actid, account] : accounts) {
    double bal = account.ibal, ostcred = 0, ostdeb = 0, interest = 0;
    for (const TAccountTranRec& tran : actrecs) {
      if (tran.actid != actid) continue;
      const bool debit = IsDebit(KindOf(tran));
      bal += debit ? -tran.amount : tran.amount;
      if (!tran.cancel) (debit ? ostdeb : ostcred) += tran.amount;
      if (KindOf(tran) == AccountTranKind::Interest) interest += tran.amount;
    }
    if (std::fabs(account.bal - bal) > kExact) {
      return fmt::format("{}: bal {} but its register gives {}", account.name, account.bal, bal);
    }
    if (std::fabs(account.ostcred - ostcred) > kExact || std::fabs(account.ostdeb - ostdeb) > kExact) {
      return fmt::format("{}: outstanding {}/{} but uncleared items {}/{}", account.name, account.ostcred,
                         account.ostdeb, ostcred, ostdeb);
    }
    if (std::fabs(account.interest - interest) > kExact) return account.name + ": interest differs";
  }

  for (const TAccountTranRec& tran : actrecs) {
    const std::string where = fmt::format("account {} transaction {}", tran.actid, tran.tranid);
    if (!accounts.contains(tran.actid)) return where + " has no account";
    if (tran.amount < 0.005) return where + fmt::format(" holds {}", tran.amount);
    if (KindOf(tran) == AccountTranKind::TransferOut || KindOf(tran) == AccountTranKind::TransferIn) {
      const bool out = KindOf(tran) == AccountTranKind::TransferOut;
      auto other = club.actrecs.Find(TranKey(tran.xferact, tran.checknum, tran.trandate));
      if (!other || other->xferact != tran.actid || other->checknum != tran.tranid ||
          KindOf(*other) != (out ? AccountTranKind::TransferIn : AccountTranKind::TransferOut) ||
          other->amount != tran.amount) {
        return where + " has no matching counterpart";
      }
    }
    if (OriginOf(tran) == AccountOrigin::Member) {
      double linked = 0;
      bool any = false;
      for (const TMemberTranRec& member_tran : memrecs) {
        if (member_tran.actid == tran.actid && member_tran.tranid == tran.tranid &&
            member_tran.trandate == tran.trandate) {
          linked += CashOf(member_tran);
          any = true;
        }
      }
      if (!any) return where + " carries no member's money";
      if (std::fabs(linked - tran.amount) > 0.004) {
        return where + fmt::format(" holds {} but its members paid {}", tran.amount, linked);
      }
    }
  }

  double contributions = 0, paid_in = 0;
  for (const TMemberRec& member : club.members.Select("")) {
    TMemberRec reset = member;
    reset.tunits = reset.totalc = reset.totale = 0;
    // A payout that leaves less than 0.005 units snaps them to 0; replayed in
    // key order rather than in the order posted, each payout may snap a
    // different residue.
    double unit_tolerance = kExact;
    for (const TMemberTranRec& tran : memrecs) {
      if (tran.memid != member.memid) continue;
      ApplyMemberPosting(reset, tran, +1);
      if (KindOf(tran) == MemberTranKind::Payout) unit_tolerance += kShareTolerance;
    }
    if (std::fabs(reset.tunits - member.tunits) > unit_tolerance ||
        std::fabs(reset.totalc - member.totalc) > kExact) {
      return fmt::format("{}: units {} contributions {} but a reset gives {} and {}", DisplayName(member),
                         member.tunits, member.totalc, reset.tunits, reset.totalc);
    }
    contributions += member.totalc;
  }
  for (const TMemberTranRec& tran : memrecs) {
    const std::string where = fmt::format("member {} transaction {}", tran.memid, tran.duestran);
    if (tran.actid > 0) {
      auto linked = club.actrecs.Find(TranKey(tran.actid, tran.tranid, tran.trandate));
      if (!linked || OriginOf(*linked) != AccountOrigin::Member) return where + " has no linked account transaction";
    }
    if (KindOf(tran) == MemberTranKind::Payment) paid_in += tran.dues;
    if (KindOf(tran) == MemberTranKind::Payout) paid_in -= tran.dues;
  }
  if (std::fabs(contributions - paid_in) > 0.004) {
    return fmt::format("members' contributions {} but their payments come to {}", contributions, paid_in);
  }
  return {};
}

class LedgerProperty : public testing::ClubFixture, public ::testing::WithParamInterface<unsigned> {
 protected:
  void SetUp() override {
    ClubFixture::SetUp();
    for (const char* name : {"Broker", "Savings"}) {
      ASSERT_TRUE(accounts.CommitAccount(std::nullopt, {name, "", 0}));
    }
    for (auto [last, first] : {std::pair{"Smith", "Ann"}, {"Jones", "Bob"}, {"Lee", "Cy"}}) {
      MemberEntry person;
      person.lname = last;
      person.fname = first;
      ASSERT_TRUE(members.CommitMember(std::nullopt, person));
    }
    ui.AnswerEvery("Selected Record will be removed permanently. Continue?", true);
    ui.AnswerEvery("Do you want to hide member", false);
    ui.AnswerEvery("The ", false);  // the audit questions
    ui.AnswerEvery("No Valuation Statement Created since last dues collection. Continue?", true);
    ui.Clear();
  }

  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
  bool Chance(int percent) { return Pick(100) < percent; }
  // Whole cents, now and then with a stray third decimal.
  std::string Amount(int most_cents) {
    std::string text = fmt::format("{:.2f}", (1 + Pick(most_cents)) / 100.0);
    if (Chance(10)) text += "5";
    return text;
  }
  std::string DateText() { return FormatDate(Day(2026, 2 + Pick(9), 1 + Pick(28))); }
  DayNumber Date() { return *ParseDate(DateText()); }

  std::string AccountName() { return std::vector<std::string>{"Cash", "Broker", "Savings"}[Pick(3)]; }
  std::string MemberName() { return std::vector<std::string>{"Smith, Ann", "Jones, Bob", "Lee, Cy"}[Pick(3)]; }

  // Queues one entry dialog answer that types what a treasurer might.
  void AnswerAccountDialog(bool change) {
    const int amount_cents = 5000;
    std::string amount = Amount(amount_cents), desc = Chance(5) ? " " : "note", date = DateText();
    const int target = Pick(3), category = Pick(3);
    const bool touch_amount = !change || Chance(60), touch_date = change && Chance(40);
    const bool touch_target = change && Chance(40), cleared = Chance(20);
    const int check = 1 + Pick(500);
    ui.AnswerEntryDialog(
        [=](EntryDialog& dialog) {
          EntryForm& form = dialog.Form();
          if (touch_amount) form.amount.text = amount;
          if (!change) form.desc.text = desc;
          if (touch_date && form.Date.enabled) form.Date.text = date;
          if (form.mode == EntryMode::Transfer) {
            if (!change || touch_target) form.accountbox.selected = target;
          } else if (!change && form.accountgroup.visible) {
            form.accountbox.selected = std::min(category, static_cast<int>(form.accountbox.items.size()) - 1);
          }
          if (form.mode == EntryMode::Check && !change) form.price.text = std::to_string(check);
          if (change) form.cleared.checked = cleared;
        },
        Chance(5) ? DialogOutcome::Cancelled : DialogOutcome::Ok);
  }

  void AnswerMemberDialog(EntryMode mode) {
    std::string amount = Amount(mode == EntryMode::MemberPayoff ? 20000 : 10000), fee = Amount(3000);
    const int account = Pick(3), check = 1 + Pick(500);
    const bool with_check = Chance(50), fee_given = Chance(60);
    ui.AnswerEntryDialog(
        [=](EntryDialog& dialog) {
          EntryForm& form = dialog.Form();
          form.amount.text = amount;
          form.accountbox.selected = account;
          if (mode == EntryMode::MemberPayoff) {
            form.price.text = fee_given ? fee : "0";
            form.tax.checked = with_check;
            dialog.taxClick();
            form.desc.text = std::to_string(check);
          }
        },
        Chance(5) ? DialogOutcome::Cancelled : DialogOutcome::Ok);
  }

  std::optional<TAccountTranRec> SomeAccountTransaction(const std::string& name) {
    auto register_rows = accounts.Register(name, std::nullopt);
    if (register_rows.empty()) return std::nullopt;
    return register_rows[Pick(static_cast<int>(register_rows.size()))].record;
  }

  std::optional<TMemberTranRec> SomeMemberTransaction(const std::string& name) {
    auto rows = members.DuesHistory(name, std::nullopt);
    if (rows.empty()) return std::nullopt;
    return rows[Pick(static_cast<int>(rows.size()))].record;
  }

  // One random step; returns what it did, for the failure report.
  std::string Step(Outcome& outcome) {
    const std::string account = AccountName();
    const std::string member = MemberName();
    switch (Pick(11)) {
      case 0:
      case 1: {
        const EntryMode kind = std::vector<EntryMode>{EntryMode::Check, EntryMode::Deposit, EntryMode::Withdrawal,
                                                      EntryMode::ServiceCharge, EntryMode::Interest}[Pick(5)];
        AnswerAccountDialog(false);
        outcome = accounts.EnterTransaction(account, kind, Date());
        return fmt::format("enter {} on {}", EntryModeTitle(kind), account);
      }
      case 2:
        AnswerAccountDialog(false);
        outcome = accounts.EnterTransaction(account, EntryMode::Transfer, Date());
        return "transfer from " + account;
      case 3: {
        auto tran = SomeAccountTransaction(account);
        if (!tran) return "nothing to change";
        AnswerAccountDialog(true);
        outcome = accounts.ChangeTransaction(account, tran->tranid);
        return fmt::format("change {} {}", account, tran->tranid);
      }
      case 4: {
        auto tran = SomeAccountTransaction(account);
        if (!tran) return "nothing to delete";
        // Forcing bypasses the origin checks on purpose (a member's deposit then
        // loses its owner's link); the property forces only transfers.
        const bool force = KindOf(*tran) == AccountTranKind::TransferIn && Chance(50);
        outcome = accounts.DeleteTransaction(account, tran->tranid, force);
        return fmt::format("delete {} {}{}", account, tran->tranid, force ? " forced" : "");
      }
      case 5: {
        for (int i = 0; i < 40; ++i) {
          const bool clear = Chance(60);
          const std::string typed = Amount(900);
          ui.AnswerEntryDialog(
              [=](EntryDialog& dialog) {
                dialog.Form().cleared.checked = clear;
                dialog.Form().amount.text = typed;
              },
              Chance(3) ? DialogOutcome::Aborted : DialogOutcome::Ok);
        }
        outcome = accounts.Reconcile(account);
        return "reconcile " + account;
      }
      case 6:
      case 7: {
        const bool all = Chance(50);
        for (int i = 0; i < (all ? 3 : 1); ++i) AnswerMemberDialog(EntryMode::MemberDues);
        outcome = members.Collect(all ? MemberAction::DuesAll : MemberAction::DuesSelected, member, Date());
        return all ? "dues for all" : "dues of " + member;
      }
      case 8:
        AnswerMemberDialog(EntryMode::MemberPayoff);
        outcome = members.Collect(MemberAction::Payoff, member, Date());
        return "payoff of " + member;
      case 9: {
        auto tran = SomeMemberTransaction(member);
        if (!tran) return "no member transaction to change";
        const std::string amount = Amount(10000), date = DateText();
        const bool touch_amount = Chance(70), touch_date = Chance(50);
        ui.AnswerEntryDialog([=](EntryDialog& dialog) {
          if (touch_amount) dialog.Form().amount.text = amount;
          if (touch_date && dialog.Form().Date.enabled) dialog.Form().Date.text = date;
        });
        outcome = members.ChangeTransaction(member, tran->duestran);
        return fmt::format("change {} {}", member, tran->duestran);
      }
      default: {
        auto tran = SomeMemberTransaction(member);
        if (!tran) return "no member transaction to delete";
        outcome = members.DeleteTransaction(member, tran->duestran, false);
        return fmt::format("delete {} {}", member, tran->duestran);
      }
    }
  }

  std::mt19937 random;
  MemberLedger members{club};
  AccountLedger accounts{club};
};

// Each seed is its own club; the test's name carries the seed.
TEST_P(LedgerProperty, BooksBalanceAfterEveryStepAcceptedOrRefused) {
  constexpr int kSteps = 60;
  const unsigned seed = GetParam();
  random.seed(seed);
  for (int step = 0; step < kSteps; ++step) {
    const auto before = Snapshot(club);
    Outcome outcome = Outcome::Cancelled();
    const std::string what = Step(outcome);
    ui.DropUnusedAnswers();
    SCOPED_TRACE(fmt::format("seed {} step {}: {}", seed, step, what));
    if (outcome.Refused() || outcome.WasNotFound()) {
      EXPECT_EQ(before, Snapshot(club)) << "a refusal changed the stores: " << outcome.Message();
    }
    EXPECT_EQ(BrokenRule(club), "");
    if (HasFailure()) break;
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, LedgerProperty, ::testing::Range(1u, 13u));

}  // namespace
}  // namespace pellmark::ledger
