// GoogleTest main for widget tests: one application for the whole run, with the
// desktop program's operation boundary, on the offscreen platform unless the
// caller chose another, with the user's settings kept in a folder of the run so
// tests never read or change the real ones.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "ui/operation_boundary.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  QTemporaryDir settings;
  qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
  pellmark::ui::PellmarkApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
