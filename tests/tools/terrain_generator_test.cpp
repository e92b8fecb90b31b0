#include "tools/terrain_generator.h"

#include <memory>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "region/block_store.h"
#include "region/region_reader.h"
#include "testing/process_probe.h"
#include "testing/recording_panels.h"
#include "testing/temp_dir.h"
#include "view/colour_rule.h"

namespace geodata {

void PrintTo(const SampleRequest& request, std::ostream* out) {
  *out << +request.region_x << "_" << +request.region_y << " seed " << request.seed;
}

namespace {

constexpr std::uint64_t kSeed = 7;

struct Colours {
  std::set<std::tuple<int, int, int>> layered;  // multilayer colours
  std::set<int> greens;                         // green components of green points
  std::set<int> blues;                          // blue components of blue points
  int flat = 0;
  int complex = 0;
  int multilayer = 0;
};

Colours Survey(const BlockStore& store) {
  Colours seen;
  for (int i = 0; i < kBlocks; ++i) {
    const std::int16_t t = store.Geo(i, 0, 0);
    const Colour c = Compose(ColourComponents(t, store.Geo(i, 1, 1), store.Geo(i, 1, 0)));
    if (t == kFlatType || t == kComplexType) {
      (t == kFlatType ? seen.flat : seen.complex)++;
      if (c.red == 0 && c.blue == 0 && c.green > 0) seen.greens.insert(c.green);
      if (c.red == 0 && c.green == 0 && c.blue > 0) seen.blues.insert(c.blue);
    } else {
      ++seen.multilayer;
      seen.layered.insert({c.red, c.green, c.blue});
    }
  }
  return seen;
}

class SampleTest : public ::testing::TestWithParam<SampleRequest> {};

TEST_P(SampleTest, LoadsWithEveryBlockKindAndEveryColour) {
  const SampleRequest request = GetParam();
  const std::vector<std::byte> bytes = GenerateSampleRegion(request);
  RegionReader reader;
  BlockStore store;
  testing::RecordingMap map;
  testing::RecordingText list;
  testing::RecordingProgress bar;
  ASSERT_NO_THROW(reader.Load([&] { return std::make_unique<SpanSource>(bytes, "sample.dat"); }, store, map, list, bar));
  NoProgress progress;
  SpanSource source(bytes, "sample.dat");
  EXPECT_EQ(reader.Check(source, progress).Bytes().size(), bytes.size()) << "no bytes after the last block";

  EXPECT_EQ(store.Header(1), request.region_x);
  EXPECT_EQ(store.Header(2), request.region_y);
  const Colours seen = Survey(store);
  EXPECT_GT(seen.flat, 0);
  EXPECT_GT(seen.complex, 0);
  EXPECT_GT(seen.multilayer, 0);
  const std::set<std::tuple<int, int, int>> all_layer_colours = {
      {255, 255, 0}, {0, 255, 255}, {255, 0, 0}, {255, 0, 255}, {200, 200, 200}, {100, 100, 100}};
  EXPECT_EQ(seen.layered, all_layer_colours);
  // Shades, not one flat colour: the map should show height and depth.
  EXPECT_GE(seen.greens.size(), 30U);
  EXPECT_GE(seen.blues.size(), 10U);
}

INSTANTIATE_TEST_SUITE_P(BuiltSamples, SampleTest,
                         ::testing::Values(SampleRequest{20, 18, kSeed}, SampleRequest{22, 22, kSeed},
                                           SampleRequest{16, 17, kSeed}),
                         [](const auto& info) {
                           return std::to_string(info.param.region_x) + "_" +
                                  std::to_string(info.param.region_y);
                         });

TEST(SampleGeneratorTest, SameRequestSameBytesAndHeaderCarriesTheRegion) {
  for (const SampleRequest request : {SampleRequest{0, 0, 1}, SampleRequest{255, 255, 1},
                                      SampleRequest{20, 18, 123456789}}) {
    const auto bytes = GenerateSampleRegion(request);
    SCOPED_TRACE(std::to_string(request.region_x) + "_" + std::to_string(request.region_y));
    EXPECT_EQ(bytes, GenerateSampleRegion(request));
    ASSERT_GE(bytes.size(), 2U);
    EXPECT_EQ(std::to_integer<int>(bytes[0]), request.region_x);
    EXPECT_EQ(std::to_integer<int>(bytes[1]), request.region_y);
  }
  EXPECT_NE(GenerateSampleRegion({20, 18, 1}), GenerateSampleRegion({20, 18, 2}));
  EXPECT_NE(GenerateSampleRegion({20, 18, 1}), GenerateSampleRegion({21, 18, 1}));
}

std::vector<std::byte> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::byte> bytes(chars.size());
  std::transform(chars.begin(), chars.end(), bytes.begin(), [](char c) { return std::byte(c); });
  return bytes;
}

int RunGenerator(const std::vector<std::string>& arguments) {
  return testing::RunProgram(GEODATA_MAKE_SAMPLE_REGION, arguments);
}

TEST(MakeSampleRegionTest, WritesTheGeneratedBytesAndRefusesBadArguments) {
  testing::TempDir dir;
  // What a shell would act on reaches the program as it is.
  const auto out = dir.path() / "16_17 & 'sample';$x.dat";
  ASSERT_EQ(RunGenerator({"--x", "16", "--y", "17", "--seed", "7", testing::Utf8(out)}), 0);
  EXPECT_EQ(ReadFile(out), GenerateSampleRegion({16, 17, 7}));

  const std::string target = (dir.path() / "bad.dat").string();
  const std::vector<std::string> refused[] = {
      {}, {"--x", "256", target}, {"--y", "-1", target}, {"--seed", "x", target},
      {"--x"}, {"--z", "1", target}, {target, target},
  };
  for (const std::vector<std::string>& bad : refused) {
    SCOPED_TRACE(::testing::PrintToString(bad));
    EXPECT_EQ(RunGenerator(bad), 2);
  }
  EXPECT_FALSE(std::filesystem::exists(target));
}

}  // namespace
}  // namespace geodata
