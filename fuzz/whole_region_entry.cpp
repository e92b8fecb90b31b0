// The fuzzer's entry for whole files: arbitrary bytes, as a file would hold.
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/load_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto* check = new geodata::LoadCheck;  // lives for the whole process
  check->Run(std::as_bytes(std::span(data, size)));
  return 0;
}
