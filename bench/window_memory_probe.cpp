// Peak resident memory of the viewer's process: the window shown, then the
// open command run `opens` times on one region (0: only starts). Prints
// "hwm_kib first_rss_kib last_rss_kib".
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "tests/support/path_dialog.h"
#include "tools/process_counters.h"
#include "window/application_setup.h"
#include "window/main_window.h"

int main(int argc, char* argv[]) {
  if (argc < 2 || (std::atoi(argv[1]) > 0 && argc < 3)) {
    std::fprintf(stderr, "usage: %s OPENS [FILE]\n", argv[0]);
    return 2;
  }
  const int opens = std::atoi(argv[1]);
  std::string path = opens > 0 ? argv[2] : "";
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  geodata::PrepareApplication();
  geodata::Form1 window(std::make_unique<geodata::PathDialog>(path));
  window.show();
  QApplication::processEvents();
  long first_rss = geodata::ResidentKiB();
  for (int n = 0; n < opens; ++n) {
    window.OpenGeo_Click();
    QApplication::processEvents();
    if (n == 0) first_rss = geodata::ResidentKiB();
  }
  std::printf("%ld %ld %ld\n", geodata::PeakResidentKiB(), first_rss,
              geodata::ResidentKiB());
  return 0;
}
