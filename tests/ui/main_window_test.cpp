#include <QAction>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "ui/pellmark_window.h"

namespace pellmark::ui {
namespace {

TEST(MainWindow, OpensTitledPellmarkAndClosesFromTheFileMenu) {
  TPellmark window(std::filesystem::temp_directory_path());
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Pellmark"));

  auto* exit = window.findChild<QAction*>(QStringLiteral("exit"));
  ASSERT_NE(exit, nullptr);
  exit->trigger();
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace pellmark::ui
