// A club set up in a fresh folder whose records the tests write straight into
// the stores, each master record kept in step with its transactions by the
// ledgers' own posting arithmetic, for the club reports' computations.
#pragma once

#include <cstdint>
#include <string>

#include "cash/account_posting.h"
#include "club/keys.h"
#include "club/record_kinds.h"
#include "members/member_posting.h"
#include "securities/security_totals.h"
#include "support/ledger_fixture.h"

namespace pellmark::testing {

class ClubRecordsFixture : public ClubFixture {
 protected:
  std::int32_t AddMember(const std::string& lname, const std::string& fname, bool active = true, char mtype = 'P') {
    TMemberRec member;
    member.lname = lname;
    member.fname = fname;
    member.active = active;
    member.mtype = mtype;
    member.memid = next_member_++;
    club.members.Put(member);
    return member.memid;
  }

  // A member transaction; units are dues ÷ cunit.
  void MemberTran(std::int32_t memid, MemberTranKind kind, double dues, double cunit, DayNumber date) {
    TMemberRec member = FindMember(memid);
    TMemberTranRec tran;
    tran.memid = memid;
    tran.typ = Code(kind);
    tran.dues = dues;
    tran.cunit = cunit;
    tran.trandate = date;
    tran.duestran = AllocateTranId(member.duescount);
    club.memrecs.Put(tran);
    ledger::ApplyMemberPosting(member, tran, +1);
    club.members.Put(member);
  }

  std::int32_t AddAccount(const std::string& name) {
    TAccountRec account;
    account.name = name;
    account.actid = next_account_++;
    club.accounts.Put(account);
    return account.actid;
  }

  void AccountTran(std::int32_t actid, AccountTranKind kind, double amount, std::int32_t catid, DayNumber date) {
    TAccountRec account = FindAccount(actid);
    TAccountTranRec tran;
    tran.actid = actid;
    tran.typ = Code(kind);
    tran.amount = amount;
    tran.catid = catid;
    tran.trandate = date;
    tran.tranid = AllocateTranId(account.trancount);
    club.actrecs.Put(tran);
    ledger::ApplyAccountPosting(account, tran, +1, club.Info().year);
    club.accounts.Put(account);
  }
  void AccountTran(std::int32_t actid, AccountTranKind kind, double amount, PredefinedCategory category,
                   DayNumber date) {
    AccountTran(actid, kind, amount, Code(category), date);
  }

  std::int32_t AddSecurity(const std::string& name) {
    TSecurityRec security;
    security.name = name;
    security.stkid = next_security_++;
    club.securities.Put(security);
    return security.stkid;
  }

  // A security transaction as the ledger stores it; returns its id.
  std::int32_t SecurityTran(std::int32_t stkid, SecurityTranKind kind, double amount, double price, double comm,
                            DayNumber date, std::int32_t buytran = -1, bool compc = false, bool tax = false) {
    TSecurityRec security = *club.securities.Find(NameKey(false, SecurityName(stkid)));
    TSecurityTranRec tran;
    tran.stkid = stkid;
    tran.typ = Code(kind);
    tran.amount = amount;
    tran.price = price;
    tran.comm = comm;
    tran.trandate = date;
    tran.buytran = buytran;
    tran.compc = compc;
    tran.tax = tax;
    tran.stranid = AllocateTranId(security.trancount);
    club.stkrecs.Put(tran);
    club.securities.Put(security);
    ResetSecurity(stkid);
    return tran.stranid;
  }
  // The security's running totals taken again from its records, as the reset does.
  void ResetSecurity(std::int32_t stkid) {
    TSecurityRec security = *club.securities.Find(NameKey(false, SecurityName(stkid)));
    ledger::ReapplyTotals(security, club.stkrecs.Select(OwnerFilter(stkid)), club.Info().year);
    club.securities.Put(security);
  }
  // Marks a stored security transaction sold and links it to `buytran`.
  void MarkSold(std::int32_t stkid, std::int32_t stranid, std::int32_t buytran = -1) {
    club.stkrecs.ForEach(OwnerFilter(stkid), [&](TSecurityTranRec&& tran) {
      if (tran.stranid != stranid) return;
      tran.sold = true;
      if (buytran >= 0) tran.buytran = buytran;
      club.stkrecs.Put(tran);
    });
    ResetSecurity(stkid);
  }

  TMemberRec FindMember(std::int32_t memid) {
    for (const TMemberRec& member : club.members.Select()) {
      if (member.memid == memid) return member;
    }
    throw std::runtime_error("no member");
  }
  TAccountRec FindAccount(std::int32_t actid) {
    for (const TAccountRec& account : club.accounts.Select()) {
      if (account.actid == actid) return account;
    }
    throw std::runtime_error("no account");
  }
  std::string SecurityName(std::int32_t stkid) {
    for (const TSecurityRec& security : club.securities.Select()) {
      if (security.stkid == stkid) return security.name;
    }
    throw std::runtime_error("no security");
  }

  std::int32_t next_member_ = 1;
  std::int32_t next_account_ = 2;  // "Cash" is account 1
  std::int32_t next_security_ = 1;
};

}  // namespace pellmark::testing
