// Widget tests need one QApplication for the whole run.
#include <gtest/gtest.h>

#include <QApplication>

#include "window/application_setup.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Headless also when the build lists the tests.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  geodata::PrepareApplication();  // settings point where nothing is written
  return RUN_ALL_TESTS();
}
