#include "window/application_setup.h"

#include <gtest/gtest.h>

#include <QMessageBox>

#include "testing/address_space_limit.h"
#include "testing/qt/modal_driver.h"

namespace geodata {
namespace {

TEST(RunWindow, WithoutRoomForTheRegionTableShowsItsBoxAndEndsWith1) {
  if (!testing::CanLimitAddressSpace()) GTEST_SKIP() << "no address-space cap here";
  testing::ModalDriver person;
  const testing::AddressSpaceLimit full(std::uint64_t{64} << 20);
  EXPECT_EQ(RunWindow(1), 1);
  ASSERT_EQ(person.boxes.size(), 1U);
  EXPECT_EQ(person.boxes[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(person.boxes[0].text.contains("not enough memory"));
}

}  // namespace
}  // namespace geodata
