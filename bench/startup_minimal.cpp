// The least a Qt 6 program does to show an empty main window of a given
// size, ended at the first paint: the yardstick for the viewer's start-up.
// With "menu" the window also has a "File" menu, to show what the first
// text on screen costs.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <cstdlib>
#include <cstring>

#include "bench/first_paint_reporter.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc < 3) return 2;
  QMainWindow window;
  window.resize(std::atoi(argv[1]), std::atoi(argv[2]));
  if (argc > 3 && std::strcmp(argv[3], "menu") == 0) window.menuBar()->addMenu(QStringLiteral("File"));
  geodata::bench::FirstPaintReporter reporter(window);
  window.show();
  return QApplication::exec();
}
