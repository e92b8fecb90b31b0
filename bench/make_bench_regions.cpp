// Writes the four benchmark regions into GEODATA_BENCH_DATA (or the default
// folder) for the programs that open them by name.
#include <cstdio>

#include "bench/bench_data.h"
#include "testing/test_regions.h"

int main() {
  const auto folder = geodata::bench::BenchDataFolder();
  for (const auto region : geodata::testing::kBenchRegions) {
    std::printf("%s\n", geodata::testing::BenchRegionFile(region, folder).c_str());
  }
  return 0;
}
