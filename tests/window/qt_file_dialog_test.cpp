#include "window/qt_file_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <functional>
#include <string>

#include "tests/support/temp_dir.h"

namespace geodata {
namespace {

TEST(ToQtNameFilters, ShowsEachDescriptionAndMatchesItsPatterns) {
  struct Case {
    std::string filter;
    QStringList want;
  };
  const Case cases[] = {
      {"GeoData file (*.dat) |*.dat", {"GeoData file (*.dat)"}},
      {"Regions|*.dat", {"Regions (*.dat)"}},
      {"Images|*.png;*.jpg|All files|*.*", {"Images (*.png *.jpg)", "All files (*.*)"}},
      {"|*.dat", {"(*.dat)"}},
      {"", {}},
      {"No pattern", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ToQtNameFilters(c.filter), c.want) << c.filter;
}

// Runs ShowOpen while `act` plays the person at the real dialog. Whatever
// stays open after it is closed, so a failure cannot hang the test.
bool ShowWith(QtFileDialog& dialog, const std::function<void(QFileDialog&)>& act) {
  bool acted = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    auto* shown = qobject_cast<QFileDialog*>(modal);
    if (shown && !acted) {
      acted = true;
      act(*shown);
    } else if (modal) {
      modal->close();
    }
  });
  poll.start(10);
  return dialog.ShowOpen();
}

TEST(QtFileDialog, OffersTheFilterFromTheCurrentFolderAndReturnsTheChoice) {
  testing::TempDir dir;
  const std::byte nothing[1] = {};
  const std::string path = dir.Write("region.dat", nothing);
  QtFileDialog dialog(nullptr);
  dialog.Filter("GeoData file (*.dat) |*.dat");

  QStringList offered;
  QString folder;
  EXPECT_TRUE(ShowWith(dialog, [&](QFileDialog& shown) {
    offered = shown.nameFilters();
    folder = shown.directory().absolutePath();
    auto* name = shown.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QString::fromStdString(path));  // typed, as a person would
    static_cast<QDialog&>(shown).accept();  // as the Open button does
  }));
  EXPECT_EQ(offered, QStringList{"GeoData file (*.dat)"});
  EXPECT_EQ(folder, QDir::current().absolutePath());
  EXPECT_EQ(dialog.FileName(), path);

  EXPECT_FALSE(ShowWith(dialog, [&](QFileDialog& shown) {
    folder = shown.directory().absolutePath();
    shown.reject();
  }));
  EXPECT_EQ(folder, QDir(QString::fromStdString(dir.path().string())).absolutePath())
      << "the next time it starts where the last file was";
}

}  // namespace
}  // namespace geodata
