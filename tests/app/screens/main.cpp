#include "support/TempDir.h"

#include <QApplication>
#include <QSettings>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
  // The build lists these tests by running this program, on machines without a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // What the windows remember goes to a folder of this run, never the tester's own.
  ovalon::testing::TempDir settings;
  QCoreApplication::setOrganizationName("Ovalon");
  QCoreApplication::setApplicationName("Ovalon Screen Tests");
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromStdString(settings.path().string()));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
