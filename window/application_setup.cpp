#include "window/application_setup.h"

#include <QApplication>
#include <QByteArray>
#include <QSettings>
#include <algorithm>

#include "window/panel_accessibility.h"
#include "window/scale_rule.h"

namespace geodata {

platform::PrimaryScreen PrepareScreenScale() {
  platform::PrimaryScreen primary;
  // A scale asked of Qt itself counts as the system's.
  bool given = false;
  double asked = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&given);
  if (!given || asked <= 0) asked = 1;
  int factor = std::max(1, static_cast<int>(asked));
  // Without the screen's facts (under Wayland's own platform, which scales
  // the window by the compositor's whole factor) only the asked scale counts.
  if (primary.Facts()) {
    platform::ScreenFacts screen = *primary.Facts();
    screen.scale *= asked;
    factor = ChooseScale(screen).factor;
  }
  // Text sized at 96 dots per inch like the layout, whatever the system's
  // scale, then drawn at the factor: the primary screen's first in the
  // list, 1 on the others. Qt reads these as it starts.
  qunsetenv("QT_SCALE_FACTOR");
  qputenv("QT_FONT_DPI", QByteArray::number(platform::kBaseDpi));
  qputenv("QT_SCREEN_SCALE_FACTORS", QByteArray::number(factor));
  return primary;
}

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
