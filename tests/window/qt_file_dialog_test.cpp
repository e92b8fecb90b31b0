#include "window/qt_file_dialog.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "testing/process_probe.h"
#include "testing/qt/modal_driver.h"
#include "testing/qt/qt_printers.h"
#include "testing/temp_dir.h"

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

// Runs ShowOpen while `act` plays the person at the real dialog.
bool ShowWith(QtFileDialog& dialog, const std::function<void(QFileDialog&)>& act) {
  testing::ModalDriver person([&](QWidget& modal) {
    auto* shown = qobject_cast<QFileDialog*>(&modal);
    ASSERT_NE(shown, nullptr) << "a file dialog";
    act(*shown);
  });
  const bool confirmed = dialog.ShowOpen();
  EXPECT_EQ(person.shown, 1);
  return confirmed;
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
  QPointer<QFileDialog> first;
  QPointer<QWidget> list;
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
    list = completer->popup();
    list->show();
    static_cast<QDialog&>(shown).accept();  // as the Open button does
  }));
  EXPECT_EQ(offered, QStringList{"GeoData file (*.dat)"});
  EXPECT_TRUE(first.isNull()) << "a dialog per use, gone when it closes";
  EXPECT_TRUE(list.isNull() || !list->isVisible()) << "a list left open would keep the pointer";
  EXPECT_EQ(folder, QDir::current().absolutePath());
  EXPECT_EQ(dialog.FileName(), path);

  // A cancel changes nothing, whatever was clicked or typed in another folder.
  const testing::TempDir elsewhere;
  const QString other = QString::fromStdString(elsewhere.Write("other.dat", nothing));
  const auto click = [&](QFileDialog& shown) { shown.selectFile(other); };
  const auto type = [&](QFileDialog& shown) {
    shown.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(other);
  };
  const struct {
    const char* name;
    std::function<void(QFileDialog&)> choose, cancel;
  } cancels[] = {
      {"nothing chosen, rejected", [](QFileDialog&) {}, [](QFileDialog& shown) { shown.reject(); }},
      {"a file clicked, Cancel", click,
       [](QFileDialog& shown) { shown.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click(); }},
      {"a name typed, Escape", type, [](QFileDialog& shown) { QTest::keyClick(shown.focusWidget(), Qt::Key_Escape); }},
      {"a file clicked, the title bar's close", click, [](QFileDialog& shown) { shown.close(); }},
  };
  for (const auto& c : cancels) {
    const bool confirmed = ShowWith(dialog, [&](QFileDialog& shown) {
      folder = shown.directory().absolutePath();
      c.choose(shown);
      c.cancel(shown);
      EXPECT_FALSE(shown.isVisible()) << c.name;
    });
    EXPECT_FALSE(confirmed) << c.name;
    EXPECT_EQ(folder, QDir(QString::fromStdString(testing::Utf8(dir.path()))).absolutePath())
        << c.name << ": the next time it starts where the last file was";
    EXPECT_EQ(dialog.FileName(), path) << c.name;
  }
}

// Qt's dialog would keep its history in the user's settings; the program
// writes nothing, there or anywhere under the user's home, a fresh folder
// the tests' main gave the process.
TEST(QtFileDialog, WritesNothingUnderTheUsersHome) {
  const testing::TempDir files;
  QtFileDialog dialog(nullptr);
  for (int use = 0; use < 2; ++use) {  // a second use would read what the first kept
    EXPECT_TRUE(ShowWith(dialog, [&](QFileDialog& shown) {
      shown.selectFile(QString::fromStdString(files.Write("region.dat", {})));
      static_cast<QDialog&>(shown).accept();
    }));
  }
  EXPECT_TRUE(std::filesystem::is_empty(testing::Utf8Path(qgetenv("HOME").toStdString())));
}

// The .dat files the shown dialog lists in `folder`, once its listing has
// arrived from Qt's worker thread (the first that holds `awaited`, or what
// it holds after five seconds). QFileSystemModel is Qt's own, not ours:
// should Qt list otherwise, this finds no model and the test fails.
QStringList Listed(const QFileDialog& shown, const QString& folder, const QString& awaited) {
  const auto* model = shown.findChild<QFileSystemModel*>();
  if (model == nullptr) return {"no QFileSystemModel in the dialog"};
  QStringList names;
  (void)QTest::qWaitFor([&] {
    names.clear();
    const QModelIndex parent = model->index(folder);
    for (int row = 0; row < model->rowCount(parent); ++row) {
      names << model->fileName(model->index(row, 0, parent));
    }
    return names.contains(awaited);
  }, 5000);
  names.sort();
  return names;
}

// Hidden between uses, the dialog does nothing, so nothing in the folder
// can set it working; shown, it lists the folder as it is then.
TEST(QtFileDialog, WatchesNothingWhileHiddenAndShowsTheFolderAsItIsWhenShown) {
  testing::TempDir dir;
  const std::byte nothing[1] = {};
  const QString folder = QString::fromStdString(dir.path().string());
  const std::string kept = dir.Write("kept.dat", nothing);
  const std::string gone = dir.Write("gone.dat", nothing);
  const std::int64_t watches = testing::FolderWatches();
  QtFileDialog dialog(nullptr);
  dialog.Filter("GeoData file (*.dat) |*.dat");
  QPointer<QFileDialog> first;
  QStringList listed;
  EXPECT_TRUE(ShowWith(dialog, [&](QFileDialog& shown) {
    first = &shown;
    shown.setDirectory(folder);
    listed = Listed(shown, folder, "kept.dat");
    shown.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QString::fromStdString(kept));
    static_cast<QDialog&>(shown).accept();
  }));
  EXPECT_EQ(listed, QStringList({"gone.dat", "kept.dat"}));
  EXPECT_EQ(testing::FolderWatches(), watches) << "the folder and its parents are watched while hidden";
  EXPECT_TRUE(first.isNull()) << "no model, worker thread or timer stays behind to react";

  dir.Write("new.dat", nothing);
  std::filesystem::remove(gone);
  EXPECT_FALSE(ShowWith(dialog, [&](QFileDialog& shown) {
    listed = Listed(shown, folder, "new.dat");
    shown.reject();
  }));
  EXPECT_EQ(listed, QStringList({"kept.dat", "new.dat"})) << "a created file is there, a deleted one gone";
  EXPECT_EQ(testing::FolderWatches(), watches);
}

// Named from the file name alone: a reading provider would call the first a
// PNG image, and could block on a special file. Icons are shared.
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
  const QIcon first = icons.icon(QFileInfo(QString::fromStdString(dir.Write("first.dat", png))));
  for (const Case& c : cases) {
    const QFileInfo info(QString::fromStdString(dir.Write(c.name, c.bytes)));
    EXPECT_EQ(icons.type(info), c.type) << c.name;
    // One icon for all files: a folder of many would otherwise load its pictures for each.
    EXPECT_EQ(icons.icon(info).cacheKey(), first.cacheKey()) << c.name;
  }
  EXPECT_EQ(icons.type(QFileInfo(QString::fromStdString(dir.path().string()))), "Folder");
}

}  // namespace
}  // namespace geodata
