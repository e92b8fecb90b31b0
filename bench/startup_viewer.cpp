// The viewer's start-up as its entry point does it, ended at the first paint.
#include <QApplication>
#include <QSettings>

#include "bench/first_paint_reporter.h"
#include "window/main_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("GeoData viewer"));
  QApplication::setDesktopFileName(QStringLiteral("geodata-viewer"));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
  geodata::Form1 window;
  geodata::bench::FirstPaintReporter reporter(window);
  window.show();
  return QApplication::exec();
}
