// What the reasons a file cannot be opened or read say on each system.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "region/platform/file.h"
#include "testing/process_probe.h"

namespace geodata {
namespace {

using testing::System;

TEST(FileReason, CommonReasonsReadAlikeAndTheNetworkAsItself) {
  if (testing::ThisSystem() == System::kLinux) GTEST_SKIP() << "Linux says what strerror says";
  struct Case {
    const char* name;
    System system;
    std::uint32_t error;  // errno on Linux, GetLastError() on Windows
    std::string says;
  };
  const Case cases[] = {
      {"a missing file", System::kWindows, 2, "No such file or directory"},
      {"a missing folder", System::kWindows, 3, "No such file or directory"},
      {"no permission", System::kWindows, 5, "Permission denied"},
      {"a bad sector", System::kWindows, 23, "Input/output error"},
      {"locked by another program", System::kWindows, 33, "The file is locked by another program"},
      {"a share's server gone", System::kWindows, 53, "The network path was not found"},
      {"a share's name gone", System::kWindows, 67, "The network name cannot be found"},
      {"a share gone while open", System::kWindows, 64, "The network name is no longer available"},
      {"the network failing", System::kWindows, 59, "An unexpected network error occurred"},
  };
  for (const Case& c : cases) {
    if (c.system == testing::ThisSystem()) {
      EXPECT_EQ(platform::Reason(c.error), c.says) << c.name;
    }
  }
}

}  // namespace
}  // namespace geodata
