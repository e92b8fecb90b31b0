#include "window/main_window.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <stdexcept>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "testing/bad_files.h"
#include "testing/gated_source.h"
#include "testing/panel_lines.h"
#include "testing/path_dialog.h"
#include "testing/qt/accessibility_events.h"
#include "testing/qt/close_request.h"
#include "testing/qt/modal_driver.h"
#include "testing/qt/paint_recorder.h"
#include "testing/qt/test_window.h"
#include "testing/qt/qt_printers.h"
#include "testing/store_digest.h"
#include "testing/temp_dir.h"
#include "testing/test_regions.h"
#include "view/colour_rule.h"
#include "view/map_units.h"
#include "window/map_panel_widget.h"
#include "window/progress_panel_widget.h"
#include "window/text_panel_widget.h"

namespace geodata {
namespace {

QRgb Rgb(Colour c) { return qRgb(c.red, c.green, c.blue); }

// A source that breaks its own contract at its first read.
class BrokenSource final : public ByteSource {
 public:
  SourceStamp Stamp() override { return {.size = 1000}; }
  std::size_t ReadAt(std::uint64_t, std::span<std::byte>) override {
    throw std::logic_error("read past its own end");
  }
  const std::string& Name() const override { return name_; }

 private:
  std::string name_ = "broken.dat";
};

using testing::AccessibilityEvents;
using testing::Joined;

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest()
      : form_(chooser_),
        map_(form_.findChild<MapPanelWidget*>(QStringLiteral("Map"))),
        list_(form_.findChild<TextPanelWidget*>(QStringLiteral("list"))),
        baras_(form_.findChild<ProgressPanelWidget*>(QStringLiteral("Baras"))),
        picture_(form_.findChild<QLabel*>(QStringLiteral("Picture1"))) {
    form_.show();
  }

  void Open(const std::string& path, bool confirm = true) { form_.Open(path, confirm); }
  QAction* OpenGeo() const { return form_.OpenGeo(); }

  // Runs the event loop until a listener that had `heard` has been told,
  // by the text panel's paints, all the text it shows.
  bool ToldAll(const QString& heard, const AccessibilityEvents& events) const {
    return QTest::qWaitFor([&] {
      return testing::Applied(heard, events.Of(list_, QAccessible::TextUpdated)) == Joined(list_->Lines());
    });
  }

