#include "books/price_text.h"

#include <gtest/gtest.h>

namespace pellmark {
namespace {

TEST(PriceText, ARowShowsItsDateAndItsPriceToTheCentsOrTheDigitsItHas) {
  ledger::PriceRow row;
  row.date = DayNumberFromCivil({2026, 11, 3});
  row.price = 4.5;
  PriceRowText text = PriceRowTexts(row);
  EXPECT_EQ(text.date, "11/03/2026");
  EXPECT_EQ(text.price, "4.50");

  row.date = DayNumberFromCivil({1999, 2, 28});
  row.price = 1234.5678;
  text = PriceRowTexts(row);
  EXPECT_EQ(text.date, "02/28/1999");
  EXPECT_EQ(text.price, "1234.5678");
  // The texts follow the typed figures, not the record the row came from.
  row.record.price = 9;
  EXPECT_EQ(PriceRowTexts(row).price, "1234.5678");
}

}  // namespace
}  // namespace pellmark
