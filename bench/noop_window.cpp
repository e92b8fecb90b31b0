// The yardstick for the pointer readout in a real X session: the viewer's own
// window, same shape, layout, menu and dialog, whose map still tracks the
// mouse and converts each move, but nothing answers the moves.
#include <QApplication>

#include "window/application_setup.h"
#include "window/main_window.h"
#include "window/map_panel_widget.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  geodata::PrepareApplication();
  geodata::Form1 window;
  auto* map = window.findChild<geodata::MapPanelWidget*>(QStringLiteral("Map"));
  if (map == nullptr || !map->hasMouseTracking()) return 2;
  QObject::disconnect(map, &geodata::MapPanelWidget::MouseMove, &window, nullptr);
  window.show();
  return QApplication::exec();
}
