// Toolkit-free benchmarks: the floor, the reader (first and second load), its
// read and check alone, painting and one readout through panels that keep
// nothing.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_data.h"
#include "bench/null_panels.h"
#include "region/region_reader.h"
#include "testing/test_regions.h"
#include "view/map_renderer.h"
#include "view/map_units.h"
#include "view/pointer_readout.h"

namespace geodata::bench {
namespace {

using testing::BenchRegion;
using testing::kBenchRegions;

// The least any load can cost: the file's bytes into a buffer, summed as
// 16-bit words so every byte is looked at.
std::uint64_t ReadAndSum(const std::string& path, std::vector<std::byte>& buffer) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("cannot open " + path);
  std::size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t got = pread(fd, buffer.data() + done, buffer.size() - done, static_cast<off_t>(done));
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  close(fd);
  std::uint64_t sum = 0;
  for (std::size_t at = 0; at + 1 < done; at += 2) {
    std::uint16_t word;
    std::memcpy(&word, buffer.data() + at, sizeof word);
    sum += word;
  }
  return sum;
}

void Floor(benchmark::State& state, std::string path) {
  std::vector<std::byte> buffer(std::filesystem::file_size(path));
  for (auto _ : state) benchmark::DoNotOptimize(ReadAndSum(path, buffer));
}

void ReadFirst(benchmark::State& state, std::string path) {
  NullMap map;
  NullText text;
  NullProgress progress;
  for (auto _ : state) {
    state.PauseTiming();
    auto store = std::make_unique<BlockStore>();
    auto reader = std::make_unique<RegionReader>();
    state.ResumeTiming();
    reader->Load([&] { return std::make_unique<FileSource>(path); }, *store, map, text, progress);
    state.PauseTiming();
    store.reset();
    reader.reset();
    state.ResumeTiming();
  }
}

// A store that has held the region once, with panels that keep nothing.
struct LoadedRegion {
  explicit LoadedRegion(const std::string& path) { Load(path); }
  void Load(const std::string& path) {
    reader.Load([&] { return std::make_unique<FileSource>(path); }, store, map, text, progress);
  }

  NullMap map;
  NullText text;
  NullProgress progress;
  BlockStore store;
  RegionReader reader;
};

void ReadSecond(benchmark::State& state, std::string path) {
  LoadedRegion loaded(path);
  for (auto _ : state) loaded.Load(path);
}

void CheckOnly(benchmark::State& state, std::string path) {
  RegionReader reader;
  NoProgress progress;
  for (auto _ : state) {
    FileSource source(path);
    benchmark::DoNotOptimize(reader.Check(source, progress).Bytes().size());
  }
}

void DrawCore(benchmark::State& state, std::string path) {
  LoadedRegion loaded(path);
  DrawCounters counters;
  for (auto _ : state) {
    Draw_Geodata(loaded.store, kDisplayStep, counters, loaded.map, loaded.text);
    benchmark::DoNotOptimize(loaded.map.last);
  }
}

void ReadoutCore(benchmark::State& state, std::string path) {
  LoadedRegion loaded(path);
  float x = 0;
  for (auto _ : state) {
    Map_MouseMove(0, 0, x, 3000.0F, loaded.store, kDisplayStep, loaded.text);
    x = x < 7000.0F ? x + 7.0F : 0.0F;
    benchmark::DoNotOptimize(loaded.text.lines);
  }
}

void RegisterAll() {
  const auto folder = BenchDataFolder();
  for (BenchRegion region : kBenchRegions) {
    const std::string path = BenchRegionFile(region, folder).string();
    const std::string name(Name(region));
    for (auto [measure, run] : {std::pair{"floor", &Floor}, {"read_second", &ReadSecond},
                                {"read_first", &ReadFirst}, {"check_only", &CheckOnly},
                                {"draw_core", &DrawCore}}) {
      benchmark::RegisterBenchmark((std::string(measure) + "/" + name).c_str(), run, path)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
  }
  const std::string mixed = BenchRegionFile(BenchRegion::kMixed, folder).string();
  benchmark::RegisterBenchmark("readout_core", &ReadoutCore, mixed)->Unit(benchmark::kMicrosecond);
}

}  // namespace
}  // namespace geodata::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  geodata::bench::RegisterAll();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
