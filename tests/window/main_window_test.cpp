#include "window/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/path_dialog.h"
#include "tests/support/temp_dir.h"
#include "tools/region_writer.h"
#include "view/colour_rule.h"
#include "view/map_units.h"
#include "window/map_panel_widget.h"
#include "window/progress_panel_widget.h"
#include "window/text_panel_widget.h"

namespace geodata {
namespace {

const std::vector<std::string> kLoadLog = {"Reading file Header...", "Reading file data.....",
                                           "File saved in memory!", "Drawing Geodata...."};

// Form1 with its error box caught instead of shown.
class TestForm final : public Form1 {
 public:
  TestForm(const std::string& answer, DialogRecord& chooser)
      : Form1(std::make_unique<PathDialog>(answer, chooser)) {}
  std::vector<QString> errors;

 protected:
  void ShowError(const QString& message) override { errors.push_back(message); }
};

// A region with every kind of block, and known colours at the corners.
std::vector<std::byte> MixedRegion(std::uint8_t region_x, std::uint8_t region_y, int shift) {
  std::array<std::uint8_t, kHeaderBytes> header{};
  header[0] = region_x;
  header[1] = region_y;
  RegionWriter writer(header);
  writer.Flat(-3753).Flat(-3754);  // (0, 106, 0) and (0, 0, 170)
  for (int i = 2; i < kBlocks - 1; ++i) {
    const int kind = (i + shift) % 16;
    if (kind == 0) {
      writer.Complex(static_cast<std::int16_t>(-9000 + (i * 7) % 9000));
    } else if (kind == 1) {
      writer.Multilayer(static_cast<std::int16_t>(i % 2 ? 1 : -1),
                        static_cast<std::int16_t>((i / 16) % 7), 5);
    } else {
      writer.Flat(static_cast<std::int16_t>(-6000 + (i * 13 + shift) % 6100));
    }
  }
  writer.Multilayer(1000, 5, 0);  // (200, 200, 200)
  return writer.Take();
}

QRgb Rgb(Colour c) { return qRgb(c.red, c.green, c.blue); }

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest()
      : form_(answer_, chooser_),
        map_(form_.findChild<MapPanelWidget*>(QStringLiteral("Map"))),
        list_(form_.findChild<TextPanelWidget*>(QStringLiteral("list"))),
        baras_(form_.findChild<ProgressPanelWidget*>(QStringLiteral("Baras"))),
        picture_(form_.findChild<QLabel*>(QStringLiteral("Picture1"))) {
    form_.show();
  }

  void Open(const std::string& path, bool confirm = true) {
    answer_ = path;
    chooser_.confirm = confirm;
    OpenGeo()->trigger();
    QApplication::processEvents();
  }

  QAction* OpenGeo() const {
    const QList<QAction*> menus = form_.menuBar()->actions();
    return menus.size() == 1 ? menus[0]->menu()->actions().value(0) : nullptr;
  }

  void MovePointer(QPointF at, Qt::MouseButtons buttons = Qt::NoButton,
                   Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QMouseEvent move(QEvent::MouseMove, at, map_->mapToGlobal(at), Qt::NoButton, buttons, keys);
    QApplication::sendEvent(map_, &move);
  }

  // Every lattice pixel of the grabbed panel shows its block's colour, every
  // gap pixel black.
  void ExpectMapShowsStore() const {
    const QImage grab = map_->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(grab.size(), QSize(513, 513));
    const BlockStore& store = form_.Store();
    int wrong = 0;
    for (int column = 0; column < 256; ++column) {
      for (int row = 0; row < 256; ++row) {
        const int i = column * 256 + row;
        const QRgb want = Rgb(Compose(ColourComponents(store.Geo(i, 0, 0), store.Geo(i, 1, 1),
                                                       store.Geo(i, 1, 0))));
        const int x = 1 + 2 * column;
        const int y = 1 + 2 * row;
        wrong += grab.pixel(x, y) != want;
        if (column < 255) wrong += grab.pixel(x + 1, y) != qRgb(0, 0, 0);
        if (row < 255) wrong += grab.pixel(x, y + 1) != qRgb(0, 0, 0);
      }
    }
    EXPECT_EQ(wrong, 0) << "pixels that differ from the colour rule or the black gaps";
  }

