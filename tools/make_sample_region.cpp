// Writes a synthetic sample region file:
//   make_sample_region [--x N] [--y N] [--seed N] out.dat
#include <charconv>
#include <cstdint>
#include <exception>
#include <iostream>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "tools/region_writer.h"
#include "tools/terrain_generator.h"

namespace {

constexpr std::string_view kUsage =
    "usage: make_sample_region [--x 0..255] [--y 0..255] [--seed N] out.dat\n";

template <typename Number>
std::optional<Number> Parse(std::string_view text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  geodata::SampleRequest request;
  std::string out;
  for (int n = 1; n < argc; ++n) {
    const std::string_view arg = argv[n];
    const bool has_value = n + 1 < argc;
    std::optional<std::uint64_t> value;
    if (has_value && (arg == "--x" || arg == "--y" || arg == "--seed")) {
      value = Parse<std::uint64_t>(argv[++n]);
    }
    if (arg == "--seed" && value) {
      request.seed = *value;
    } else if ((arg == "--x" || arg == "--y") && value &&
               *value <= std::numeric_limits<std::uint8_t>::max()) {
      (arg == "--x" ? request.region_x : request.region_y) = static_cast<std::uint8_t>(*value);
    } else if (out.empty() && !arg.empty() && arg.front() != '-') {
      out = arg;
    } else {
      std::cerr << kUsage;
      return 2;
    }
  }
  if (out.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  try {
    geodata::WriteRegionFile(out, geodata::GenerateSampleRegion(request));
  } catch (const std::exception& e) {
    std::cerr << "make_sample_region: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
