#include "testing/temp_dir.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "tools/region_writer.h"

namespace geodata::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "geodata-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, std::span<const std::byte> bytes) const {
  const auto file = path_ / name;
  WriteRegionFile(file, bytes);
  return file.string();
}

}  // namespace geodata::testing
