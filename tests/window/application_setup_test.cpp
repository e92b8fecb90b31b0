#include "window/application_setup.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "testing/address_space_limit.h"
#include "testing/qt/modal_driver.h"
#include "testing/qt/qt_printers.h"

namespace geodata {
namespace {

// Started with too little memory for the region table, the program says so
// in a box and ends with 1.
TEST(RunWindow, WithoutRoomForTheRegionTableShowsItsBoxAndEndsWith1) {
  if (!testing::CanLimitAddressSpace()) GTEST_SKIP() << "no address-space cap here";
  testing::ModalDriver person;
  // Should the window be made after all, its event loop ends rather than hangs.
  QTimer::singleShot(5000, qApp, [] { QApplication::exit(2); });
  int ended = 0;
  {
    const testing::AddressSpaceLimit full(std::uint64_t{64} << 20);
    ended = RunWindow();
  }
  EXPECT_EQ(ended, 1);
  ASSERT_EQ(person.boxes.size(), 1U);
  EXPECT_EQ(person.boxes[0].title, "GeoData viewer");
  EXPECT_EQ(person.boxes[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(person.boxes[0].text.contains("not enough memory")) << person.boxes[0].text.toStdString();
}

}  // namespace
}  // namespace geodata
