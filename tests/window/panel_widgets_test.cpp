#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "testing/panel_lines.h"
#include "testing/qt/accessibility_events.h"
#include "testing/qt/paint_recorder.h"
#include "testing/qt/qt_printers.h"
#include "window/map_panel_widget.h"
#include "window/progress_panel_widget.h"
#include "window/screen_frame.h"
#include "window/text_panel_widget.h"

namespace geodata {
namespace {

constexpr Colour kRed{255, 0, 0};
const QRgb kBlack = qRgb(0, 0, 0);

std::vector<QPoint> LitPixels(const QImage& image) {
  std::vector<QPoint> lit;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != kBlack) lit.emplace_back(x, y);
    }
  }
  return lit;
}

TEST(MapPanelWidget, PSetColoursTheOnePixelContainingThePoint) {
  MapPanelWidget map;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    float x, y;
    std::vector<QPoint> lit;
  };
  const Case cases[] = {
      {0, 0, {{0, 0}}},          {14.9F, 14.9F, {{0, 0}}},    {15, 0, {{1, 0}}},
      {30, 45, {{2, 3}}},        {7650, 7650, {{510, 510}}},  {7664.9F, 0, {{510, 0}}},
      {-0.1F, 0, {}},            {7665, 0, {}},               {0, -15, {}},
      {0, 7665, {}},             {nan, 0, {}},                {1e30F, 1e30F, {}},
  };
  for (const Case& c : cases) {
    map.Cls();
    map.PSet(c.x, c.y, kRed);
    const std::vector<QPoint> lit = LitPixels(map.Picture());
    EXPECT_EQ(lit, c.lit) << c.x << ", " << c.y;
    for (const QPoint& p : lit) EXPECT_EQ(map.Picture().pixel(p), qRgb(255, 0, 0));
  }
}

TEST(MapPanelWidget, ClsBlacksOutAndThePanelPaintsItsPicture) {
  MapPanelWidget map;
  map.PSet(7650, 0, Colour{1, 2, 3});
  EXPECT_EQ(map.grab().toImage().pixel(1 + 510, 1), qRgb(1, 2, 3)) << "drawn inside the border";
  map.Cls();
  EXPECT_TRUE(LitPixels(map.Picture()).empty());
}

TEST(MapPanelWidget, PointerMovesArriveInTwipsFromTheDrawingArea) {
  MapPanelWidget map;
  struct Report {
    std::int16_t button, shift;
    float x, y;
  };
  QSignalSpy reports(&map, &MapPanelWidget::MouseMove);
  struct Case {
    QPointF at;
    Qt::MouseButtons buttons;
    Qt::KeyboardModifiers keys;
    std::optional<Report> want;  // none: a move over the border, not passed on
  };
  const Case cases[] = {
      {{1, 1}, Qt::NoButton, Qt::NoModifier, Report{0, 0, 0, 0}},
      {{134, 202}, Qt::NoButton, Qt::NoModifier, Report{0, 0, 1995, 3015}},
      {{0, 0}, Qt::NoButton, Qt::NoModifier, std::nullopt},
      {{0, 100}, Qt::NoButton, Qt::NoModifier, std::nullopt},
      {{100, 0}, Qt::NoButton, Qt::NoModifier, std::nullopt},
      {{512, 100}, Qt::NoButton, Qt::NoModifier, std::nullopt},
      {{100, 512}, Qt::NoButton, Qt::NoModifier, std::nullopt},
      {{511, 1}, Qt::LeftButton, Qt::ShiftModifier, Report{1, 1, 7650, 0}},
      {{2, 2}, Qt::RightButton | Qt::MiddleButton, Qt::ControlModifier | Qt::AltModifier,
       Report{6, 6, 15, 15}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::pair(c.at.x(), c.at.y())));
    reports.clear();
    QMouseEvent move(QEvent::MouseMove, c.at, map.mapToGlobal(c.at), Qt::NoButton, c.buttons, c.keys);
    QApplication::sendEvent(&map, &move);
    ASSERT_EQ(reports.size(), c.want ? 1 : 0);
    if (!c.want) continue;
    const QList<QVariant> got = reports.takeFirst();
    EXPECT_EQ(got.at(0).value<std::int16_t>(), c.want->button);
    EXPECT_EQ(got.at(1).value<std::int16_t>(), c.want->shift);
    EXPECT_EQ(got.at(2).value<float>(), c.want->x);
    EXPECT_EQ(got.at(3).value<float>(), c.want->y);
  }
}

// What a readout or a load does to the panel: clears it and prints the lines.
void PrintLines(TextPanelWidget& list, const std::vector<std::string>& lines) {
  list.Cls();
  for (const std::string& line : lines) list.Print({std::string_view(line)});
}

class TextPanelWidgetTest : public ::testing::Test {
 protected:
  TextPanelWidgetTest() { list_.resize(201, 513); }