  testing::TempDir dir_;
  std::string answer_;
  DialogRecord chooser_;
  TestForm form_;
  MapPanelWidget* map_;
  TextPanelWidget* list_;
  ProgressPanelWidget* baras_;
  QLabel* picture_;
};

TEST_F(MainWindowTest, StartsFixedSizeWithItsControlsInPlaceAndEmpty) {
  EXPECT_EQ(form_.windowTitle(), "GeoData viewer - www.example.org/geodata");
  ASSERT_NE(form_.centralWidget(), nullptr);
  EXPECT_EQ(form_.centralWidget()->size(), QSize(736, 701));
  EXPECT_EQ(form_.centralWidget()->y(), form_.menuBar()->height()) << "client area below the menu";
  EXPECT_EQ(form_.minimumSize(), form_.maximumSize()) << "cannot be resized";
  EXPECT_FALSE(form_.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_FALSE(form_.windowIcon().isNull());
  EXPECT_NEAR(form_.geometry().center().x(), form_.screen()->availableGeometry().center().x(), 4)
      << "centred, give or take the frame";

  ASSERT_TRUE(map_ && list_ && baras_ && picture_);
  EXPECT_EQ(picture_->geometry(), QRect(48, 0, 633, 153));
  EXPECT_EQ(list_->geometry(), QRect(8, 160, 201, 513));
  EXPECT_EQ(map_->geometry(), QRect(216, 160, 513, 513));
  EXPECT_EQ(baras_->geometry(), QRect(8, 680, 721, 17));
  EXPECT_EQ(picture_->pixmap().size(), QSize(633, 151));

  std::vector<QWidget*> order;
  QWidget* w = map_;
  do {
    if (w == map_ || w == list_ || w == baras_ || w == picture_) order.push_back(w);
    w = w->nextInFocusChain();
  } while (w != map_);
  EXPECT_EQ(order, (std::vector<QWidget*>{map_, list_, baras_, picture_})) << "tab order";

  EXPECT_TRUE(list_->Lines().empty());
  EXPECT_EQ(baras_->Position(), 0.0F);
  const QImage black = map_->grab().toImage().convertToFormat(QImage::Format_RGB32).copy(1, 1, 511, 511);
  int lit = 0;
  for (int y = 0; y < 511; ++y) {
    for (int x = 0; x < 511; ++x) lit += black.pixel(x, y) != qRgb(0, 0, 0);
  }
  EXPECT_EQ(lit, 0) << "the drawing area starts black";
  EXPECT_EQ(form_.Dm, kDisplayStep);
}

TEST_F(MainWindowTest, MenuHasOneFileMenuWithOnePlainItem) {
  const QList<QAction*> menus = form_.menuBar()->actions();
  ASSERT_EQ(menus.size(), 1);
  EXPECT_EQ(menus[0]->text(), "File");
  const QList<QAction*> items = menus[0]->menu()->actions();
  ASSERT_EQ(items.size(), 1);
  EXPECT_EQ(items[0]->text(), "Open GeoData");
  EXPECT_TRUE(items[0]->shortcut().isEmpty());
}

TEST_F(MainWindowTest, OpenLogsFourLinesFillsTheBarAndPaintsTheMap) {
  Open(dir_.Write("a.dat", MixedRegion(22, 22, 0)));
  EXPECT_EQ(chooser_.filter, "GeoData file (*.dat) |*.dat");
  EXPECT_EQ(chooser_.shown, 1);
  EXPECT_TRUE(form_.errors.empty());
  EXPECT_EQ(list_->Lines(), kLoadLog);
  EXPECT_EQ(baras_->Position(), 65535.0F);
  ExpectMapShowsStore();

  const QImage grab = map_->grab().toImage();
  EXPECT_EQ(grab.pixel(1, 1), qRgb(0, 106, 0)) << "block 0";
  EXPECT_EQ(grab.pixel(1, 3), qRgb(0, 0, 170)) << "block 1, next point of column 0";
  EXPECT_EQ(grab.pixel(511, 511), qRgb(200, 200, 200)) << "block 65535";
}

TEST_F(MainWindowTest, SecondOpenReplacesMapAndLog) {
  Open(dir_.Write("a.dat", MixedRegion(22, 22, 0)));
  const QImage first = map_->Picture();
  Open(dir_.Write("b.dat", MixedRegion(16, 17, 5)));
  EXPECT_TRUE(form_.errors.empty());
  EXPECT_EQ(list_->Lines(), kLoadLog);
  EXPECT_EQ(baras_->Position(), 65535.0F);
  EXPECT_EQ(form_.Store().Header(1), 16);
  EXPECT_NE(map_->Picture(), first);
  ExpectMapShowsStore();
}

TEST_F(MainWindowTest, CancelOrEmptyNameChangesNothing) {
  Open(dir_.Write("a.dat", MixedRegion(22, 22, 0)));
  const QImage before = map_->Picture();
  struct Case {
    bool confirm;
    std::string name;
  };
  for (const Case& c : {Case{false, (dir_.path() / "b.dat").string()}, Case{false, ""}, Case{true, ""}}) {
    Open(c.name, c.confirm);
    EXPECT_TRUE(form_.errors.empty()) << c.confirm << " '" << c.name << "'";
    EXPECT_EQ(list_->Lines(), kLoadLog);
    EXPECT_EQ(baras_->Position(), 65535.0F);
    EXPECT_EQ(map_->Picture(), before);
  }
}

TEST_F(MainWindowTest, FailedOpenReportsOnceAndKeepsThePreviousRegion) {
  Open(dir_.Write("a.dat", MixedRegion(22, 22, 0)));
  const QImage before = map_->Picture();
  const std::int16_t last_type = form_.Store().Geo(65535, 0, 0);

  std::vector<LayerCell> cells(kCells, LayerCell::Of({1}));
  cells[3] = LayerCell::Of(std::vector<std::int16_t>(17, 9));
  RegionWriter bad(std::array<std::uint8_t, kHeaderBytes>{40, 41});
  bad.Flat(0).Multilayer(1, cells).FillFlat();
  struct Case {
    std::string path;
    std::string says;
  };
  for (const Case& c : {Case{dir_.Write("bad.dat", bad.bytes()), "layer count 17"},
                        Case{(dir_.path() / "missing.dat").string(), "cannot be opened"}}) {
    form_.errors.clear();
    Open(c.path);
    ASSERT_EQ(form_.errors.size(), 1U) << c.path;
    EXPECT_TRUE(form_.errors[0].contains(QString::fromStdString(c.path))) << form_.errors[0].toStdString();
    EXPECT_TRUE(form_.errors[0].contains(QString::fromStdString(c.says))) << form_.errors[0].toStdString();
    EXPECT_EQ(list_->Lines(), kLoadLog);
    EXPECT_EQ(baras_->Position(), 65535.0F);
    EXPECT_EQ(map_->Picture(), before);
    EXPECT_EQ(form_.Store().Header(1), 22);
    EXPECT_EQ(form_.Store().Geo(1, 1, 1), -3754);
    EXPECT_EQ(form_.Store().Geo(65535, 0, 0), last_type);
  }
  MovePointer({1 + 133, 1 + 201});
  EXPECT_EQ(list_->Lines().at(0), "Map:  22 _ 22 ") << "the previous region stays readable";
}

TEST_F(MainWindowTest, PointerMoveReplacesTheLogWithTheReadout) {
  Open(dir_.Write("a.dat", MixedRegion(22, 22, 0)));
  MovePointer({1 + 133, 1 + 201});  // pixel (133, 201) of the drawing area
  const std::vector<std::string> head = {"Map:  22 _ 22 ", "", " World_X:  73984 ",
                                         " World_Y:  143872 ", "", " 66   100 ", ""};
  ASSERT_EQ(list_->Lines().size(), 13U);
  EXPECT_EQ(std::vector<std::string>(list_->Lines().begin(), list_->Lines().begin() + 7), head);

  const std::vector<std::string> plain = list_->Lines();
  MovePointer({1 + 133, 1 + 201}, Qt::LeftButton | Qt::RightButton, Qt::ShiftModifier);
  EXPECT_EQ(list_->Lines(), plain) << "buttons and keys change nothing";
}

// The real error box, closed by a timer so the test does not block.
TEST(MainWindowErrorBox, IsModalCriticalTitledOpenGeoDataWithTheMessage) {
  const std::string answer = "/nonexistent/region.dat";
  Form1 form(std::make_unique<PathDialog>(answer));
  form.show();
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      box->accept();
    }
  });
  poll.start(10);
  form.findChild<QMenu*>()->actions().value(0)->trigger();
  EXPECT_EQ(title, "Open GeoData");
  EXPECT_EQ(icon, QMessageBox::Critical);
  EXPECT_TRUE(text.startsWith("/nonexistent/region.dat: ")) << text.toStdString();
}

}  // namespace
}  // namespace geodata
