#include "window/application_setup.h"

#include <QApplication>
#include <QByteArray>
#include <QMessageBox>
#include <QSettings>
#include <algorithm>
#include <memory>
#include <new>

#include "region/block_store.h"
#include "window/main_window.h"
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
  // the user's settings. On Linux these paths, where nothing can be written,
  // stop it; on Windows the dialog's settings are the registry, which no
  // path moves: there only our Qt, whose dialog is built without settings,
  // writes nothing.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
  InstallPanelAccessibility();
}

int RunWindow(double desktop_scale) {
  std::unique_ptr<Form1> window;
  try {
    window = std::make_unique<Form1>(nullptr, nullptr, desktop_scale);
  } catch (const std::bad_alloc&) {
    const auto megabytes = (BlockStore::kBytes + 500'000) / 1'000'000;
    QMessageBox::critical(nullptr, QStringLiteral("GeoData viewer"),
                          QStringLiteral("The region table (%1 MB) could not be reserved: there is "
                                         "not enough memory. The viewer cannot start.")
                              .arg(megabytes));
    return 1;
  }
  window->show();
  return QApplication::exec();
}

}  // namespace geodata
