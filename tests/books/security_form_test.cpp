#include "books/security_form.h"

#include <gtest/gtest.h>

#include "club/dates.h"
#include "club/record_kinds.h"
#include "books/stock_text.h"

namespace pellmark {
namespace {

TEST(SecurityForm, ABoxStillShowingItsPromptReadsAsEmpty) {
  ledger::SecurityEntry entry = ReadSecurity({kSecurityNamePrompt, kSymbolPrompt});
  EXPECT_EQ(entry.name, "");
  EXPECT_EQ(entry.symbol, "");
  entry = ReadSecurity({"Acme Corp", "ACME"});
  EXPECT_EQ(entry.name, "Acme Corp");
  EXPECT_EQ(entry.symbol, "ACME");
  // Each box has its own prompt: the other one's is an ordinary text there.
  entry = ReadSecurity({kSymbolPrompt, kSecurityNamePrompt});
  EXPECT_EQ(entry.name, "Symbol");
  EXPECT_EQ(entry.symbol, "Security Name");
}

ledger::StockRow Row(SecurityTranKind kind) {
  ledger::StockRow row;
  row.date = DayNumberFromCivil({2026, 6, 26});
  row.kind = kind;
  row.record.typ = Code(kind);
  return row;
}

TEST(StockText, TradedSharesLoseTheirTrailingZeros) {
  ledger::StockRow lot = Row(SecurityTranKind::Purchase);
  lot.shares = 150;
  EXPECT_EQ(StockRowTexts(lot).shares, "150");
  lot.shares = 99.7576;
  EXPECT_EQ(StockRowTexts(lot).shares, "99.758");
  EXPECT_EQ(StockRowTexts(lot).type, "Buy");
}

TEST(StockText, TradedRowsShowSharesPriceAndCommission) {
  ledger::StockRow sale = Row(SecurityTranKind::Sale);
  sale.shares = 10.5;
  sale.amount = 282.5;
  sale.price = 28.25;
  sale.commission = 5.3;
  const StockRowText text = StockRowTexts(sale);
  EXPECT_EQ(text.date, "06/26/2026");
  EXPECT_EQ(text.type, "Sell");
  EXPECT_EQ(text.shares, "10.5");
  EXPECT_EQ(text.amount, "282.50");
  EXPECT_EQ(text.price, "28.25");
  EXPECT_EQ(text.comm, "5.30");
}

TEST(StockText, ClearsSplitsAndBasisChangesShowTheirFiguresInTheSharesColumn) {
  ledger::StockRow clear = Row(SecurityTranKind::Clear);
  clear.shares = 5;
  EXPECT_EQ(StockRowTexts(clear).shares, "5.000");
  EXPECT_EQ(StockRowTexts(clear).amount, "");

  ledger::StockRow split = Row(SecurityTranKind::Split);
  split.ratio = {3, 2};
  EXPECT_EQ(StockRowTexts(split).shares, "3 for 2");
  EXPECT_EQ(StockRowTexts(split).type, "Stock Split");

  ledger::StockRow basis = Row(SecurityTranKind::BasisChange);
  basis.ratio = {12.5, 10};
  EXPECT_EQ(StockRowTexts(basis).shares, "12.50 to 10");
  EXPECT_EQ(StockRowTexts(basis).price, "");
}

TEST(StockText, ANegativeAmountShowsInParentheses) {
  ledger::StockRow loss = Row(SecurityTranKind::CapitalGain);
  loss.amount = -12.5;
  loss.record.amount = -12.5;
  EXPECT_EQ(StockRowTexts(loss).amount, "(12.50)");
  EXPECT_EQ(StockRowTexts(loss).type, "LT Cap-Loss");
}

}  // namespace
}  // namespace pellmark
