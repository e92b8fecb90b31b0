#include <QApplication>

#include "window/application_setup.h"
#include "window/main_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  geodata::PrepareApplication();
  geodata::Form1 window;
  window.show();
  return QApplication::exec();
}
