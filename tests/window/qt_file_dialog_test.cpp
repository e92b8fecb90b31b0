#include "window/qt_file_dialog.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <functional>
#include <span>
#include <string>

#include "testing/temp_dir.h"
#include "window/file_name_icon_provider.h"

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
  // The name comes back as UTF-8 with the system's separators, as the reader takes it.
  const std::string path = dir.Write("Карта 地图.dat", nothing);
  QtFileDialog dialog(nullptr);
  dialog.Filter("GeoData file (*.dat) |*.dat");

  QStringList offered;
  QString folder;
  const QFileDialog* first = nullptr;
  const QFileDialog* second = nullptr;
  EXPECT_TRUE(ShowWith(dialog, [&](QFileDialog& shown) {
    first = &shown;
    EXPECT_TRUE(shown.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_NE(dynamic_cast<const FileNameIconProvider*>(shown.iconProvider()), nullptr);
    offered = shown.nameFilters();
    folder = shown.directory().absolutePath();
    auto* name = shown.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QString::fromStdString(path));  // typed, as a person would
    // A typed name that completes leaves the completer's list open.
    auto* completer = shown.findChild<QCompleter*>();
    ASSERT_NE(completer, nullptr);
    completer->popup()->show();
    static_cast<QDialog&>(shown).accept();  // as the Open button does
  }));
  EXPECT_EQ(offered, QStringList{"GeoData file (*.dat)"});
  for (const QCompleter* completer : first->findChildren<QCompleter*>()) {
    EXPECT_FALSE(completer->popup()->isVisible()) << "a list left open would keep the pointer";
  }
  EXPECT_EQ(folder, QDir::current().absolutePath());
  EXPECT_EQ(dialog.FileName(), path);

  EXPECT_FALSE(ShowWith(dialog, [&](QFileDialog& shown) {
    second = &shown;
    folder = shown.directory().absolutePath();
    shown.reject();
  }));
  EXPECT_EQ(folder, QDir(QString::fromStdString(testing::Utf8(dir.path()))).absolutePath())
      << "the next time it starts where the last file was";
  EXPECT_EQ(first, second) << "one dialog for the window's life";
}

// Named from the file name alone: a reading provider would call the first a
// PNG image, and could block on a special file.
TEST(FileNameIconProvider, NamesTypesFromTheFileNameWithoutReadingIt) {
  testing::TempDir dir;
  const std::string png_header = "\x89PNG\r\n\x1a\n";
  const auto png = std::as_bytes(std::span(png_header));
  const std::string text = "plain words";
  struct Case {
    const char* name;
    std::span<const std::byte> bytes;
    QString type;
  };
  const Case cases[] = {
      {"image.dat", png, "DAT File"},
      {"notes.png", std::as_bytes(std::span(text)), "PNG image"},
      {"no_suffix", png, "File"},
  };
  FileNameIconProvider icons;
  for (const Case& c : cases) {
    const QFileInfo info(QString::fromStdString(dir.Write(c.name, c.bytes)));
    EXPECT_EQ(icons.type(info), c.type) << c.name;
    EXPECT_FALSE(icons.icon(info).isNull()) << c.name;
  }
  EXPECT_EQ(icons.type(QFileInfo(QString::fromStdString(dir.path().string()))), "Folder");
}

}  // namespace
}  // namespace geodata
