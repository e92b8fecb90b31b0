#include <QApplication>
#include <QMessageBox>
#include <memory>
#include <new>

#include "region/block_store.h"
#include "window/application_setup.h"
#include "window/main_window.h"

int main(int argc, char* argv[]) {
  const geodata::platform::PrimaryScreen screen = geodata::PrepareScreenScale();
  QApplication app(argc, argv);
  geodata::PrepareApplication();
  std::unique_ptr<geodata::Form1> window;
  try {
    window = std::make_unique<geodata::Form1>();
  } catch (const std::bad_alloc&) {
    // Without its table the program can do nothing; say so rather than abort.
    const auto megabytes = (geodata::BlockStore::kBytes + 500'000) / 1'000'000;
    QMessageBox::critical(nullptr, QStringLiteral("GeoData viewer"),
                          QStringLiteral("The region table (%1 MB) could not be reserved: there is "
                                         "not enough memory. The viewer cannot start.")
                              .arg(megabytes));
    return 1;
  }
  window->show();
  return QApplication::exec();
}
