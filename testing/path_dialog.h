// Stands in for the person at the open dialog: answers with whatever the
// path it refers to holds when asked. Tests, benchmarks and probes share it.
#pragma once

#include <string>
#include <utility>

#include "window/file_dialog.h"

namespace geodata {

// What a stand-in dialog was asked, and whether it confirms.
struct DialogRecord {
  bool confirm = true;
  std::string filter;
  int shown = 0;
};

class PathDialog final : public FileDialog {
 public:
  // Always confirms.
  explicit PathDialog(const std::string& path) : path_(path) {}
  // Confirms or cancels as the record says, and notes what it was asked.
  PathDialog(const std::string& path, DialogRecord& record) : path_(path), record_(&record) {}

  void Filter(std::string filter) override {
    if (record_ != nullptr) record_->filter = std::move(filter);
  }
  bool ShowOpen() override {
    if (record_ == nullptr) return true;
    ++record_->shown;
    return record_->confirm;
  }
  std::string FileName() const override { return path_; }

 private:
  const std::string& path_;
  DialogRecord* record_ = nullptr;
};

}  // namespace geodata
