// Peak resident memory of the viewer's process: the window shown, then the
// open command run `opens` times on each region in turn (0: only starts).
// Prints "hwm_kib first_rss_kib last_rss_kib" per region, first being after
// its first opens. With "dialog" or "cancel" the real file dialog is shown
// each time, and the name typed and confirmed, or the dialog cancelled.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "testing/path_dialog.h"
#include "testing/process_probe.h"
#include "window/application_setup.h"
#include "window/main_window.h"

int main(int argc, char* argv[]) {
  if (argc < 2 || (std::atoi(argv[1]) > 0 && argc < 3)) {
    std::fprintf(stderr, "usage: %s OPENS [FILE... [dialog|cancel]]\n", argv[0]);
    return 2;
  }
  const int opens = std::atoi(argv[1]);
  std::vector<std::string> files(argv + 2, argv + argc);
  std::string through;
  if (!files.empty() && (files.back() == "dialog" || files.back() == "cancel")) {
    through = files.back();
    files.pop_back();
  }
  // The file to open next, for the stand-in or the real dialog.
  const auto chooser = std::make_shared<geodata::DialogRecord>();
  // Opens before the first figure: the real dialog settles over a few uses.
  const int settling = through.empty() ? 1 : 5;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  geodata::PrepareApplication();
  geodata::Form1 window(through.empty() ? std::make_unique<geodata::PathDialog>(chooser) : nullptr);
  QTimer person;
  QObject::connect(&person, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    if (through == "cancel") {
      dialog->reject();
      return;
    }
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QString::fromStdString(chooser->answer));
    static_cast<QDialog*>(dialog)->accept();  // as the Open button does
  });
  if (!through.empty()) person.start(1);
  window.show();
  QApplication::processEvents();
  if (files.empty()) {
    const long rss = geodata::testing::ResidentKiB();
    std::printf("%ld %ld %ld\n", geodata::testing::PeakResidentKiB(), rss, rss);
  }
  for (const std::string& file : files) {
    chooser->answer = file;
    long first_rss = geodata::testing::ResidentKiB();
    std::ifstream in(file, std::ios::binary);
    const int region_x = in.get();
    const int region_y = in.get();
    for (int n = 0; n < opens; ++n) {
      // The person's confirmation can now and then miss the dialog: open again.
      for (int tries = 0;; ++tries) {
        window.OpenGeo_Click();
        QApplication::processEvents();
        if (window.Blocks().Header(1) == region_x && window.Blocks().Header(2) == region_y) break;
        if (tries == 3) {
          std::fprintf(stderr, "%s was not opened\n", file.c_str());
          return 1;
        }
      }
      if (n == settling - 1) first_rss = geodata::testing::ResidentKiB();
    }
    std::printf("%ld %ld %ld\n", geodata::testing::PeakResidentKiB(), first_rss, geodata::testing::ResidentKiB());
  }
  return 0;
}
