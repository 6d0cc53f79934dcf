#include "forms/summary_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "club/dates.h"

namespace pellmark {
namespace {

using ::testing::ElementsAre;

TEST(SummaryText, APerformanceIsUpOrDownByItsWholePercentOrEven) {
  EXPECT_EQ(PerformanceText(0.2), "Up 20%");
  EXPECT_EQ(SummaryCaption(0.2), "Summary - Up 20%");
  EXPECT_EQ(PerformanceText(-0.05), "Down 5%");
  EXPECT_EQ(SummaryCaption(-0.05), "Summary - Down 5%");
  EXPECT_EQ(PerformanceText(0), "Even");
  EXPECT_EQ(SummaryCaption(0), "Summary - Even");
  // Half a percent rounds away from zero either way; a gain too small for a
  // whole percent is still a gain.
  EXPECT_EQ(PerformanceText(0.125), "Up 13%");
  EXPECT_EQ(PerformanceText(-0.125), "Down 13%");
  EXPECT_EQ(PerformanceText(0.00049), "Up 0%");
  EXPECT_EQ(PerformanceText(1.5), "Up 150%");
}

TEST(SummaryText, TheValuationsListShowsEachUnitValueAsOfItsDateOrSaysThereAreNone) {
  TUnitValueRec june;
  june.date = DayNumberFromCivil({2026, 6, 30});
  june.unitval = 40;
  TUnitValueRec january;
  january.date = DayNumberFromCivil({2026, 1, 1});
  january.unitval = 25.125;  // exact in binary: half a cent rounds up, as in the summary
  EXPECT_THAT(ValuationLines({june, january}, 2026),
              ElementsAre("$40.00 as of 06/30/2026", "$25.13 as of 01/01/2026"));
  EXPECT_THAT(ValuationLines({}, 2024), ElementsAre("No Valuations for 2024"));
}

}  // namespace
}  // namespace pellmark
