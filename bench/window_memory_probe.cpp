// Peak resident memory of the viewer's process: the window shown, then the
// open command run `opens` times on one region (0: only starts). Prints
// "hwm_kib first_rss_kib last_rss_kib", first being after the first opens.
// With "dialog" or "cancel" the real file dialog is shown each time, and the
// name typed and confirmed, or the dialog cancelled.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "testing/path_dialog.h"
#include "testing/process_probe.h"
#include "window/application_setup.h"
#include "window/main_window.h"

int main(int argc, char* argv[]) {
  if (argc < 2 || (std::atoi(argv[1]) > 0 && argc < 3)) {
    std::fprintf(stderr, "usage: %s OPENS [FILE [dialog|cancel]]\n", argv[0]);
    return 2;
  }
  const int opens = std::atoi(argv[1]);
  std::string path = opens > 0 ? argv[2] : "";
  const std::string through = argc > 3 ? argv[3] : "";
  // Opens before the first figure: the real dialog settles over a few uses.
  const int settling = through.empty() ? 1 : 5;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  geodata::PrepareApplication();
  geodata::Form1 window(through.empty() ? std::make_unique<geodata::PathDialog>(path) : nullptr);
  QTimer person;
  QObject::connect(&person, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    if (through == "cancel") {
      dialog->reject();
      return;
    }
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QString::fromStdString(path));
    static_cast<QDialog*>(dialog)->accept();  // as the Open button does
  });
  if (!through.empty()) person.start(1);
  window.show();
  QApplication::processEvents();
  long first_rss = geodata::testing::ResidentKiB();
  for (int n = 0; n < opens; ++n) {
    window.OpenGeo_Click();
    QApplication::processEvents();
    if (n == settling - 1) first_rss = geodata::testing::ResidentKiB();
  }
  std::printf("%ld %ld %ld\n", geodata::testing::PeakResidentKiB(), first_rss,
              geodata::testing::ResidentKiB());
  return 0;
}