  // Once the screen is up to date the window waits for input alone: no
  // timer of the window or anything in it is left to wake it.
  void ExpectIdleOnceShown() {
    // A changed row may wait a frame for its repaint; after that, nothing.
    (void)QTest::qWaitFor([&] { return testing::Timed(form_).isEmpty(); });
    EXPECT_EQ(testing::Timed(form_), QStringList{});
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
    const BlockStore& store = form_.Blocks();
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
  std::shared_ptr<DialogRecord> chooser_ = std::make_shared<DialogRecord>();
  testing::TestWindow form_;
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
  Open(dir_.Write("a.dat", testing::MixedRegion(22, 22, 0)));
  EXPECT_EQ(chooser_->filter, "GeoData file (*.dat) |*.dat");
  EXPECT_EQ(chooser_->shown, 1);
  EXPECT_TRUE(form_.errors.empty());
  EXPECT_EQ(list_->Lines(), testing::LoadLogLines());
  EXPECT_EQ(baras_->Position(), 65535.0F);
  ExpectMapShowsStore();

  const QImage grab = map_->grab().toImage();
  EXPECT_EQ(grab.pixel(1, 1), qRgb(0, 106, 0)) << "block 0";
  EXPECT_EQ(grab.pixel(1, 3), qRgb(0, 0, 170)) << "block 1, next point of column 0";
  EXPECT_EQ(grab.pixel(511, 511), qRgb(200, 200, 200)) << "block 65535";
  ExpectIdleOnceShown();
}

TEST_F(MainWindowTest, SecondOpenReplacesMapAndLog) {
  Open(dir_.Write("a.dat", testing::MixedRegion(22, 22, 0)));
  const QImage first = map_->Picture();
  Open(dir_.Write("b.dat", testing::MixedRegion(16, 17, 5)));
  EXPECT_TRUE(form_.errors.empty());
  EXPECT_EQ(list_->Lines(), testing::LoadLogLines());
  EXPECT_EQ(baras_->Position(), 65535.0F);
  EXPECT_EQ(form_.Blocks().Header(1), 16);
  EXPECT_NE(map_->Picture(), first);
  ExpectMapShowsStore();
}

TEST_F(MainWindowTest, CancelOrEmptyNameChangesNothing) {
  Open(dir_.Write("a.dat", testing::MixedRegion(22, 22, 0)));
  const QImage before = map_->Picture();
  struct Case {
    bool confirm;
    std::string name;
  };
  for (const Case& c : {Case{false, (dir_.path() / "b.dat").string()}, Case{false, ""}, Case{true, ""}}) {
    Open(c.name, c.confirm);
    EXPECT_TRUE(form_.errors.empty()) << c.confirm << " '" << c.name << "'";
    EXPECT_EQ(list_->Lines(), testing::LoadLogLines());
    EXPECT_EQ(baras_->Position(), 65535.0F);
    EXPECT_EQ(map_->Picture(), before);
  }
}

TEST_F(MainWindowTest, FailedOpenReportsOnceAndKeepsThePreviousRegion) {
  Open(dir_.Write("a.dat", testing::MixedRegion(22, 22, 0)));
  const QImage before = map_->Picture();
  const std::int16_t last_type = form_.Blocks().Geo(65535, 0, 0);

  // A bad file and a path that names none, from the bad-file table.
  // The bar stops where the reading did: before the bad block 4660, and
  // there it stays when the next file cannot even be opened. Any other
  // error that ends the command, such as a broken contract in what the load
  // calls, reaches the same box.
  struct Case {
    std::string path;
    std::string says;
    std::function<std::unique_ptr<ByteSource>()> source = nullptr;
  };
  std::vector<Case> cases;
  for (RegionErrorKind kind : {RegionErrorKind::kLayerCountTooLarge, RegionErrorKind::kCannotOpen}) {
    const auto bad = std::ranges::find(testing::BadFiles(), kind, &testing::BadFile::kind);
    const std::string path = bad->make(dir_);
    cases.push_back({path, path + ": " + bad->says});
  }
  cases.push_back({"broken.dat", "read past its own end", [] { return std::make_unique<BrokenSource>(); }});
  for (const Case& c : cases) {
    form_.errors.clear();
    if (c.source) form_.OpenNext(c.source);
    Open(c.path);
    ASSERT_EQ(form_.errors.size(), 1U) << c.path;
    EXPECT_EQ(form_.errors[0].toStdString(), c.says);
    EXPECT_EQ(list_->Lines(), testing::LoadLogLines());
    EXPECT_EQ(baras_->Position(), 4659.0F);
    EXPECT_EQ(map_->Picture(), before);
    EXPECT_EQ(form_.Blocks().Header(1), 22);
    EXPECT_EQ(form_.Blocks().Geo(1, 1, 1), -3754);
    EXPECT_EQ(form_.Blocks().Geo(65535, 0, 0), last_type);
  }
  MovePointer({1 + 133, 1 + 201});
  EXPECT_EQ(list_->Lines().at(0), "Map:  22 _ 22 ") << "the previous region stays readable";
}

TEST_F(MainWindowTest, PointerMoveReplacesTheLogWithTheReadout) {
  Open(dir_.Write("a.dat", testing::MixedRegion(22, 22, 0)));
  MovePointer({1 + 133, 1 + 201});  // pixel (133, 201) of the drawing area
  EXPECT_EQ(list_->Lines(), testing::ReadoutLines());

  const std::vector<std::string> plain = list_->Lines();
  MovePointer({1 + 133, 1 + 201}, Qt::LeftButton | Qt::RightButton, Qt::ShiftModifier);
  EXPECT_EQ(list_->Lines(), plain) << "buttons and keys change nothing";
  ExpectIdleOnceShown();
}

TEST_F(MainWindowTest, ControlsTellAssistiveTechnologyTheirRoleAndName) {
  const QList<QAction*> menus = form_.menuBar()->actions();
  ASSERT_EQ(menus.size(), 1);
  QMenu* file_menu = menus[0]->menu();
  QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(form_.menuBar());
  QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(file_menu);
  ASSERT_TRUE(bar && menu);
  ASSERT_EQ(bar->childCount(), 1);
  ASSERT_EQ(menu->childCount(), 1);
  struct Case {
    const char* control;
    QAccessibleInterface* iface;
    QAccessible::Role role;
    QString name;
  };
  const Case cases[] = {
      {"window", QAccessible::queryAccessibleInterface(&form_), QAccessible::Window,
       "GeoData viewer - www.example.org/geodata"},
      {"Picture1", QAccessible::queryAccessibleInterface(picture_), QAccessible::Graphic,
       "GeoData viewer banner"},
      {"list", QAccessible::queryAccessibleInterface(list_), QAccessible::StaticText,
       "Log and pointer readout"},
      {"Map", QAccessible::queryAccessibleInterface(map_), QAccessible::Graphic, "Map"},
      {"Baras", QAccessible::queryAccessibleInterface(baras_), QAccessible::ProgressBar,
       "Reading progress"},
      {"MenuFile in the menu bar", bar->child(0), QAccessible::MenuItem, "File"},
      {"MenuFile", menu, QAccessible::PopupMenu, "File"},
      {"OpenGeo", menu->child(0), QAccessible::MenuItem, "Open GeoData"},
  };
  for (const Case& c : cases) {
    ASSERT_NE(c.iface, nullptr) << c.control;
    EXPECT_EQ(c.iface->role(), c.role) << c.control;
    EXPECT_EQ(c.iface->text(QAccessible::Name), c.name) << c.control;
  }
}

TEST_F(MainWindowTest, PanelsExposeWhatTheyShowToAssistiveTechnology) {
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(list_);
  QAccessibleInterface* map = QAccessible::queryAccessibleInterface(map_);
  QAccessibleInterface* baras = QAccessible::queryAccessibleInterface(baras_);
  ASSERT_TRUE(list && map && baras);
  QAccessibleTextInterface* text = list->textInterface();
  QAccessibleValueInterface* value = baras->valueInterface();
  ASSERT_TRUE(text && value);
  EXPECT_EQ(value->minimumValue().toDouble(), 0.0);
  EXPECT_EQ(value->maximumValue().toDouble(), 65536.0);

  const std::string path = dir_.Write("a.dat", testing::MixedRegion(22, 22, 0));
  struct Case {
    const char* after;
    std::function<void()> act;
    std::vector<std::string> lines;
    QString map_description;
    double bar;
  };
  const Case cases[] = {
      {"start-up", [] {}, {}, "No region loaded", 0},
      {"a load", [&] { Open(path); }, testing::LoadLogLines(), "Map:  22 _ 22 ", 65535},
      {"a pointer move", [&] { MovePointer({1 + 133, 1 + 201}); }, testing::ReadoutLines(), "Map:  22 _ 22 ",
       65535},
      {"a failed load", [&] { Open((dir_.path() / "missing.dat").string()); }, testing::ReadoutLines(),
       "Map:  22 _ 22 ", 65535},
  };
  for (const Case& c : cases) {
    c.act();
    const QString want = Joined(c.lines);
    EXPECT_EQ(text->characterCount(), want.size()) << c.after;
    EXPECT_EQ(text->text(0, text->characterCount()), want) << c.after;
    EXPECT_EQ(text->text(0, -1), want) << c.after;
    EXPECT_EQ(list->text(QAccessible::Value), want) << c.after;
    EXPECT_EQ(map->text(QAccessible::Description), c.map_description) << c.after;
    EXPECT_EQ(value->currentValue().toDouble(), c.bar) << c.after;
  }
  EXPECT_EQ(text->text(0, text->characterCount()).split('\n').size(), 13);
}

// A load prints four lines and moves the bar; a listener hears of them only
// as often as the panels paint.
TEST_F(MainWindowTest, LargestLoadRaisesFewAccessibilityEventsAndAPointerMoveOne) {
  const std::string worst = testing::WriteWorstCaseRegion(dir_, "worst.dat", {22, 22}, 1);
  Open(dir_.Write("a.dat", testing::MixedRegion(20, 18, 0)));
  MovePointer({1 + 133, 1 + 201});  // so that the load changes the text
  baras_->Value(0);                  // and the bar, which a quick load sets once, at its end
  {
    // Heard before the load: a load that waits in an event loop would
    // otherwise announce the readout too.
    testing::PaintRecorder shown{list_, baras_};
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.paints[list_].empty() && !shown.paints[baras_].empty(); }));
  }
  AccessibilityEvents load;
  testing::PaintRecorder recorder{list_, baras_};
  QString heard = Joined(list_->Lines());
  Open(worst);
  ASSERT_TRUE(form_.errors.empty());
  ASSERT_TRUE(ToldAll(heard, load));
  RecordProperty("accessibility_events_of_the_load", static_cast<int>(load.events.size()));
  const auto log = load.Of(list_, QAccessible::TextUpdated);
  const auto bar = load.Of(baras_, QAccessible::ValueChanged);
  EXPECT_GE(log.size(), 1U);
  EXPECT_LE(log.size(), recorder.paints[list_].size());
  ASSERT_GE(bar.size(), 1U);
  EXPECT_LE(bar.size(), recorder.paints[baras_].size());
  EXPECT_EQ(bar.back().value, 65535.0) << "the last value heard is the bar's last";
  EXPECT_LT(load.events.size(), 1000U) << "all events of the load, from any control";
  heard = testing::Applied(heard, log);
  EXPECT_EQ(heard, Joined(testing::LoadLogLines())) << "the changes, applied in turn, give the text shown";

  load.events.clear();
  MovePointer({1 + 133, 1 + 201});
  ASSERT_TRUE(ToldAll(heard, load));
  heard = Joined(list_->Lines());
  load.events.clear();
  recorder.paints.clear();
  MovePointer({1 + 135, 1 + 201});  // the next block column: world X 74112
  ASSERT_TRUE(ToldAll(heard, load));
  const auto readout = load.Of(list_, QAccessible::TextUpdated);
  ASSERT_GE(readout.size(), 1U);
  EXPECT_LE(readout.size(), recorder.paints[list_].size());
  EXPECT_EQ(testing::Applied(heard, readout), Joined(list_->Lines()))
      << "the changes, applied in turn, give the text shown";
  // How many events a readout raises here depends on whether the window's
  // clock forced a repaint in its middle; that a readout of the next block is
  // one event of just the changed lines is tested on the text panel with a
  // clock that moves only between readouts.
}

