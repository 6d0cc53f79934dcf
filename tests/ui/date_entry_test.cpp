#include "ui/date_entry.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/scripted_interaction.h"

namespace pellmark::ui {
namespace {

using ::testing::ElementsAre;

class DateEntryTest : public ::testing::Test {
 protected:
  DateEntryTest()
      : entry({"duesdate", "duescal", "yearlabel", "monthlabel", "duesdatespin", "monthspin", "yearspin"}, ui,
              *ParseDate("12/31/1999")),
        refreshes(&entry, &DateEntry::listRefreshDue),
        changes(&entry, &DateEntry::dateChanged) {
    entry.show();
  }

  QString Shown() const { return entry.findChild<QLineEdit*>("duesdate")->text(); }
  QString Month() const { return entry.findChild<QLabel*>("monthlabel")->text(); }
  QString Year() const { return entry.findChild<QLabel*>("yearlabel")->text(); }
  void Press(const char* button) {
    auto* found = entry.findChild<QWidget*>(QString::fromLatin1(button));
    ASSERT_NE(found, nullptr) << button;
    QTest::mouseClick(found, Qt::LeftButton);
  }
  void TypeAndLeave(const QString& text) {
    auto* field = entry.findChild<QLineEdit*>("duesdate");
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
  }
  void StartAt(const char* date) {
    entry.SetDate(*ParseDate(date));
    refreshes.clear();
    changes.clear();
  }

  testing::ScriptedInteraction ui;
  DateEntry entry;
  QSignalSpy refreshes;
  QSignalSpy changes;
};

TEST_F(DateEntryTest, StartsWithTheGivenDayAndItsLabels) {
  EXPECT_EQ(Shown(), QStringLiteral("12/31/1999"));
  EXPECT_EQ(Month(), QStringLiteral("December"));
  EXPECT_EQ(Year(), QStringLiteral("1999"));
  EXPECT_EQ(entry.Date(), *ParseDate("12/31/1999"));
}

TEST_F(DateEntryTest, AnInvalidTypedDateIsRefusedAndThePreviousDateRestored) {
  TypeAndLeave(QStringLiteral("13/45/1999"));
  EXPECT_THAT(ui.Messages(), ElementsAre("13/45/1999 is an invalid date."));
  EXPECT_EQ(Shown(), QStringLiteral("12/31/1999"));
  EXPECT_EQ(Month(), QStringLiteral("December"));
  EXPECT_EQ(entry.Date(), *ParseDate("12/31/1999"));
  EXPECT_EQ(refreshes.count(), 0);
  EXPECT_EQ(changes.count(), 0);

  ui.Clear();
  TypeAndLeave(QStringLiteral("02/30/2000"));
  EXPECT_THAT(ui.Messages(), ElementsAre("02/30/2000 is an invalid date."));
  EXPECT_EQ(Shown(), QStringLiteral("12/31/1999"));
}

TEST_F(DateEntryTest, AValidTypedDateMovesTheCalendarAndLabelsAndRefreshesTheList) {
  TypeAndLeave(QStringLiteral("2/3/1999"));
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(Shown(), QStringLiteral("02/03/1999"));
  EXPECT_EQ(Month(), QStringLiteral("February"));
  EXPECT_EQ(Year(), QStringLiteral("1999"));
  EXPECT_EQ(refreshes.count(), 1);
  ASSERT_EQ(changes.count(), 1);
  EXPECT_EQ(changes.at(0).at(0).toDouble(), *ParseDate("02/03/1999"));
  EXPECT_EQ(entry.findChild<QCalendarWidget*>("duescal"), nullptr);  // built when first opened
  Press("duescalbutton");
  EXPECT_EQ(entry.findChild<QCalendarWidget*>("duescal")->selectedDate(), QDate(1999, 2, 3));
}

TEST_F(DateEntryTest, DaySpinPastTheYearEndRefreshesTheList) {
  Press("duesdatespinup");
  EXPECT_EQ(Shown(), QStringLiteral("01/01/2000"));
  EXPECT_EQ(Month(), QStringLiteral("January"));
  EXPECT_EQ(Year(), QStringLiteral("2000"));
  EXPECT_EQ(refreshes.count(), 1);
  EXPECT_EQ(changes.count(), 1);

  Press("duesdatespinup");
  EXPECT_EQ(Shown(), QStringLiteral("01/02/2000"));
  EXPECT_EQ(refreshes.count(), 1);  // same year: no refresh
  Press("duesdatespindown");
  Press("duesdatespindown");
  EXPECT_EQ(Shown(), QStringLiteral("12/31/1999"));
  EXPECT_EQ(refreshes.count(), 2);
}

TEST_F(DateEntryTest, MonthSpinTakesTheFirstWhenTheDayIsMissing) {
  StartAt("01/31/2000");
  Press("monthspinup");
  EXPECT_EQ(Shown(), QStringLiteral("02/01/2000"));
  EXPECT_EQ(Month(), QStringLiteral("February"));
  EXPECT_EQ(refreshes.count(), 0);
  StartAt("12/15/1999");
  Press("monthspinup");
  EXPECT_EQ(Shown(), QStringLiteral("01/15/2000"));
  EXPECT_EQ(refreshes.count(), 1);
}

TEST_F(DateEntryTest, YearSpinAlwaysRefreshesAndLeavesTheLeapDay) {
  StartAt("02/29/2000");
  Press("yearspinup");
  EXPECT_EQ(Shown(), QStringLiteral("02/01/2001"));
  EXPECT_EQ(Year(), QStringLiteral("2001"));
  EXPECT_EQ(refreshes.count(), 1);
  Press("yearspindown");
  EXPECT_EQ(Shown(), QStringLiteral("02/01/2000"));
  EXPECT_EQ(refreshes.count(), 2);
}

TEST_F(DateEntryTest, TheCalendarWritesItsDateIntoTheField) {
  Press("duescalbutton");
  entry.findChild<QCalendarWidget*>("duescal")->setSelectedDate(QDate(2001, 7, 4));
  EXPECT_EQ(Shown(), QStringLiteral("07/04/2001"));
  EXPECT_EQ(Month(), QStringLiteral("July"));
  EXPECT_EQ(Year(), QStringLiteral("2001"));
  EXPECT_EQ(entry.Date(), *ParseDate("07/04/2001"));
}

TEST_F(DateEntryTest, TheKeyboardWorksTheSpins) {
  auto* field = entry.findChild<QLineEdit*>("duesdate");
  QTest::keyClick(field, Qt::Key_Up);
  EXPECT_EQ(Shown(), QStringLiteral("01/01/2000"));
  QTest::keyClick(field, Qt::Key_PageDown);
  EXPECT_EQ(Shown(), QStringLiteral("12/01/1999"));
  QTest::keyClick(field, Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(Shown(), QStringLiteral("12/01/2000"));
  EXPECT_TRUE(ui.Messages().empty());
}

}  // namespace
}  // namespace pellmark::ui
