#include "books/member_form.h"

#include <gtest/gtest.h>

#include "club/dates.h"
#include "books/dues_text.h"

namespace pellmark {
namespace {

TEST(MemberForm, ANameFieldStillShowingItsPromptReadsAsNoName) {
  MemberFields fields;
  fields.lname = kLastNamePrompt;
  fields.fname = "Ann";
  fields.city = "Springfield";
  ledger::MemberEntry entry = ReadMember(fields);
  EXPECT_EQ(entry.lname, "");
  EXPECT_EQ(entry.fname, "Ann");
  EXPECT_EQ(entry.city, "Springfield");

  fields.lname = "Smith";
  fields.fname = kFirstNamePrompt;
  entry = ReadMember(fields);
  EXPECT_EQ(entry.lname, "Smith");
  EXPECT_EQ(entry.fname, "");

  // A person may be called "Name"; only a group's one field has that prompt.
  fields.fname = kGroupNamePrompt;
  EXPECT_EQ(ReadMember(fields).fname, "Name");
}

TEST(MemberForm, AGroupReadsItsOneNameAndNoPersonsNames) {
  MemberFields fields;
  fields.group = true;
  fields.lname = "Smith";
  fields.fname = "Ann";
  fields.name = kGroupNamePrompt;
  fields.email = "club@example.org";
  ledger::MemberEntry entry = ReadMember(fields);
  EXPECT_TRUE(entry.group);
  EXPECT_EQ(entry.name, "");
  EXPECT_EQ(entry.lname, "");
  EXPECT_EQ(entry.fname, "");
  EXPECT_EQ(entry.email, "club@example.org");

  fields.name = "Last Name";
  EXPECT_EQ(ReadMember(fields).name, "Last Name");
  EXPECT_EQ(ledger::ListingName(ReadMember(fields)), "Last Name");
}

ledger::DuesRow Row(MemberTranKind kind, double amount, std::optional<double> units) {
  ledger::DuesRow row;
  row.date = DayNumberFromCivil({2026, 2, 2});
  row.kind = kind;
  row.amount = amount;
  row.units = units;
  return row;
}

TEST(DuesText, AmountsAndUnitsTakenOutShowInParentheses) {
  DuesRowText text = DuesRowTexts(Row(MemberTranKind::Payment, 100, 4));
  EXPECT_EQ(text.date, "02/02/2026");
  EXPECT_EQ(text.kind, "Payment");
  EXPECT_EQ(text.amount, "100.00");
  EXPECT_EQ(text.units, "4.000");

  text = DuesRowTexts(Row(MemberTranKind::Payment, -12.5, -1.25));
  EXPECT_EQ(text.amount, "(12.50)");
  EXPECT_EQ(text.units, "(1.250)");

  // Redeemed units are always shown going out, whatever the payout's amount.
  text = DuesRowTexts(Row(MemberTranKind::Payout, 50, 2));
  EXPECT_EQ(text.kind, "Payout");
  EXPECT_EQ(text.amount, "50.00");
  EXPECT_EQ(text.units, "(2.000)");

  text = DuesRowTexts(Row(MemberTranKind::Fee, -5, std::nullopt));
  EXPECT_EQ(text.kind, "Fee");
  EXPECT_EQ(text.amount, "(5.00)");
  EXPECT_EQ(text.units, "");
}

TEST(DuesText, AFigureThatShowsAsZeroHasNoParentheses) {
  const DuesRowText text = DuesRowTexts(Row(MemberTranKind::Earnings, -0.004, -0.0004));
  EXPECT_EQ(text.amount, "0.00");
  EXPECT_EQ(text.units, "0.000");
}

}  // namespace
}  // namespace pellmark
