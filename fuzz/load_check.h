// Loads bytes as the open command does, into one store kept for the whole
// run as the window keeps it, and aborts on any difference from the plain
// walk of the same bytes: the outcome, the failing block and kind, the
// panels, the header and every slot of the table, stale ones included.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "fuzz/table_watch.h"
#include "region/block_store.h"
#include "region/region_reader.h"
#include "window/panels.h"

namespace geodata {

// Panels that only count, so a failed load can be shown to have touched none
// but the bar.
struct CountingPanels final : MapPanel, TextPanel, ProgressPanel {
  int calls = 0;
  int lines = 0;
  float last = -1;
  void Reset() {
    calls = 0;
    lines = 0;
    last = -1;
  }
  void Cls() override { ++calls; }
  void PSet(float, float, Colour) override { ++calls; }
  void Value(float value) override {
    ++calls;
    last = value;
  }

 protected:
  void AppendLine(std::string) override {
    ++calls;
    ++lines;
  }
};

class LoadCheck {
 public:
  LoadCheck() : watch_(store_) {}
  void Run(std::span<const std::byte> bytes);

 private:
  BlockStore store_;
  RegionReader reader_;
  CountingPanels Map_;
  CountingPanels list_;
  CountingPanels Baras_;
  TableWatch watch_;
};

}  // namespace geodata