// A region on slow storage: its open and each piece read wait at a gate,
// and meanwhile the window is the test's. `during` runs from the window's
// event loop once the gate holds the load.
class SlowLoadTest : public MainWindowTest {
 protected:
  // The open and the first half of the region's pieces.
  static int HalfTheRegion(const std::vector<std::byte>& region) {
    return 1 + static_cast<int>(region.size() / RegionReader::kPieceBytes / 2);
  }

  // The file's versions, which `during` may move on through the gate.
  void OpenSlowly(const std::vector<std::vector<std::byte>>& versions,
                  const std::function<void(testing::Gate&)>& during) {
    auto gate = std::make_shared<testing::Gate>(HalfTheRegion(versions[0]));
    form_.OpenNext(testing::GatedOpen(gate, versions));
    bool ran = false;
    QTimer::singleShot(0, &form_, [&] {
      ASSERT_TRUE(gate->Held()) << "the load never reached the disk";
      during(*gate);
      ran = true;
      gate->Open();
    });
    Open("slow.dat");
    EXPECT_TRUE(ran) << "the window served nothing while the load waited";
  }
};

TEST_F(SlowLoadTest, TheWindowPaintsAndShowsTheBarButTakesNoInputWhileTheDiskIsSlow) {
  Open(dir_.Write("a.dat", testing::MixedRegion(22, 22, 0)));
  const QImage before = map_->Picture();
  testing::PaintRecorder recorder{map_, baras_};
  const std::vector<std::byte> region = testing::MixedRegion(16, 17, 5);
  ASSERT_GT(region.size(), 2 * RegionReader::kPieceBytes) << "a region of one or two pieces shows no middle";
  OpenSlowly({region}, [&](testing::Gate& gate) {
    // The bar shows the blocks of the pieces read so far, painted, and
    // follows each piece read after.
    ASSERT_TRUE(QTest::qWaitFor([&] { return baras_->Position() > 0 && !recorder.paints[baras_].empty(); }));
    const float first = baras_->Position();
    gate.LetThrough(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return baras_->Position() > first; })) << "the bar stood still";
    EXPECT_LT(baras_->Position(), 65535.0F);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr) << "the pointer does not show the wait";
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    // What was covered is painted again, as it was.
    const std::size_t map_paints = recorder.paints[map_].size();
    map_->update();
    EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.paints[map_].size() > map_paints; }));
    EXPECT_EQ(map_->Picture(), before);
    // A click on the menu, a key, a pointer move and a press of the item, as
    // an assistive technology would, all do nothing.
    QTest::mouseClick(form_.menuBar(), Qt::LeftButton, {},
                      form_.menuBar()->actionGeometry(form_.menuBar()->actions().value(0)).center());
    QTest::keyClick(map_, Qt::Key_Right);
    MovePointer({1 + 133, 1 + 201});
    OpenGeo()->trigger();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "the File menu opened";
    EXPECT_EQ(recorder.key_presses, 0) << "a key went through";
    EXPECT_EQ(list_->Lines(), testing::LoadLogLines()) << "a readout ran";
    EXPECT_EQ(chooser_->shown, 2) << "the open command ran again";
    EXPECT_EQ(form_.Blocks().Header(1), 22) << "the region changed before it was read whole";
  });
  EXPECT_TRUE(form_.errors.empty());
  EXPECT_EQ(form_.Blocks().Header(1), 16);
  EXPECT_EQ(list_->Lines(), testing::LoadLogLines());
  EXPECT_EQ(baras_->Position(), 65535.0F);
  ExpectMapShowsStore();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the pointer stays on the wait";
  ExpectIdleOnceShown();
}

