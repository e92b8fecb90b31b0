// Stands in for the person at the open dialog: confirms whatever path it
// was last given.
#pragma once

#include <string>
#include <utility>

#include "window/file_dialog.h"

namespace geodata::bench {

class PathDialog final : public FileDialog {
 public:
  explicit PathDialog(std::string* path) : path_(path) {}
  void Filter(std::string /*filter*/) override {}
  bool ShowOpen() override { return true; }
  std::string FileName() const override { return *path_; }

 private:
  std::string* path_;
};

}  // namespace geodata::bench
