#include "reports/table_format.h"

#include <gtest/gtest.h>

namespace pellmark::reports {
namespace {

TEST(TableFormatTest, NormalisesEveryTokenToAlignmentAndShortestWidth) {
  ColumnFormat f = ParseColumnFormat(".76|>|<-1.5|^x||>2.50", '|', 0.5);
  EXPECT_EQ(f.text, "<0.76|>0.5|<-1.5|^0.5|<0.5|>2.5");
  ASSERT_EQ(f.columns.size(), 6u);
  EXPECT_EQ(f.columns[1].alignment, TextAlignment::kRight);
  EXPECT_EQ(f.columns[2].width, -1.5);
  EXPECT_EQ(f.columns[3].alignment, TextAlignment::kCenter);
}

TEST(TableFormatTest, AnAlignmentAloneTakesTheDefaultWidthOfZero) {
  EXPECT_EQ(ParseColumnFormat(">", '|', 0).text, ">0");
  EXPECT_EQ(ParseColumnFormat("", '|', 1).columns.size(), 0u);
}

TEST(TableFormatTest, AnotherSeparatorSplitsAndJoins) {
  EXPECT_EQ(ParseColumnFormat("<1;>0.52", ';', 0).text, "<1;>0.52");
  EXPECT_EQ(ParseColumnFormat("<1;>0.52", '|', 0).text, "<0");  // one token that is not a number
}

TEST(TableFormatTest, ScalingConvertsEveryWidth) {
  ColumnFormat f = ParseColumnFormat("<1|>-0.5", '|', 0);
  EXPECT_EQ(ScaleColumnFormat(f, '|', 25.4).text, "<25.4|>-12.7");
}

}  // namespace
}  // namespace pellmark::reports