  // Rows of the grab that hold any pixel in the text colour.
  std::vector<int> InkedRows() {
    const QImage grab = list_.grab().toImage();
    const QRgb ink = list_.palette().color(QPalette::ButtonText).rgb();
    std::vector<int> rows;
    for (int y = 0; y < grab.height(); ++y) {
      for (int x = 0; x < grab.width(); ++x) {
        if (grab.pixel(x, y) == ink) {
          rows.push_back(y);
          break;
        }
      }
    }
    return rows;
  }

  TextPanelWidget list_;
};

TEST_F(TextPanelWidgetTest, KeepsLinesUntilCls) {
  list_.Print({"Reading file Header..."});
  list_.Print();
  list_.Print({"Map: ", 22.0, "_", 22.0});
  EXPECT_EQ(list_.Lines(), (std::vector<std::string>{"Reading file Header...", "", "Map:  22 _ 22 "}));
  list_.Cls();
  EXPECT_TRUE(list_.Lines().empty());
  EXPECT_TRUE(InkedRows().empty());
}

TEST_F(TextPanelWidgetTest, PaintsLinesTopDownOneLineHeightApartWithoutWrapping) {
  const int line = list_.fontMetrics().height();
  list_.Print({std::string(300, 'W')});  // far wider than the panel
  const std::vector<int> one = InkedRows();
  ASSERT_FALSE(one.empty());
  EXPECT_LT(one.back(), 2 + line) << "a long line is cut, not wrapped";
  list_.Print({"W"});
  const std::vector<int> two = InkedRows();
  EXPECT_EQ(two.back() - one.back(), line) << "the next line starts one line height lower";
}

TEST_F(TextPanelWidgetTest, TheScreenShowsTheLinesOnceTheEventLoopHasRun) {
  // Rows are repainted only where their text changed; what the event loop
  // leaves on screen must still match a fresh paint of all the lines.
  const auto on_screen = [this] {
    return list_.screen()->grabWindow(list_.winId()).toImage().convertToFormat(QImage::Format_RGB32);
  };
  const std::vector<std::string> log = testing::LoadLogLines();
  const std::vector<std::string> readout = testing::ReadoutLines();
  const std::vector<std::string> next = testing::NextColumnReadoutLines();
  const std::vector<std::string> overflowing(60, "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
  struct Step {
    const char* what;
    std::vector<std::string> lines;
  };
  const Step steps[] = {
      {"the load's log", log},        {"a readout", readout},       {"the next block", next},
      {"the same block", next},       {"a shorter text", log},      {"cleared", {}},
      {"more than fit", overflowing}, {"a readout after that", readout},
  };
  list_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list_));
  for (const Step& step : steps) {
    PrintLines(list_, step.lines);
    // A paint that does not reach the screen, while rows wait for their frame.
    const QImage all = list_.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(QTest::qWaitFor([&] { return on_screen() == all; })) << step.what;
  }
}

// A magnifier follows the text by the rectangles the text interface gives.
TEST_F(TextPanelWidgetTest, AccessibleTextPlacesEachCharacterWhereItIsPainted) {
  list_.Print({"Map: ", 22.0, "_", 22.0});
  list_.Print({" World_X: ", 73984.0});
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&list_);
  ASSERT_NE(iface, nullptr);
  QAccessibleTextInterface* text = iface->textInterface();
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text(-3, 1000), "Map:  22 _ 22 \n World_X:  73984 ") << "offsets are held to the text";

  const std::vector<int> inked = InkedRows();
  ASSERT_FALSE(inked.empty());
  const QPoint origin = list_.mapToGlobal(QPoint(0, 0));
  const int line = list_.fontMetrics().height();
  struct Case {
    int offset;
    int row;  // of the panel's lines
  };
  // The font is the toolkit's default, and what passes the right edge is cut
  // off: whether the end of the second line is shown depends on that font
  // (Wine's is wider). A character cut off is found at no point of the panel.
  const QRect shown = list_.contentsRect().translated(origin);
  for (const Case& c : {Case{0, 0}, Case{5, 0}, Case{13, 0}, Case{15, 1}, Case{20, 1}, Case{31, 1}}) {
    const QRect rect = text->characterRect(c.offset);
    ASSERT_TRUE(rect.isValid()) << c.offset;
    EXPECT_EQ(rect.top() - origin.y(), list_.contentsRect().top() + c.row * line) << c.offset;
    EXPECT_EQ(text->offsetAtPoint(rect.center()), shown.contains(rect.center()) ? c.offset : -1)
        << "and back, at " << c.offset;
  }
  // The painted ink lies within the two lines' rectangles, and each has some.
  const QRect line0 = text->characterRect(0).translated(-origin);
  const QRect line1 = text->characterRect(15).translated(-origin);
  const auto within = [](const QRect& r) { return [&r](int y) { return y >= r.top() && y <= r.bottom(); }; };
  EXPECT_TRUE(std::all_of(inked.begin(), inked.end(),
                          [&](int y) { return within(line0)(y) || within(line1)(y); }));
  EXPECT_TRUE(std::any_of(inked.begin(), inked.end(), within(line0)));
  EXPECT_TRUE(std::any_of(inked.begin(), inked.end(), within(line1)));
  EXPECT_FALSE(text->characterRect(100).isValid()) << "past the end";
  EXPECT_EQ(text->offsetAtPoint(origin + QPoint(list_.width() - 3, list_.height() - 3)), -1)
      << "below the text";
}