// A file rewritten in place while it is read slowly is read again, the bar
// starting again from its first block; when that read fails, its box shows
// without the wait pointer and the bar stays where that read stopped.
TEST_F(SlowLoadTest, AFileRewrittenDuringTheReadIsReadAgainTheBarFromItsFirstBlock) {
  Open(dir_.Write("a.dat", testing::MixedRegion(22, 22, 0)));
  const std::vector<std::byte> region = testing::MixedRegion(16, 17, 5);
  struct Case {
    const char* name;
    std::vector<std::byte> rewritten;
    std::uint8_t region_x;  // stored once the load ends
    float bar;
    std::size_t errors;
  };
  const Case cases[] = {
      // Its first piece holds fewer blocks than the first version's.
      {"read whole again", testing::ComplexRegion({18, 17}, [](int block) { return block % 300; }), 18, 65535, 0},
      {"read again and found bad", testing::RegionWithCount(17), 18, 4659, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form_.errors.clear();
    OpenSlowly({region, c.rewritten}, [&](testing::Gate& gate) {
      // The first read's half, in place of the last load's full bar.
      ASSERT_TRUE(QTest::qWaitFor([&] { return baras_->Position() > 0 && baras_->Position() < 65535; }));
      const float first = baras_->Position();
      ++gate.version;
      // Through the rest of the first read to the second read's first piece.
      while (gate.ReadsBegun() < 2) {
        gate.LetThrough(1);
        ASSERT_TRUE(gate.Held());
      }
      gate.LetThrough(1);
      if (c.errors == 0) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return baras_->Position() < first; })) << "the bar did not start again";
      }
    });
    EXPECT_EQ(form_.errors.size(), c.errors);
    EXPECT_EQ(form_.errors_under_wait_pointer, 0);
    EXPECT_EQ(form_.Blocks().Header(1), c.region_x);
    EXPECT_EQ(baras_->Position(), c.bar);
  }
}

