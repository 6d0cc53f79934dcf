#include "forms/margin_form.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace pellmark {
namespace {

using ::testing::ElementsAre;

TEST(MarginFormTest, ShowsTwoDecimalsAndOffersTheDefaults) {
  MarginForm form = MarginForm::Showing({0.2, 1, 0.755, 0});
  EXPECT_EQ(form.top, "0.20");
  EXPECT_EQ(form.bottom, "1.00");
  EXPECT_EQ(form.right, "0.00");
  EXPECT_EQ(MarginForm::Defaults().Values(), (MarginValues{0.25, 0.25, 0.75, 0.5}));
}

TEST(MarginFormTest, EachInvalidEditHasItsMessageInTheDialogsOrder) {
  MarginForm form{"1.01", "-0.1", "x", ""};
  EXPECT_THAT(form.Errors(), ElementsAre("Top Margin must be between 0.00 and 1.00",
                                         "Bottom Margin must be between 0.00 and 1.00",
                                         "Right Margin must be between 0.00 and 1.00",
                                         "Left Margin must be between 0.00 and 1.00"));
  EXPECT_FALSE(form.Values());
  MarginForm edges{"0", "1", " 0.5 ", "1.00"};
  EXPECT_TRUE(edges.Errors().empty());
  EXPECT_EQ(edges.Values(), (MarginValues{0, 1, 0.5, 1}));
}

TEST(MarginFormTest, SettingsKeepTheShortestDecimal) {
  EXPECT_EQ(MarginSettingText(0.5), "0.5");
  EXPECT_EQ(MarginSettingText(0.25), "0.25");
  EXPECT_EQ(MarginSettingText(1), "1");
  EXPECT_EQ(MarginSettingText(0), "0");
}

}  // namespace
}  // namespace pellmark
