// The viewer's start-up as its entry point does it, ended at the first paint.
#include <QApplication>

#include "bench/first_paint_reporter.h"
#include "window/application_setup.h"
#include "window/main_window.h"

int main(int argc, char* argv[]) {
  const geodata::platform::PrimaryScreen screen = geodata::PrepareScreenScale();
  QApplication app(argc, argv);
  geodata::PrepareApplication();
  geodata::Form1 window(nullptr, nullptr, screen.Scale());
  geodata::bench::FirstPaintReporter reporter(window);
  window.show();
  return QApplication::exec();
}