// The panel shown, on a clock that the test moves a frame at a time.
class TextPanelOnTestClock : public ::testing::Test {
 protected:
  TextPanelOnTestClock() { list_.resize(201, 513); }
  void SetUp() override {
    list_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list_));
  }

  TextPanelWidget::Clock::time_point now_{std::chrono::hours(1)};
  TextPanelWidget list_{nullptr, [this] { return now_; }};
};

// A listener is told of what changed in one event per paint, of just the
// changed lines, whole.
TEST_F(TextPanelOnTestClock, TellsAListenerTheChangedLinesInOneEvent) {
  testing::AccessibilityEvents events;
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&list_);
  ASSERT_NE(iface, nullptr);
  const std::vector<std::string> log = testing::LoadLogLines();
  const std::vector<std::string> readout = testing::ReadoutLines();
  struct Step {
    const char* what;
    std::vector<std::string> lines;
    int position;
    QString removed, inserted;
  };
  const Step steps[] = {
      {"the load's log", log, 0, "", testing::Joined(log)},
      {"a readout, its first line changed", readout, 0, testing::Joined(log), testing::Joined(readout)},
      {"the next block", testing::NextColumnReadoutLines(), 16,
       " World_X:  73984 \n World_Y:  143872 \n\n 66   100 ", " World_X:  74112 \n World_Y:  143872 \n\n 67   100 "},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    const QString had = iface->text(QAccessible::Value);
    events.events.clear();
    PrintLines(list_, step.lines);
    now_ += kFrame;
    ASSERT_TRUE(QTest::qWaitFor([&] {
      return testing::Applied(had, events.Of(&list_, QAccessible::TextUpdated)) == iface->text(QAccessible::Value);
    }));
    const auto told = events.Of(&list_, QAccessible::TextUpdated);
    ASSERT_EQ(told.size(), 1U);
    EXPECT_EQ(told[0].position, step.position);
    EXPECT_EQ(told[0].removed, step.removed);
    EXPECT_EQ(told[0].inserted, step.inserted);
  }
}

// Pointer moves come faster than the screen shows them. The clock stands
// still while the same lines are printed again and again, as by the readouts
// of one move: nothing is repainted until a frame has passed, and then only
// the rows whose text changed, in one paint.
TEST_F(TextPanelOnTestClock, RepaintsOnlyTheChangedRowsAtMostOncePerFrame) {
  testing::PaintRecorder recorder{&list_};
  std::vector<QRegion>& paints = recorder.paints[&list_];
  // After a frame, the paint that the rows asked for, if any.
  const auto next_frame = [&](std::size_t want) {
    now_ += kFrame;
    EXPECT_TRUE(QTest::qWaitFor([&] { return testing::Timed(list_).isEmpty() && paints.size() >= want; }));
    QApplication::processEvents();
  };
  const auto rows = [&](std::initializer_list<int> changed) {
    const QRect area = list_.contentsRect();
    const int line = list_.fontMetrics().height();
    QRegion region;
    for (int row : changed) region += QRect(area.left(), area.top() + row * line, area.width(), line);
    return changed.size() == 0 ? std::vector<QRegion>{} : std::vector<QRegion>{region};
  };
  const std::vector<std::string> log = testing::LoadLogLines();
  PrintLines(list_, log);
  next_frame(1);
  struct Step {
    const char* what;
    std::vector<std::string> lines;
    std::vector<QRegion> repainted;
  };
  const Step steps[] = {
      {"a readout over the log", testing::ReadoutLines(), rows({0, 1, 2, 3, 5, 7, 9, 10, 11})},
      {"the next block", testing::NextColumnReadoutLines(), rows({2, 5})},
      {"the log over a readout, shorter", log, rows({0, 1, 2, 3, 5, 7, 9, 10, 11})},
      {"the same lines", log, {}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    paints.clear();
    for (int readout = 0; readout < 5; ++readout) {
      PrintLines(list_, step.lines);
      QApplication::processEvents();
    }
    EXPECT_EQ(paints, std::vector<QRegion>{}) << "within the frame";
    next_frame(step.repainted.size());
    EXPECT_EQ(paints, step.repainted);
  }
}

TEST(ProgressPanelWidget, TakesValuesFrom0To65536AndRefusesOthers) {
  ProgressPanelWidget bar;
  bar.resize(721, 17);
  const QImage empty = bar.grab().toImage();
  for (const float value : {0.0F, 1.0F, 65535.0F, 65536.0F}) {
    bar.Value(value);
    EXPECT_EQ(bar.Position(), value);
  }
  EXPECT_NE(bar.grab().toImage(), empty) << "a full bar looks different from an empty one";
  for (const float value : {-1.0F, 65537.0F, std::numeric_limits<float>::quiet_NaN()}) {
    EXPECT_THROW(bar.Value(value), std::out_of_range) << value;
    EXPECT_EQ(bar.Position(), 65536.0F);
  }
}

}  // namespace
}  // namespace geodata
