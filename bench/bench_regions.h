// The four regions the benchmarks and the reference-reader test load: made by
// our own writer from a fixed seed, so every run sees the same bytes.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <string_view>
#include <vector>

namespace geodata::bench {

enum class BenchRegion { kFlat, kComplex, kMixed, kWorst };

inline constexpr std::array kBenchRegions = {BenchRegion::kFlat, BenchRegion::kComplex,
                                             BenchRegion::kMixed, BenchRegion::kWorst};

// "flat", "complex", "mixed", "worst": the table's column names.
std::string_view Name(BenchRegion region);

// Flat: every block flat. Complex: every block complex. Mixed: about half
// complex, a quarter flat, a quarter multilayer with 1 to 8 layers a cell.
// Worst: every block multilayer, every cell 16 layers. Values cover the whole
// 16-bit range, so a value in the wrong slot shows.
std::vector<std::byte> MakeBenchRegion(BenchRegion region);

// The region's file in `folder`, written there first unless it is already
// there with the right size.
std::filesystem::path BenchRegionFile(BenchRegion region, const std::filesystem::path& folder);

}  // namespace geodata::bench
