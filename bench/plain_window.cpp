// The yardstick for the pointer readout in a real X session: a plain Qt
// window of the viewer's shape, a "File" menu over a client area of the same
// size, that takes the pointer's moves and does nothing with them.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QWidget>

#include "view/map_units.h"

namespace {

class TakesMoves final : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void mouseMoveEvent(QMouseEvent* event) override { event->accept(); }
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Plain window"));
  window.menuBar()->addMenu(QStringLiteral("File"));
  auto* client = new TakesMoves(&window);
  client->setFixedSize(geodata::ToPixels(geodata::kClientWidth), geodata::ToPixels(geodata::kClientHeight));
  client->setMouseTracking(true);
  window.setCentralWidget(client);
  window.show();
  return QApplication::exec();
}
