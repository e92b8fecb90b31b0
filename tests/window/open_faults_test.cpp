// Hostile files through the real open command: each shows the error box and
// leaves the window as it was, and the window still opens and paints a
// valid file afterwards.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "region/region_format.h"
#include "tests/support/path_dialog.h"
#include "tests/support/png_sample.h"
#include "tests/support/store_digest.h"
#include "tests/support/temp_dir.h"
#include "tools/region_writer.h"
#include "window/file_dialog.h"
#include "window/main_window.h"
#include "window/map_panel_widget.h"
#include "window/progress_panel_widget.h"
#include "window/text_panel_widget.h"

namespace geodata {
namespace {

using testing::TempDir;

struct ShownBox {
  QString title;
  QString text;
  QMessageBox::Icon icon;
};

// The real window, its error box read and closed as soon as it shows.
class Window {
 public:
  Window()
      : form_(std::make_unique<PathDialog>(path_)),
        map_(form_.findChild<MapPanelWidget*>(QStringLiteral("Map"))),
        list_(form_.findChild<TextPanelWidget*>(QStringLiteral("list"))),
        baras_(form_.findChild<ProgressPanelWidget*>(QStringLiteral("Baras"))) {
    form_.show();
    QObject::connect(&poll_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        boxes.push_back({box->windowTitle(), box->text(), box->icon()});
        box->accept();
      }
    });
    poll_.start(5);
  }

  void Open(const std::string& path) {
    path_ = path;
    form_.menuBar()->actions().value(0)->menu()->actions().value(0)->trigger();
    QApplication::processEvents();
  }

  // All the user can see of the window, and the store behind it.
  struct Seen {
    QImage map;
    std::vector<std::string> lines;
    float bar;
    std::uint64_t store;
    bool operator==(const Seen&) const = default;
  };
  Seen Look() const {
    return {map_->grab().toImage(), list_->Lines(), baras_->Position(),
            testing::StoreDigest(form_.Store())};
  }

  std::vector<ShownBox> boxes;

 private:
  std::string path_;
  Form1 form_;
  MapPanelWidget* map_;
  TextPanelWidget* list_;
  ProgressPanelWidget* baras_;
  QTimer poll_;
};

std::vector<std::byte> Cut(std::vector<std::byte> bytes, std::size_t keep) {
  bytes.resize(keep);
  return bytes;
}

std::vector<std::byte> CountInLastCell(std::int16_t count) {
  RegionWriter region;
  while (region.blocks() < kBlocks - 1) region.Flat(7, 7);
  std::vector<LayerCell> cells(kCells, LayerCell::Of({2}));
  cells.back() = {count, std::vector<std::int16_t>(17, 3)};
  return region.Multilayer(1, cells).Take();
}

struct Fault {
  const char* name;
  std::function<std::string(const TempDir&)> make;  // returns the path to open
  const char* says;                                // part of the message shown
};

std::function<std::string(const TempDir&)> File(std::vector<std::byte> (*bytes)()) {
  return [bytes](const TempDir& dir) { return dir.Write("fault.dat", bytes()); };
}

const Fault kFaults[] = {
    {"empty file", File([] { return std::vector<std::byte>{}; }), "18-byte header"},
    {"only the header", File([] { return RegionWriter().Take(); }), "block 0 (column 0, row 0)"},
    {"cut inside a flat block", File([] { return Cut(RegionWriter().Flat(1, 2).Take(), 22); }),
     "cell 2: the file ends before this block is complete"},
    {"cut inside a complex block",
     File([] { return Cut(RegionWriter().Flat(1, 2).Complex(std::int16_t{9}).Take(), 50); }),
     "block 1 (column 0, row 1), cell 13"},
    {"cut inside a multilayer block",
     File([] { return Cut(RegionWriter().Multilayer(5, 4, 1).Take(), 18 + 2 + 10 + 6); }),
     "cell 2: the file ends"},
    {"cut inside a layer count",
     File([] { return Cut(RegionWriter().Multilayer(5, 4, 1).Take(), 18 + 2 + 10 + 1); }),
     "cell 2: the file ends"},
    {"count 17 in the last cell of the last block", File([] { return CountInLastCell(17); }),
     "block 65535 (column 255, row 255), cell 64: layer count 17 exceeds the limit of 16"},
    {"count 32767", File([] { return CountInLastCell(32767); }),
     "layer count 32767 exceeds the limit of 16"},
    {"a PNG renamed .dat", File(testing::PngSample), "layer count 2048"},
    {"a missing path", [](const TempDir& dir) { return (dir.path() / "gone.dat").string(); },
     "cannot be opened (No such file or directory)"},
    {"a directory", [](const TempDir& dir) { return dir.path().string(); },
     "not a regular file (it is a directory)"},
    {"a FIFO",
     [](const TempDir& dir) {
       const std::string path = (dir.path() / "pipe.dat").string();
       EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
       return path;
     },
     "not a regular file (it is a pipe)"},
    {"/dev/zero", [](const TempDir&) { return std::string("/dev/zero"); },
     "not a regular file (it is a device)"},
};

std::vector<std::byte> ValidRegion(std::uint8_t region_x, int shift) {
  RegionWriter region({region_x, 18});
  for (int i = 0; i < kBlocks; ++i) {
    const auto v = static_cast<std::int16_t>((i * 37 + shift) % 9000 - 4500);
    switch ((i + shift) % 5) {
      case 0:
        region.Complex(v);
        break;
      case 1:
        region.Multilayer(static_cast<std::int16_t>(-1 - i % 3), static_cast<std::int16_t>(i % 6), v);
        break;
      default:
        region.Flat(v, 1);
    }
  }
  return region.Take();
}

TEST(OpenFaults, EachShowsTheErrorBoxAndTheWindowStaysAsItWas) {
  TempDir dir;
  Window window;
  const std::string first = dir.Write("first.dat", ValidRegion(21, 0));
  window.Open(first);
  ASSERT_TRUE(window.boxes.empty());
  const Window::Seen loaded = window.Look();

  for (const Fault& fault : kFaults) {
    SCOPED_TRACE(fault.name);
    TempDir fault_dir;
    const std::string path = fault.make(fault_dir);
    window.boxes.clear();
    window.Open(path);
    ASSERT_EQ(window.boxes.size(), 1U);
    const ShownBox& box = window.boxes[0];
    EXPECT_EQ(box.title, "Open GeoData");
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_TRUE(box.text.startsWith(QString::fromStdString(path + ": "))) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QString::fromUtf8(fault.says))) << box.text.toStdString();
    EXPECT_TRUE(window.Look() == loaded);
  }

  // Still usable: a new file paints exactly as in a window that never failed.
  const std::string next = dir.Write("next.dat", ValidRegion(23, 2));
  window.boxes.clear();
  window.Open(next);
  EXPECT_TRUE(window.boxes.empty());
  Window fresh;
  fresh.Open(first);
  fresh.Open(next);
  const Window::Seen after = window.Look();
  EXPECT_TRUE(after == fresh.Look());
  EXPECT_NE(after.map, loaded.map);
  EXPECT_EQ(after.lines.size(), 4U);
  EXPECT_EQ(after.bar, 65535.0F);
}

}  // namespace
}  // namespace geodata
