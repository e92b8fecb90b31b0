// A fresh folder under the system's temp folder, removed with its contents.
#pragma once

#include <filesystem>
#include <span>
#include <string>

namespace geodata::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes bytes to a file in the folder and returns its full path.
  std::string Write(const std::string& name, std::span<const std::byte> bytes) const;

 private:
  std::filesystem::path path_;
};

}  // namespace geodata::testing
