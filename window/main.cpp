#include <QApplication>

#include "window/application_setup.h"

int main(int argc, char* argv[]) {
  const geodata::platform::PrimaryScreen screen = geodata::PrepareScreenScale();
  QApplication app(argc, argv);
  geodata::PrepareApplication();
  return geodata::RunWindow(screen.Scale());
}
