// Stands in for the person at the open dialog: answers with the path its
// record holds when asked. Tests, benchmarks and probes share it.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "window/file_dialog.h"

namespace geodata {

// What the stand-in person answers, and what they were asked. Shared by the
// dialog and whoever steers it, so that neither outlives it.
struct DialogRecord {
  std::string answer;
  bool confirm = true;
  std::string filter;
  int shown = 0;
};

class PathDialog final : public FileDialog {
 public:
  // Always confirms `answer`.
  explicit PathDialog(std::string answer) : record_(std::make_shared<DialogRecord>()) {
    record_->answer = std::move(answer);
  }
  explicit PathDialog(std::shared_ptr<DialogRecord> record) : record_(std::move(record)) {}

  void Filter(std::string filter) override { record_->filter = std::move(filter); }
  bool ShowOpen() override {
    ++record_->shown;
    return record_->confirm;
  }
  std::string FileName() const override { return record_->answer; }

 private:
  std::shared_ptr<DialogRecord> record_;
};

}  // namespace geodata