// A close or a quit while the disk holds the open or a read and may never
// let it go: the window leaves the wait at once, without waiting for the
// disk, and nothing is stored. Once the disk lets go, the load reads no
// further.
TEST_F(SlowLoadTest, ACloseOrAQuitEndsTheWaitWhileTheDiskHoldsTheLoad) {
  const std::vector<std::byte> region = testing::MixedRegion(16, 17, 5);
  const std::string first = dir_.Write("a.dat", testing::MixedRegion(22, 22, 0));
  struct Case {
    const char* name;
    bool held_at_open;
    std::function<void(Form1&)> end;
    bool quits = false;
  };
  const Case cases[] = {
      {"the title bar's close request, the open held", true, [](Form1& f) { testing::RequestClose(f); }},
      {"the title bar's close request, a read held", false, [](Form1& f) { testing::RequestClose(f); }},
      {"QWidget::close, a read held", false, [](Form1& f) { f.close(); }},
      {"a quit, a read held", false, [](Form1&) { QCoreApplication::quit(); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto chooser = std::make_shared<DialogRecord>();
    testing::TestWindow form(chooser);
    form.show();
    chooser->answer = first;
    form.OpenGeo_Click();
    const std::uint64_t store = testing::StoreDigest(form.Blocks());
    const auto* map = form.findChild<MapPanelWidget*>(QStringLiteral("Map"));
    const auto* bar = form.findChild<ProgressPanelWidget*>(QStringLiteral("Baras"));
    const QImage picture = map->Picture();
    const int let_through = c.held_at_open ? 0 : HalfTheRegion(region);
    auto gate = std::make_shared<testing::Gate>(let_through);
    form.OpenNext(testing::GatedOpen(gate, region));
    chooser->answer = "slow.dat";
    const auto open = [&] {
      QTimer::singleShot(0, &form, [&] {
        ASSERT_TRUE(gate->Held()) << "the load never reached the disk";
        EXPECT_EQ(gate->Passed(), let_through) << "the window waited for the disk before it served the test";
        c.end(form);
      });
      form.OpenGeo_Click();
    };
    if (c.quits) {
      // Else the window the quit closes posts another quit, which would end the next test's loops.
      QGuiApplication::setQuitOnLastWindowClosed(false);
      QTimer::singleShot(0, &form, open);
      QCoreApplication::exec();
      QGuiApplication::setQuitOnLastWindowClosed(true);
    } else {
      open();
    }
    EXPECT_TRUE(gate->Holding()) << "the window waited for the disk";
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.errors.empty()) << "a closing window has nothing to say";
    EXPECT_EQ(testing::StoreDigest(form.Blocks()), store);
    EXPECT_EQ(map->Picture(), picture);
    const float bar_at_end = bar->Position();
    gate->Open();
    ASSERT_TRUE(gate->Gone());
    QApplication::processEvents();
    EXPECT_EQ(bar->Position(), bar_at_end) << "the bar moved after the load was given up";
    EXPECT_LE(gate->Passed() - let_through, 1) << "the load read on after it was given up";
  }
}

// The real error box, read and closed by the modal driver.
TEST(MainWindowErrorBox, IsModalCriticalTitledOpenGeoDataWithTheMessage) {
  Form1 form(std::make_unique<PathDialog>("/nonexistent/region.dat"));
  form.show();
  testing::ModalDriver person;
  form.findChild<QMenu*>()->actions().value(0)->trigger();
  ASSERT_EQ(person.boxes.size(), 1U);
  const testing::ShownBox& box = person.boxes[0];
  EXPECT_EQ(box.title, "Open GeoData");
  EXPECT_EQ(box.icon, QMessageBox::Critical);
  EXPECT_TRUE(box.text.startsWith("/nonexistent/region.dat: ")) << box.text.toStdString();
}

}  // namespace
}  // namespace geodata
