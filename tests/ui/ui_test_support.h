// Helpers for the widget tests: a main window on a fresh club folder with the
// scripted interaction port and a fixed day, and finding widgets by object name.
#pragma once

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

#include "club/clock.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"
#include "ui/pellmark_window.h"

namespace pellmark::ui {

// The named child of `parent`; fails the test when there is none.
template <class Widget>
Widget* Find(QObject& parent, const char* name) {
  auto* found = parent.findChild<Widget*>(QString::fromLatin1(name));
  EXPECT_NE(found, nullptr) << "no widget " << name;
  return found;
}

class MainWindowTest : public ::testing::Test {
 protected:
  std::unique_ptr<TPellmark> OpenWindow() {
    return std::make_unique<TPellmark>(folder.Path(), ui, clock);
  }

  // The first set-up through the Special page: Change, the club name and track
  // year typed, Commit.
  void SetUpClub(TPellmark& window, const QString& year = QStringLiteral("1999")) {
    QTest::mouseClick(Find<QWidget>(window, "clubinfochange"), Qt::LeftButton);
    Type(window, "clubname", QStringLiteral("Elm Street Investors"));
    Type(window, "trackyear", year);
    QTest::mouseClick(Find<QWidget>(window, "clubinfocommit"), Qt::LeftButton);
  }

  // Shows every page group once, so that all of them are built; the window
  // ends on the Special page.
  void VisitEveryPage(TPellmark& window) {
    for (MainTab tab : {MainTab::kMembers, MainTab::kSecurities, MainTab::kAccounts, MainTab::kReports,
                        MainTab::kSpecial}) {
      ASSERT_TRUE(window.ChooseTab(tab));
    }
  }

  // Replaces the text of the named field as the user would type it.
  void Type(TPellmark& window, const char* field, const QString& text) {
    auto* edit = Find<QWidget>(window, field);
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }

  testing::TempFolder folder;
  testing::ScriptedInteraction ui;
  FixedClock clock{DayNumberFromCivil({1999, 12, 31})};
};

}  // namespace pellmark::ui
