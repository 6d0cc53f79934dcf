// Members and their dues: the Members page without its window. Every member
// transaction is created, changed, deleted or re-applied through
// PostMemberTransaction; the money goes to cash accounts through the account
// ledger, one deposit per account for a whole dues collection.
//
//   MemberLedger members(club);
//   members.CommitMember(std::nullopt, person);            // "Member Ann Smith added."
//   members.Collect(MemberAction::DuesAll, std::nullopt, dues_date);  // one dialog per member
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cash/account_ledger.h"
#include "club/club_session.h"
#include "club/entry_dialog_request.h"
#include "club/master_records.h"
#include "club/outcome.h"
#include "club/records.h"
#include "members/member_posting.h"

namespace pellmark::ledger {

// A member as entered. A person has a last and a first name, a group one name;
// a name not given is blank. The form reading the page's texts makes it.
struct MemberEntry {
  bool group = false;
  std::string lname, fname, name;
  std::string addr, city, state, zip, idnum, hphone, wphone, fphone, ophone, email;
};

// The listing name the entry gives ("Smith, Ann", or the group's name), as the
// member list shows it.
std::string ListingName(const MemberEntry& entry);

// The items of `memberselect`.
enum class MemberAction { DuesAll, DuesSelected, Payoff, TotalDues, TotalEarnings, Fees };

enum class MemberPostMode { New = 1, Change = 2, Delete = 3, Reapply = 4 };

// One row of the dues grid: the stored transaction and the figures it shows.
struct DuesRow {
  DayNumber date = 0;
  MemberTranKind kind = MemberTranKind::Payment;
  double amount = 0;  // the dues as stored; negative for money taken out
  // A payment's or earnings credit's units (dues over unit value, negative when
  // given back), or the units a payout redeems; none for other kinds or without
  // a unit value.
  std::optional<double> units;
  TMemberTranRec record;
};

// The "Summary" box of the Members page.
struct MemberSummary {
  double contributions = 0, earnings = 0, units = 0, unit_value = 0, account_value = 0;
  // (account value - contributions - earnings) / |contributions + earnings|;
  // 0 without units or without an investment.
  double gain = 0;
};

class MemberLedger {
 public:
  explicit MemberLedger(ClubSession& club);

  // The stored key of the member of this listing name ("Smith, Ann" or a group's name).
  std::optional<std::string> KeyOf(std::string_view listing_name);
  std::optional<TMemberRec> Find(std::string_view listing_name);
  // Members in key order (active first), or only the active ones.
  std::vector<TMemberRec> List(bool active_only);

  // "Commit Changes/Additions": a new member when `existing` is empty.
  Outcome CommitMember(const std::optional<std::string>& existing, const MemberEntry& entry);

  // A `memberselect` action for every active member ("Dues - All") or for the
  // selected member; `date` is the dues calendar's date. Cancelled when no
  // member's dialog was confirmed.
  Outcome Collect(MemberAction action, const std::optional<std::string>& selected, DayNumber date);

  // Double click in the dues grid, and "Delete Record".
  Outcome ChangeTransaction(std::string_view member, std::int32_t duestran);
  Outcome DeleteTransaction(std::string_view member, std::int32_t duestran, bool force_deletes);

  Outcome ResetMember(std::string_view member, bool announce);
  void ResetAllMembers();
  Outcome Hide(std::string_view member);
  Outcome Unhide(std::string_view member);
  Outcome Delete(std::string_view member);

  std::vector<DuesRow> DuesHistory(std::string_view member, std::optional<std::int32_t> year);
  // The unit values recorded in `year`, newest first.
  std::vector<TUnitValueRec> ValuationsOf(std::int32_t year);
  MemberSummary Summary(std::string_view member);

  std::vector<TMemberTranRec> Transactions(std::int32_t memid);
  // Recomputes the totals of the member of this id from its transactions and
  // saves it under the key it is stored under; nothing when there is none.
  void RecalculateMember(std::int32_t memid);

 private:
  using Selected = Keyed<TMemberRec>;
  // What one collection gathers for its account postings.
  struct Collection {
    MemberAction action;
    bool several = false;
    std::int32_t last_account = -1;
    std::map<std::int32_t, double> amounts;
    std::map<std::int32_t, std::int32_t> reserved_ids;
    std::int32_t check_number = -1;
    double payoff_fee = 0;
    bool posted = false;
  };

  // Done when posted; cancelled when the dialog was closed without OK
  // (`dialog`, when given, tells Cancel from Abort).
  [[nodiscard]] Outcome PostMemberTransaction(Selected& member, MemberPostMode mode, TMemberTranRec& tran,
                                              const TMemberTranRec* old, int flags, Collection* collection,
                                              DialogOutcome* dialog = nullptr);
  EntryDialogRequest DialogRequest(const TMemberRec& member, EntryMode mode, const TMemberTranRec& tran, bool change);
  // A failure (shown) when an account of the collection is missing.
  [[nodiscard]] Outcome PostCollectedMoney(const Collection& collection, DayNumber date,
                                           const std::string& member_name);
  Outcome Refuse(const std::string& message);
  Outcome NoSuchMember(std::string_view name);
  Outcome NoSuchTransaction(const TMemberRec& member, std::int32_t duestran);
  void OfferToHide(Selected& member);
  bool OpenShortSales();
  std::optional<TAccountTranRec> LinkedAccountTransaction(const TMemberTranRec& tran);
  // True when another member transaction carries its money in the same account
  // transaction (a collection's one deposit).
  bool SharesItsDeposit(const TMemberTranRec& tran);
  void Recalculate(Selected& member);
  // Every member with the key it is stored under, in key order.
  std::vector<Selected> StoredMembers();

  ClubSession& club_;
  AccountLedger accounts_;
  MasterRecords<TMemberRec> records_;
};

}  // namespace pellmark::ledger
