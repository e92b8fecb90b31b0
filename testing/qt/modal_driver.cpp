#include "testing/qt/modal_driver.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <utility>

namespace geodata::testing {

ModalDriver::ModalDriver(Answer answer) : answer_(std::move(answer)) { qApp->installEventFilter(this); }

ModalDriver::~ModalDriver() { qApp->removeEventFilter(this); }

bool ModalDriver::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show && watched->isWidgetType()) {
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->isWindow() && widget->isModal()) {
      // Shown just before its event loop starts: answered from inside it,
      // unless something else answered it first.
      QTimer::singleShot(0, this, [this, modal = QPointer<QWidget>(widget)] {
        if (modal && modal->isVisible()) Drive(*modal);
      });
    }
  }
  return false;
}

void ModalDriver::Drive(QWidget& modal) {
  ++shown;
  if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
    boxes.push_back({box->windowTitle(), box->text(), box->icon()});
    box->accept();
    return;
  }
  const QPointer<QWidget> left(&modal);
  if (answer_) answer_(modal);
  if (left && left->isVisible()) left->close();
}

}  // namespace geodata::testing
