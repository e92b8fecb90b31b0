// Feeds arbitrary bytes through the reader, the same load the open command
// runs, and checks the outcome against a plain walk of the same bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>

#include "tests/support/reference_walk.h"
#include "region/block_store.h"
#include "region/byte_source.h"
#include "region/region_error.h"
#include "region/region_reader.h"
#include "window/panels.h"

namespace geodata {
namespace {

void Require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "region fuzzer: %s\n", what);
    std::abort();
  }
}

// Panels that only count, so a failed load can be shown to have touched none.
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

// One store for every run, as the window keeps one for its whole life.
struct Harness {
  BlockStore store;
  RegionReader reader;
  CountingPanels Map;
  CountingPanels list;
  CountingPanels Baras;
};

std::array<std::uint8_t, kHeaderBytes + 1> HeaderOf(const BlockStore& store) {
  std::array<std::uint8_t, kHeaderBytes + 1> header{};
  for (int n = 0; n <= kHeaderBytes; ++n) header[n] = store.Header(n);
  return header;
}

void RunOne(Harness& h, std::span<const std::byte> bytes) {
  const auto header_before = HeaderOf(h.store);
  h.Map.Reset();
  h.list.Reset();
  h.Baras.Reset();
  SpanSource source(bytes, "fuzz.dat");
  bool loaded = false;
  RegionErrorKind kind{};
  std::optional<int> block;
  try {
    h.reader.Load(source, h.store, h.Map, h.list, h.Baras);
    loaded = true;
  } catch (const RegionError& e) {
    kind = e.kind();
    block = e.where().block;
  }

  bool slots_agree = true;
  const ReferenceOutcome expected =
      WalkRegion(bytes, [&](int i, int j, int k, std::int16_t value) {
        if (loaded && h.store.Geo(i, j, k) != value) slots_agree = false;
      });
  Require(loaded == expected.loads, "the reader and the plain walk disagree on success");
  if (loaded) {
    Require(slots_agree, "a stored value differs from the file");
    for (int n = 1; n <= kHeaderBytes; ++n) {
      Require(h.store.Header(n) == std::to_integer<std::uint8_t>(bytes[n - 1]), "header byte");
    }
    Require(h.Map.calls == 1 && h.list.calls == 4 && h.list.lines == 3, "panel operations");
    Require(h.Baras.calls == kBlocks && h.Baras.last == kBlocks - 1, "progress");
    return;
  }
  Require(h.Map.calls == 0 && h.list.calls == 0 && h.Baras.calls == 0,
          "a failed load touched a panel");
  Require(HeaderOf(h.store) == header_before, "a failed load changed the header");
  Require(block == expected.block, "the failing block differs");
  Require((kind == RegionErrorKind::kLayerCountTooLarge) == expected.count_too_large,
          "the kind of failure differs");
}

}  // namespace
}  // namespace geodata

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto* harness = new geodata::Harness;  // lives for the whole process
  geodata::RunOne(*harness, std::as_bytes(std::span(data, size)));
  return 0;
}
