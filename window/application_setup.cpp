#include "window/application_setup.h"

#include <QApplication>
#include <QSettings>

#include "window/panel_accessibility.h"

namespace geodata {

void PrepareApplication() {
  QApplication::setApplicationName(QStringLiteral("GeoData viewer"));
  QApplication::setDesktopFileName(QStringLiteral("geodata-viewer"));
  // The program writes nothing; Qt's file dialog would keep its history in
  // the user's settings, so they point where nothing can be written.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
  InstallPanelAccessibility();
}

}  // namespace geodata
