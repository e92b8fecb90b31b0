// Peak resident memory of a process that makes a store and a reader and opens
// a region `opens` times (0: only starts). Prints "hwm_kib first_rss_kib
// last_rss_kib", so repeated opens can be seen not to grow.
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/null_panels.h"
#include "testing/process_probe.h"
#include "region/region_reader.h"

int main(int argc, char** argv) {
  using namespace geodata;
  if (argc < 2 || (std::atoi(argv[1]) > 0 && argc < 3)) {
    std::fprintf(stderr, "usage: %s OPENS [FILE]\n", argv[0]);
    return 2;
  }
  const int opens = std::atoi(argv[1]);
  BlockStore store;
  RegionReader reader;
  bench::NullMap map;
  bench::NullText text;
  bench::NullProgress progress;
  long first_rss = geodata::testing::ResidentKiB();
  for (int n = 0; n < opens; ++n) {
    reader.Load([&] { return std::make_unique<FileSource>(argv[2]); }, store, map, text, progress);
    if (n == 0) first_rss = geodata::testing::ResidentKiB();
  }
  std::printf("%ld %ld %ld\n", geodata::testing::PeakResidentKiB(), first_rss, geodata::testing::ResidentKiB());
  return 0;
}
