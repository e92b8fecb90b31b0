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

TEST(WindowsPath, IsMadeWholeThenExtended) {
  struct Case {
    const char* name;
    std::string path;
    std::string current_directory;
    std::string extended;
  };
  const std::string far = Long(200) + R"(\)" + Long(100) + R"(\22_22.dat)";
  const Case cases[] = {
      // Drives.
      {"on a drive", R"(C:\maps\22_22.dat)", R"(D:\work)", R"(\\?\C:\maps\22_22.dat)"},
      {"with forward slashes and doubled separators", "c:/maps//north/22_22.dat", R"(D:\work)",
       R"(\\?\c:\maps\north\22_22.dat)"},
      {"the root of a drive", R"(C:\)", R"(D:\work)", R"(\\?\C:\)"},
      {"past 260 characters", R"(C:\)" + far, R"(D:\work)", R"(\\?\C:\)" + far},
      // Shares.
      {"on a share", R"(\\server\maps\22_22.dat)", R"(C:\work)", R"(\\?\UNC\server\maps\22_22.dat)"},
      {"on a share, past 260 characters", R"(\\server\maps\)" + far, R"(C:\work)",
       R"(\\?\UNC\server\maps\)" + far},
      {"on a share with forward slashes", "//server/maps/22_22.dat", R"(C:\work)",
       R"(\\?\UNC\server\maps\22_22.dat)"},
      // "." and "..", which the extended form would take as names.
      {"with . and ..", R"(C:\maps\.\old\..\22_22.dat)", R"(D:\work)", R"(\\?\C:\maps\22_22.dat)"},
      {"with .. above the drive's root", R"(C:\..\..\22_22.dat)", R"(D:\work)", R"(\\?\C:\22_22.dat)"},
      {"with .. above the share", R"(\\server\maps\..\..\22_22.dat)", R"(C:\work)",
       R"(\\?\UNC\server\maps\22_22.dat)"},
      {"with a name of three periods", R"(C:\...\22_22.dat)", R"(D:\work)", R"(\\?\C:\...\22_22.dat)"},
      // Relative paths, from the current directory.
      {"relative", R"(maps\22_22.dat)", R"(C:\work)", R"(\\?\C:\work\maps\22_22.dat)"},
      {"relative, up one", R"(..\22_22.dat)", R"(C:\work\maps)", R"(\\?\C:\work\22_22.dat)"},
      {"relative, from a share", R"(.\22_22.dat)", R"(\\server\maps\north)",
       R"(\\?\UNC\server\maps\north\22_22.dat)"},
      {"relative, from a current directory in the extended form", R"(..\22_22.dat)", R"(\\?\C:\work\maps)",
       R"(\\?\C:\work\22_22.dat)"},
      {"relative, from a share's directory in the extended form", "22_22.dat", R"(\\?\UNC\server\maps)",
       R"(\\?\UNC\server\maps\22_22.dat)"},
      {"relative, past 260 characters together", far, R"(C:\work)", R"(\\?\C:\work\)" + far},
      {"from the current drive's root", R"(\maps\22_22.dat)", R"(D:\work)", R"(\\?\D:\maps\22_22.dat)"},
      {"from the current share's root", R"(\22_22.dat)", R"(\\server\maps\north)",
       R"(\\?\UNC\server\maps\22_22.dat)"},
      {"on the current drive, without a separator", "d:22_22.dat", R"(D:\work)", R"(\\?\D:\work\22_22.dat)"},
      {"on another drive, without a separator", "E:22_22.dat", R"(D:\work)", R"(\\?\E:\22_22.dat)"},
      // Ends of names that Windows drops.
      {"periods and spaces that end the path", R"(C:\maps\22_22.dat. .)", R"(D:\work)",
       R"(\\?\C:\maps\22_22.dat)"},
      {"a period that ends a folder's name", R"(C:\maps.\22_22.dat)", R"(D:\work)", R"(\\?\C:\maps\22_22.dat)"},
      // As they are.
      {"already extended", R"(\\?\C:\maps\..\22_22.dat)", R"(D:\work)", R"(\\?\C:\maps\..\22_22.dat)"},
      {"already extended, on a share", R"(\\?\UNC\server\maps\22_22.dat)", R"(D:\work)",
       R"(\\?\UNC\server\maps\22_22.dat)"},
      {"a device path", R"(\\.\COM1)", R"(D:\work)", R"(\\.\COM1)"},
      {"a device name", "NUL", R"(D:\work)", "NUL"},
      {"a device name in a folder, with a suffix", R"(C:\maps\con.dat)", R"(D:\work)", R"(C:\maps\con.dat)"},
      {"a share without its share name", R"(\\server)", R"(D:\work)", R"(\\server)"},
      {"the empty path", "", R"(D:\work)", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtendedWindowsPath(c.path, c.current_directory), c.extended) << c.name;
  }
}

// Where the reader opens it, on every system: under Windows through the
// extended form.
TEST(WindowsPath, AFileFurtherInThan260CharactersOpens) {
  const testing::TempDir dir;
  std::vector<std::byte> bytes(1000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::byte>(i * 7);
  const std::string path = dir.Write(Long(100) + "/" + Long(100) + "/" + Long(80) + ".dat", bytes);
  ASSERT_GT(path.size(), 260U);
  FileSource source(path);
  EXPECT_EQ(source.Stamp().size, bytes.size());
  std::vector<std::byte> read(bytes.size());
  EXPECT_EQ(source.ReadAt(0, read), bytes.size());
  EXPECT_EQ(read, bytes);
}

}  // namespace
}  // namespace geodata
