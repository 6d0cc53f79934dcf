// The names of the codes records store for their kinds: the transaction types of
// accounts, members and securities, who wrote an account transaction, the type of
// a category and the ids of the predefined categories; and the rules on them that
// more than one screen or ledger asks.
//
//   if (KindOf(tran) == AccountTranKind::TransferOut) ...
//   deposit.typ = Code(AccountTranKind::Deposit);
//   deposit.catid = Code(PredefinedCategory::MemberContributions);
//   if (IsOpenShortSale(sale)) ...
//
// Records keep the raw codes (`typ`, `updateloc`, `catid`) so that every stored
// byte reads back and is written back as it was; KindOf and OriginOf name them,
// Code gives the code of a name. A code outside an enum converts unchanged.
#pragma once

#include <cstdint>
#include <string>

#include "club/records.h"

namespace pellmark {

// `typ` of an account transaction.
enum class AccountTranKind : std::uint8_t {
  Check = 0,
  Deposit = 1,
  Withdrawal = 2,
  BankCharge = 3,
  Interest = 4,
  TransferOut = 5,
  TransferIn = 6,  // written only as the counterpart of a Transfer Out
};

// `updateloc` of an account transaction: where it was written. The Accounts page
// refuses to delete what another ledger wrote.
enum class AccountOrigin : std::uint8_t { AccountsPage = 0, Security = 1, Member = 2 };

// `typ` of a member transaction.
enum class MemberTranKind : std::uint8_t {
  Payment = 0,
  Payout = 2,
  NuPayment = 3,   // "Total Dues": changes contributions, carries no units
  NuEarnings = 4,  // "Total Earnings", or a year close for a hidden member
  Earnings = 5,    // a year close for an active member
  Fee = 6,
};

// `typ` of a security transaction. Purchases and reinvestments are lots; the
// flags `tax` and `compc` mean something different for each kind.
enum class SecurityTranKind : std::uint8_t {
  Purchase = 0,      // `tax`: a lot made by a split; `compc`: covers short sales
  Sale = 1,          // `tax`: a sale of split fractions; `compc`: a short sale
  Dividend = 2,      // `tax`: taxable
  Reinvestment = 3,  // `tax`: taxable; `compc`: commission paid by the company
  CapitalReduction = 4,
  CapitalGain = 5,  // a distribution or a write-off; `tax` short, `compc` medium term
  Clear = 6,
  Split = 7,
  BasisChange = 8,
  ForeignTax = 9,
};

// `typ` of a category: income is listed with deposits, expense with checks and
// withdrawals.
enum class CategoryKind : std::uint8_t { Income = 1, Expense = 2 };

// The ids of the categories every club starts with; the postings use them.
enum class PredefinedCategory : std::int32_t {
  MemberContributions = 1,
  DividendIncome = 2,
  InterestIncome = 3,
  InvestmentIncome = 4,
  OtherIncome = 5,
  TransferIn = 6,
  Investments = 7,
  OperatingExpenses = 8,
  NonDeductibleExpenses = 9,
  TransferOut = 10,
};

constexpr std::uint8_t Code(AccountTranKind kind) { return static_cast<std::uint8_t>(kind); }
constexpr std::uint8_t Code(AccountOrigin origin) { return static_cast<std::uint8_t>(origin); }
constexpr std::uint8_t Code(MemberTranKind kind) { return static_cast<std::uint8_t>(kind); }
constexpr std::uint8_t Code(SecurityTranKind kind) { return static_cast<std::uint8_t>(kind); }
constexpr std::uint8_t Code(CategoryKind kind) { return static_cast<std::uint8_t>(kind); }
constexpr std::int32_t Code(PredefinedCategory id) { return static_cast<std::int32_t>(id); }

inline AccountTranKind KindOf(const TAccountTranRec& tran) { return static_cast<AccountTranKind>(tran.typ); }
inline AccountOrigin OriginOf(const TAccountTranRec& tran) { return static_cast<AccountOrigin>(tran.updateloc); }
inline MemberTranKind KindOf(const TMemberTranRec& tran) { return static_cast<MemberTranKind>(tran.typ); }
inline SecurityTranKind KindOf(const TSecurityTranRec& tran) { return static_cast<SecurityTranKind>(tran.typ); }
inline CategoryKind KindOf(const TCategoryRec& category) { return static_cast<CategoryKind>(category.typ); }

// Checks, withdrawals, bank charges and transfers out lower the balance; the
// other kinds raise it.
bool IsDebit(AccountTranKind kind);

// A purchase or reinvestment not yet sold: what a sale can relieve.
bool IsOpenLot(const TSecurityTranRec& tran);

// The flags `tax` and `compc` by what they mean for each kind:
// a purchase with `compc` covers short sales and moves no totals;
bool IsCoveringPurchase(const TSecurityTranRec& tran);
// a sale with `compc` is short, unless it is a sale of split fractions, whose
// `compc` says the company paid its commission;
bool IsShortSale(const TSecurityTranRec& tran);
// a purchase with `tax` is the lot of fractional shares a split sold for cash;
bool IsFractionLot(const TSecurityTranRec& tran);
// a sale with `tax` is that split's sale of the fractional shares;
bool IsFractionSale(const TSecurityTranRec& tran);
// a reinvestment without `compc` paid its commission out of the dividend, which
// buys shares only with what is left.
bool CommissionFromDividend(const TSecurityTranRec& tran);

// A short sale not yet covered: what a covering purchase can take.
bool IsOpenShortSale(const TSecurityTranRec& tran);

// Categories 1 to 10, which cannot be changed.
bool IsPredefinedCategory(std::int32_t catid);

// The register's label: "Check", "Deposit", "Withdrawal", "Bank Charge",
// "Interest", "Transfer Out", "Transfer In"; "Unknown" for any other code.
std::string AccountKindLabel(AccountTranKind kind);

// The dues grid's label: "Payment", "Payout", "NU Payment", "NU Earnings",
// "Earnings", "Fee"; "Unknown" for any other code.
std::string MemberKindLabel(MemberTranKind kind);

// The lot chooser's label of an open lot or open short sale: "Buy", "Short Sell",
// and "Re-Investment" or, untaxed, "NO Tax-ReInv".
std::string LotLabel(const TSecurityTranRec& tran);

// A lot the clear `clear_stranid` closed: a clear relieves every lot open on its
// date and links each to itself.
bool IsClosedByClear(const TSecurityTranRec& lot, std::int32_t clear_stranid);

}  // namespace pellmark
