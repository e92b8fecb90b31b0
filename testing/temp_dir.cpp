#include "testing/temp_dir.h"

#include <random>
#include <stdexcept>
#include <string>

#include "tools/region_writer.h"

namespace geodata::testing {
namespace {

// On Windows, as the reader opens files: deep paths and names like a
// device's (con.dat) are files there too.
std::filesystem::path Extended(const std::filesystem::path& absolute) {
#ifdef _WIN32
  return LR"(\\?\)" + absolute.wstring();
#else
  return absolute;
#endif
}

}  // namespace

std::filesystem::path Utf8Path(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

TempDir::TempDir() {
  // A name nobody else has: create_directory makes it only if it is new.
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto path = std::filesystem::temp_directory_path() / ("geodata-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(path)) {
      path_ = path;
      return;
    }
  }
  throw std::runtime_error("no new folder could be made in the temp folder");
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(Extended(path_), ignored);
}

std::string TempDir::Write(const std::string& name, std::span<const std::byte> bytes) const {
  const auto file = (path_ / Utf8Path(name)).make_preferred();
  std::filesystem::create_directories(file.parent_path());
  WriteRegionFile(Extended(file), bytes);
  return Utf8(file);
}

}  // namespace geodata::testing
