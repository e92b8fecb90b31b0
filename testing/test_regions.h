// The regions tests and benchmarks load, made with our region writer: whole
// regions of one kind, of every kind, with one cell's layer count set, the
// longest, and the four seeded ones the benchmarks time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "region/region_format.h"
#include "testing/temp_dir.h"

namespace geodata::testing {

using RegionHeader = std::array<std::uint8_t, kHeaderBytes>;
// A value by block number.
using BlockValue = std::function<std::int16_t(int block)>;

// Every block flat, holding first(i) and second(i).
std::vector<std::byte> FlatRegion(const RegionHeader& header, const BlockValue& first,
                                  const BlockValue& second);

// Every block complex, every cell of block i height(i).
std::vector<std::byte> ComplexRegion(const RegionHeader& header, const BlockValue& height);

// Every kind of block, varied by shift: mostly flat, complex and multilayer
// ones (0 to 6 layers) among them. Block 0 is flat at -3753 (drawn
// (0, 106, 0)), block 1 flat at -3754 (0, 0, 170), and block 65535 has five
// layers (200, 200, 200).
std::vector<std::byte> MixedRegion(std::uint8_t region_x, std::uint8_t region_y, int shift);

// Flat blocks but for block `block`, whose cell `cell` (1 to 64) declares
// `count` layers and holds `held` values, as many as it declares unless said.
// The other cells hold one value.
std::vector<std::byte> RegionWithCount(std::int16_t count, int block = 4660, int cell = 7,
                                       std::optional<int> held = std::nullopt);

// The longest region there is: every block multilayer, 16 layers in every
// cell. The blocks repeat every kWorstCaseGroup: block i has the type word
// -1 - i % 64 and every value value_step * (i % 64). Written a group at a
// time; returns the file's path.
inline constexpr int kWorstCaseGroup = 64;
std::string WriteWorstCaseRegion(const TempDir& dir, const std::string& name, const RegionHeader& header,
                                 int value_step);

// The four regions the benchmarks and the reference-reader test load: made
// from a fixed seed, so every run sees the same bytes.
enum class BenchRegion { kFlat, kComplex, kMixed, kWorst };

inline constexpr std::array kBenchRegions = {BenchRegion::kFlat, BenchRegion::kComplex,
                                             BenchRegion::kMixed, BenchRegion::kWorst};

// "flat", "complex", "mixed", "worst": the benchmark table's column names.
std::string_view Name(BenchRegion region);
// The same, for test names and messages.
void PrintTo(BenchRegion region, std::ostream* out);

// Flat: every block flat. Complex: every block complex. Mixed: about half
// complex, a quarter flat, a quarter multilayer with 1 to 8 layers a cell.
// Worst: every block multilayer, every cell 16 layers. Values cover the whole
// 16-bit range, so a value in the wrong slot shows.
std::vector<std::byte> MakeBenchRegion(BenchRegion region);

// The region's file in `folder`, written there first unless it is already
// there with the right size.
std::filesystem::path BenchRegionFile(BenchRegion region, const std::filesystem::path& folder);

}  // namespace geodata::testing
