// Widget tests need one QApplication for the whole run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Headless also when the build lists the tests.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // Qt's file dialog would keep its history in the user's settings.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
  return RUN_ALL_TESTS();
}
