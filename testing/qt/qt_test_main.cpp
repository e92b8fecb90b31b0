// Widget tests need one QApplication for the whole run.
#include <gtest/gtest.h>

#include <QApplication>

#include "testing/temp_dir.h"
#include "window/application_setup.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Headless also when the build lists the tests.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // A fresh home, before Qt reads it once as it starts: the tests write
  // nothing under the user's own, and can see whatever the program writes.
  const geodata::testing::TempDir home;
  qputenv("HOME", QByteArray::fromStdString(geodata::testing::Utf8(home.path())));
  for (const char* moved : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) qunsetenv(moved);
  QApplication app(argc, argv);
  geodata::PrepareApplication();  // settings point where nothing is written
  return RUN_ALL_TESTS();
}
