#include "testing/qt/close_request.h"

#include <QWidget>
#include <QtGui/qpa/qwindowsysteminterface.h>

namespace geodata::testing {

void RequestClose(QWidget& window) { QWindowSystemInterface::handleCloseEvent(window.windowHandle()); }

}  // namespace geodata::testing
