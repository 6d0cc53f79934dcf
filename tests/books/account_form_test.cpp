#include "books/account_form.h"

#include <gtest/gtest.h>

#include "club/dates.h"
#include "books/register_text.h"

namespace pellmark {
namespace {

std::string RefusalOf(const AccountFields& fields) {
  const AccountReading reading = ReadAccount(fields);
  EXPECT_FALSE(reading.entry.has_value());
  return reading.refusal;
}

TEST(AccountForm, ThePromptLeftAsItIsNamesNoAccount) {
  EXPECT_EQ(RefusalOf({"Account Name", "12", "0"}), "No Account to add.");
  EXPECT_EQ(RefusalOf({"  ", "12", "0"}), "No Account to add.");
  // The name is checked before the balance, as the page always did.
  EXPECT_EQ(RefusalOf({"Account Name", "", "12x"}), "No Account to add.");
  EXPECT_EQ(RefusalOf({"Twenty-six characters long", "", "0"}),
            "Name Twenty-six characters long is 26 characters long; at most 25 fit.");
}

TEST(AccountForm, AnInitialBalanceThatIsNoAmountIsRefusedInItsOwnWords) {
  EXPECT_EQ(RefusalOf({"Savings", "", "12x"}), "Initial Balance 12x is invalid.");
  EXPECT_EQ(RefusalOf({"Savings", "", ""}), "Initial Balance  is invalid.");
  EXPECT_EQ(RefusalOf({"Savings", "", "1e308"}), "Initial Balance 1e308 is invalid.");
}

TEST(AccountForm, GoodFieldsReadAsTheTypedEntryWithTheBalanceInCents) {
  const AccountReading reading = ReadAccount({"Account Names", "9-876", "12.345"});
  ASSERT_TRUE(reading.entry.has_value());
  EXPECT_EQ(reading.refusal, "");
  EXPECT_EQ(reading.entry->name, "Account Names");  // only the prompt itself is no name
  EXPECT_EQ(reading.entry->number, "9-876");
  EXPECT_EQ(reading.entry->initial, 12.35);
  EXPECT_EQ(ReadAccount({"Broker", "", "-0.004"}).entry->initial, 0.0);
}

TEST(RegisterText, ARowShowsItsDateClearedMarkKindAndCheckNumber) {
  ledger::RegisterRow check;
  check.date = DayNumberFromCivil({2026, 12, 3});
  check.cleared = false;
  check.kind = AccountTranKind::Check;
  check.check_number = 1043;
  check.record.desc = "Stamps";
  RegisterRowText text = RegisterRowTexts(check);
  EXPECT_EQ(text.date, "12/03/2026  *");
  EXPECT_EQ(text.kind, "Check");
  EXPECT_EQ(text.desc, "Stamps");
  EXPECT_EQ(text.check, "1043");

  ledger::RegisterRow charge = check;
  charge.cleared = true;
  charge.kind = AccountTranKind::BankCharge;
  charge.check_number.reset();
  text = RegisterRowTexts(charge);
  EXPECT_EQ(text.date, "12/03/2026");
  EXPECT_EQ(text.kind, "Bank Charge");
  EXPECT_EQ(text.check, "");
}

}  // namespace
}  // namespace pellmark
