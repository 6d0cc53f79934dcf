// The figures the command line prints: a unit value's four decimals grouped by
// thousands, negatives in parentheses, and the value a script reads.
#include "cli/listing.h"

#include <gtest/gtest.h>

namespace pellmark::cli {
namespace {

TEST(ListingCells, AUnitValueShowsFourDecimalsGroupedByThousands) {
  EXPECT_EQ(UnitValueCell(8.35819).text, "$8.3582");
  EXPECT_EQ(UnitValueCell(999.99999).text, "$1,000.0000");
  EXPECT_EQ(UnitValueCell(1234567.5).text, "$1,234,567.5000");
  EXPECT_EQ(UnitValueCell(123456.25).text, "$123,456.2500");
  EXPECT_EQ(UnitValueCell(-1234.5).text, "($1,234.5000)");
  EXPECT_EQ(UnitValueCell(-0.00001).text, "$0.0000");  // shows as zero: no parentheses
  EXPECT_EQ(UnitValueCell(0).text, "$0.0000");
  EXPECT_EQ(UnitValueCell(1234.5).value, 1234.5);
}

}  // namespace
}  // namespace pellmark::cli
