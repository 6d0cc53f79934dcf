#include "cash/account_posting.h"

#include <gtest/gtest.h>

#include "club/dates.h"
#include "club/record_kinds.h"

namespace pellmark::ledger {
namespace {

TAccountTranRec Tran(AccountTranKind kind, double amount, DayNumber date, bool cleared = false) {
  TAccountTranRec tran;
  tran.typ = Code(kind);
  tran.amount = amount;
  tran.trandate = date;
  tran.cancel = cleared;
  return tran;
}

TEST(AccountPosting, DebitsAndCreditsMoveBalanceAndOutstandingFigures) {
  const DayNumber day = DayNumberFromCivil({2026, 3, 1});
  TAccountRec account;
  for (AccountTranKind kind : {AccountTranKind::Check, AccountTranKind::Withdrawal, AccountTranKind::BankCharge,
                               AccountTranKind::TransferOut}) {
    ApplyAccountPosting(account, Tran(kind, 10, day), +1, 2026);
  }
  ApplyAccountPosting(account, Tran(AccountTranKind::Deposit, 100, day), +1, 2026);
  ApplyAccountPosting(account, Tran(AccountTranKind::TransferIn, 5, day, true), +1, 2026);
  EXPECT_EQ(account.bal, 65);
  EXPECT_EQ(account.ostdeb, 40);
  EXPECT_EQ(account.ostcred, 100);  // the cleared transfer is not outstanding
}

TEST(AccountPosting, BackingOutIsTheExactReverse) {
  TAccountRec account;
  account.bal = 12.34;
  TAccountTranRec interest = Tran(AccountTranKind::Interest, 3.21, DayNumberFromCivil({2026, 6, 30}));
  ApplyAccountPosting(account, interest, +1, 2026);
  ApplyAccountPosting(account, interest, -1, 2026);
  EXPECT_DOUBLE_EQ(account.bal, 12.34);
  EXPECT_DOUBLE_EQ(account.ostcred, 0);
  EXPECT_DOUBLE_EQ(account.interest, 0);
  EXPECT_DOUBLE_EQ(account.interesty, 0);
}

TEST(AccountPosting, InterestOfAnotherYearCountsOnlyInTheTotal) {
  TAccountRec account;
  ApplyAccountPosting(account, Tran(AccountTranKind::Interest, 4, DayNumberFromCivil({2025, 12, 31})), +1, 2026);
  ApplyAccountPosting(account, Tran(AccountTranKind::Interest, 1, DayNumberFromCivil({2026, 1, 1})), +1, 2026);
  EXPECT_EQ(account.interest, 5);
  EXPECT_EQ(account.interesty, 1);
}

TEST(AccountPosting, DatesFollowOnlyPastTransactionsButChecksAlwaysSetTheNumber) {
  const double now = DayNumberFromCivil({2026, 12, 7}) + 0.5;
  TAccountRec account;
  account.lstdate = DayNumberFromCivil({2026, 6, 1});
  account.lstchk = -1;
  TAccountTranRec future_check = Tran(AccountTranKind::Check, 5, DayNumberFromCivil({2027, 1, 5}));
  future_check.checknum = 1007;
  MoveAccountDates(account, future_check, now);
  EXPECT_EQ(account.lstchk, 1007);
  EXPECT_EQ(account.lstdate, DayNumberFromCivil({2026, 6, 1}));

  MoveAccountDates(account, Tran(AccountTranKind::Deposit, 5, DayNumberFromCivil({2026, 5, 1})), now);  // older: stays
  EXPECT_EQ(account.lstdate, DayNumberFromCivil({2026, 6, 1}));
  MoveAccountDates(account, Tran(AccountTranKind::Deposit, 5, DayNumberFromCivil({2026, 12, 7})), now);
  EXPECT_EQ(account.lstdate, DayNumberFromCivil({2026, 12, 7}));
}

}  // namespace
}  // namespace pellmark::ledger
