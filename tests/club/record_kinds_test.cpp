#include "club/record_kinds.h"

#include <gtest/gtest.h>

namespace pellmark {
namespace {

TSecurityTranRec Security(SecurityTranKind kind) {
  TSecurityTranRec tran;
  tran.typ = Code(kind);
  return tran;
}

TEST(RecordKinds, CodesAreTheStoredBytes) {
  EXPECT_EQ(Code(AccountTranKind::Check), 0);
  EXPECT_EQ(Code(AccountTranKind::Deposit), 1);
  EXPECT_EQ(Code(AccountTranKind::Withdrawal), 2);
  EXPECT_EQ(Code(AccountTranKind::BankCharge), 3);
  EXPECT_EQ(Code(AccountTranKind::Interest), 4);
  EXPECT_EQ(Code(AccountTranKind::TransferOut), 5);
  EXPECT_EQ(Code(AccountTranKind::TransferIn), 6);

  EXPECT_EQ(Code(AccountOrigin::AccountsPage), 0);
  EXPECT_EQ(Code(AccountOrigin::Security), 1);
  EXPECT_EQ(Code(AccountOrigin::Member), 2);

  EXPECT_EQ(Code(MemberTranKind::Payment), 0);
  EXPECT_EQ(Code(MemberTranKind::Payout), 2);
  EXPECT_EQ(Code(MemberTranKind::NuPayment), 3);
  EXPECT_EQ(Code(MemberTranKind::NuEarnings), 4);
  EXPECT_EQ(Code(MemberTranKind::Earnings), 5);
  EXPECT_EQ(Code(MemberTranKind::Fee), 6);

  EXPECT_EQ(Code(SecurityTranKind::Purchase), 0);
  EXPECT_EQ(Code(SecurityTranKind::Sale), 1);
  EXPECT_EQ(Code(SecurityTranKind::Dividend), 2);
  EXPECT_EQ(Code(SecurityTranKind::Reinvestment), 3);
  EXPECT_EQ(Code(SecurityTranKind::CapitalReduction), 4);
  EXPECT_EQ(Code(SecurityTranKind::CapitalGain), 5);
  EXPECT_EQ(Code(SecurityTranKind::Clear), 6);
  EXPECT_EQ(Code(SecurityTranKind::Split), 7);
  EXPECT_EQ(Code(SecurityTranKind::BasisChange), 8);
  EXPECT_EQ(Code(SecurityTranKind::ForeignTax), 9);

  EXPECT_EQ(Code(CategoryKind::Income), 1);
  EXPECT_EQ(Code(CategoryKind::Expense), 2);

  EXPECT_EQ(Code(PredefinedCategory::MemberContributions), 1);
  EXPECT_EQ(Code(PredefinedCategory::DividendIncome), 2);
  EXPECT_EQ(Code(PredefinedCategory::InterestIncome), 3);
  EXPECT_EQ(Code(PredefinedCategory::InvestmentIncome), 4);
  EXPECT_EQ(Code(PredefinedCategory::OtherIncome), 5);
  EXPECT_EQ(Code(PredefinedCategory::TransferIn), 6);
  EXPECT_EQ(Code(PredefinedCategory::Investments), 7);
  EXPECT_EQ(Code(PredefinedCategory::OperatingExpenses), 8);
  EXPECT_EQ(Code(PredefinedCategory::NonDeductibleExpenses), 9);
  EXPECT_EQ(Code(PredefinedCategory::TransferOut), 10);
}

TEST(RecordKinds, ACodeWithoutANameReadsBackUnchanged) {
  TAccountTranRec account;
  account.typ = 200;
  account.updateloc = 9;
  EXPECT_EQ(Code(KindOf(account)), 200);
  EXPECT_EQ(Code(OriginOf(account)), 9);
  TMemberTranRec member;
  member.typ = 1;
  EXPECT_EQ(Code(KindOf(member)), 1);
  EXPECT_EQ(MemberKindLabel(KindOf(member)), "Unknown");
  EXPECT_EQ(AccountKindLabel(KindOf(account)), "Unknown");
}

TEST(RecordKinds, DebitsLowerTheBalance) {
  for (AccountTranKind debit : {AccountTranKind::Check, AccountTranKind::Withdrawal, AccountTranKind::BankCharge,
                                AccountTranKind::TransferOut}) {
    EXPECT_TRUE(IsDebit(debit)) << AccountKindLabel(debit);
  }
  for (AccountTranKind credit : {AccountTranKind::Deposit, AccountTranKind::Interest, AccountTranKind::TransferIn}) {
    EXPECT_FALSE(IsDebit(credit)) << AccountKindLabel(credit);
  }
}

TEST(RecordKinds, AnOpenLotIsAnUnsoldPurchaseOrReinvestment) {
  EXPECT_TRUE(IsOpenLot(Security(SecurityTranKind::Purchase)));
  EXPECT_TRUE(IsOpenLot(Security(SecurityTranKind::Reinvestment)));

  TSecurityTranRec sold = Security(SecurityTranKind::Purchase);
  sold.sold = true;
  EXPECT_FALSE(IsOpenLot(sold));
  for (SecurityTranKind other :
       {SecurityTranKind::Sale, SecurityTranKind::Dividend, SecurityTranKind::CapitalGain, SecurityTranKind::Clear}) {
    EXPECT_FALSE(IsOpenLot(Security(other))) << int{Code(other)};
  }
}

TEST(RecordKinds, AnOpenShortSaleIsAShortSaleNotYetCovered) {
  TSecurityTranRec short_sale = Security(SecurityTranKind::Sale);
  short_sale.compc = true;
  EXPECT_TRUE(IsOpenShortSale(short_sale));

  TSecurityTranRec covered = short_sale;
  covered.sold = true;
  EXPECT_FALSE(IsOpenShortSale(covered));

  EXPECT_FALSE(IsOpenShortSale(Security(SecurityTranKind::Sale)));  // sold from lots

  TSecurityTranRec company_paid_fractions = short_sale;  // `compc` here says who paid the commission
  company_paid_fractions.tax = true;
  EXPECT_FALSE(IsOpenShortSale(company_paid_fractions));

  TSecurityTranRec covering_purchase = Security(SecurityTranKind::Purchase);
  covering_purchase.compc = true;
  EXPECT_FALSE(IsOpenShortSale(covering_purchase));
}

TEST(RecordKinds, OnlyTheTenPredefinedCategoriesArePredefined) {
  EXPECT_FALSE(IsPredefinedCategory(0));
  EXPECT_TRUE(IsPredefinedCategory(Code(PredefinedCategory::MemberContributions)));
  EXPECT_TRUE(IsPredefinedCategory(Code(PredefinedCategory::TransferOut)));
  EXPECT_FALSE(IsPredefinedCategory(11));
  EXPECT_FALSE(IsPredefinedCategory(-1));
}

TEST(RecordKinds, RegisterLabels) {
  EXPECT_EQ(AccountKindLabel(AccountTranKind::Check), "Check");
  EXPECT_EQ(AccountKindLabel(AccountTranKind::Deposit), "Deposit");
  EXPECT_EQ(AccountKindLabel(AccountTranKind::Withdrawal), "Withdrawal");
  EXPECT_EQ(AccountKindLabel(AccountTranKind::BankCharge), "Bank Charge");
  EXPECT_EQ(AccountKindLabel(AccountTranKind::Interest), "Interest");
  EXPECT_EQ(AccountKindLabel(AccountTranKind::TransferOut), "Transfer Out");
  EXPECT_EQ(AccountKindLabel(AccountTranKind::TransferIn), "Transfer In");
}

TEST(RecordKinds, DuesGridLabels) {
  EXPECT_EQ(MemberKindLabel(MemberTranKind::Payment), "Payment");
  EXPECT_EQ(MemberKindLabel(MemberTranKind::Payout), "Payout");
  EXPECT_EQ(MemberKindLabel(MemberTranKind::NuPayment), "NU Payment");
  EXPECT_EQ(MemberKindLabel(MemberTranKind::NuEarnings), "NU Earnings");
  EXPECT_EQ(MemberKindLabel(MemberTranKind::Earnings), "Earnings");
  EXPECT_EQ(MemberKindLabel(MemberTranKind::Fee), "Fee");
}

TEST(RecordKinds, LotChooserLabels) {
  EXPECT_EQ(LotLabel(Security(SecurityTranKind::Purchase)), "Buy");
  TSecurityTranRec short_sale = Security(SecurityTranKind::Sale);
  short_sale.compc = true;
  EXPECT_EQ(LotLabel(short_sale), "Short Sell");
  TSecurityTranRec reinvestment = Security(SecurityTranKind::Reinvestment);
  reinvestment.tax = true;
  EXPECT_EQ(LotLabel(reinvestment), "Re-Investment");
  reinvestment.tax = false;
  EXPECT_EQ(LotLabel(reinvestment), "NO Tax-ReInv");
}

}  // namespace
}  // namespace pellmark
