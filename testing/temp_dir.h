// A fresh folder under the system's temp folder, removed with its contents.
#pragma once

#include <filesystem>
#include <span>
#include <string>

namespace geodata::testing {

// UTF-8 from and to a path, whatever the system's own encoding of names.
std::filesystem::path Utf8Path(const std::string& utf8);
std::string Utf8(const std::filesystem::path& path);

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes bytes to a file in the folder, or in a folder in it ("a/b.dat"),
  // and returns its full path. Names and paths are UTF-8, as the reader takes.
  std::string Write(const std::string& name, std::span<const std::byte> bytes) const;

 private:
  std::filesystem::path path_;
};

}  // namespace geodata::testing
