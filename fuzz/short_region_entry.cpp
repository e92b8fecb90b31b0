// The fuzzer's entry for short inputs, each made a whole region first.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/load_check.h"
#include "fuzz/short_region.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Both live for the whole process, as the window's store does.
  static auto* check = new geodata::LoadCheck;
  static auto* region = new std::vector<std::byte>;
  geodata::ExpandShortRegion(std::as_bytes(std::span(data, size)), *region);
  check->Run(*region);
  return 0;
}
