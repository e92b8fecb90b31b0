#include "window/application_setup.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QTimer>

#include "testing/address_space_limit.h"
#include "testing/qt/modal_driver.h"

namespace geodata {
namespace {

// A window shown in spite of it is closed at once, which ends the program's
// loop: the test fails instead of waiting for someone to close it.
class WindowCloser final : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* window = qobject_cast<QMainWindow*>(watched);
    if (window != nullptr && event->type() == QEvent::Show) QTimer::singleShot(0, window, &QWidget::close);
    return false;
  }
};

TEST(RunWindow, WithoutRoomForTheRegionTableShowsItsBoxAndEndsWith1) {
  if (!testing::CanLimitAddressSpace()) GTEST_SKIP() << "no address-space cap here";
  testing::ModalDriver person;
  WindowCloser closer;
  qApp->installEventFilter(&closer);
  const testing::AddressSpaceLimit full(std::uint64_t{64} << 20);
  EXPECT_EQ(RunWindow(1), 1) << "the window showed";
  ASSERT_EQ(person.boxes.size(), 1U);
  EXPECT_EQ(person.boxes[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(person.boxes[0].text.contains("not enough memory"));
}

}  // namespace
}  // namespace geodata
