#include "region/windows_path.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "region/byte_source.h"
#include "testing/temp_dir.h"

namespace geodata {
namespace {

// A name of `length` characters, to make paths past Windows' 260.
std::string Long(std::size_t length) { return std::string(length, 'n'); }

TEST(WindowsPath, OnADriveOrAShareIsExtended) {
  struct Case {
    const char* name;
    std::string path;
    std::string extended;
  };
  const Case cases[] = {
      // Drives.
      {"on a drive", R"(C:\maps\22_22.dat)", R"(\\?\C:\maps\22_22.dat)"},
      {"with forward slashes and doubled separators", "c:/maps//north/22_22.dat",
       R"(\\?\c:\maps\north\22_22.dat)"},
      // Shares.
      {"on a share", R"(\\server\maps\22_22.dat)", R"(\\?\UNC\server\maps\22_22.dat)"},
      // Ends of names that Windows drops.
      {"periods and spaces that end the path", R"(C:\maps\22_22.dat. .)",
       R"(\\?\C:\maps\22_22.dat)"},
      {"a period that ends a folder's name", R"(C:\maps.\22_22.dat)", R"(\\?\C:\maps\22_22.dat)"},
      {"with a name of three periods", R"(C:\...\22_22.dat)", R"(\\?\C:\...\22_22.dat)"},
      // As they are.
      {"a device name", "NUL", "NUL"},
      {"the empty path", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtendedWindowsPath(c.path), c.extended) << c.name;
  }
}

// Where the reader opens them, on every system: under Windows through the
// extended form, without which a deep path fails where the long-path setting
// is off, and a device's name opens the device.
TEST(WindowsPath, DeepAndDeviceNamedFilesOpen) {
  std::vector<std::byte> bytes(1000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::byte>(i * 7);
  const struct {
    std::string name;
    std::size_t longer_than;
  } cases[] = {{Long(100) + "/" + Long(100) + "/" + Long(80) + ".dat", 260}, {"con.dat", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const testing::TempDir dir;
    const std::string path = dir.Write(c.name, bytes);
    ASSERT_GT(path.size(), c.longer_than);
    FileSource source(path);
    EXPECT_EQ(source.Stamp().size, bytes.size());
    std::vector<std::byte> read(bytes.size());
    EXPECT_EQ(source.ReadAt(0, read), bytes.size());
    EXPECT_EQ(read, bytes);
  }
}

}  // namespace
}  // namespace geodata
