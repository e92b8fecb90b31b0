// Writes the fuzzers' seed corpora into FOLDER/whole (files) and FOLDER/short
// (short inputs, see short_region.h): every block kind, the telling layer
// counts, truncations and trailing bytes, all made by our own region writer.
#include <cstddef>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "tools/region_writer.h"

namespace geodata {
namespace {

std::vector<LayerCell> CellsWithCount(std::int16_t count, int cell) {
  std::vector<LayerCell> cells(kCells, LayerCell::Of({1, -1}));
  cells[cell - 1].count = count;
  cells[cell - 1].values.assign(count > 0 ? static_cast<std::size_t>(count) : 0, 7);
  return cells;
}

// One block of each kind, then flat blocks to the end.
RegionWriter Mixed() {
  RegionWriter region({20, 18, 1, 2, 3});
  region.Flat(-5, 300).Complex(std::int16_t{-200});
  for (std::int16_t count : {0, 1, 16, -1, -32768}) {
    region.Multilayer(1, CellsWithCount(count, 1));
    region.Multilayer(-1, CellsWithCount(count, 64));
  }
  return region;
}

std::vector<std::byte> Cut(std::vector<std::byte> bytes, std::size_t keep) {
  bytes.resize(keep);
  return bytes;
}

void Write(const std::filesystem::path& folder, const std::string& name,
           const std::vector<std::byte>& bytes) {
  WriteRegionFile(folder / name, bytes);
}

// The same blocks as a short input: region X and Y, the cut, the blocks.
void WriteShort(const std::filesystem::path& folder, const std::string& name,
                const std::vector<std::byte>& region, std::uint16_t cut = 0) {
  std::vector<std::byte> input = {std::byte{20}, std::byte{18}, std::byte(cut & 0xFF),
                                  std::byte(cut >> 8)};
  input.insert(input.end(), region.begin() + kHeaderBytes, region.end());
  WriteRegionFile(folder / name, input);
}

}  // namespace
}  // namespace geodata

int main(int argc, char** argv) {
  using namespace geodata;
  if (argc != 2) {
    std::cerr << "usage: " << argv[0] << " FOLDER\n";
    return 2;
  }
  const std::filesystem::path folder = std::filesystem::path(argv[1]) / "whole";
  const std::filesystem::path short_folder = std::filesystem::path(argv[1]) / "short";
  std::filesystem::create_directories(folder);
  std::filesystem::create_directories(short_folder);

  // Short inputs: each block kind, the telling counts, and cuts inside blocks.
  WriteShort(short_folder, "one_flat", RegionWriter().Flat(1, 2).Take());
  WriteShort(short_folder, "one_complex", RegionWriter().Complex(std::int16_t{64}).Take());
  WriteShort(short_folder, "one_multilayer", RegionWriter().Multilayer(7, 2, 9).Take());
  WriteShort(short_folder, "mixed", Mixed().Take());
  for (std::int16_t count : {0, 16, 17, -1, -32768}) {
    WriteShort(short_folder, "count_" + std::to_string(count),
               RegionWriter().Multilayer(3, CellsWithCount(count, 2)).Take());
  }
  WriteShort(short_folder, "cut_in_flat", RegionWriter().Flat(1, 2).Take(), 3 + 1);
  WriteShort(short_folder, "cut_in_complex", RegionWriter().Complex(std::int16_t{5}).Take(), 41 + 1);
  WriteShort(short_folder, "cut_in_value", RegionWriter().Multilayer(1, 3, 9).Take(), 2 + 8 + 5 + 1);
  WriteShort(short_folder, "cut_in_filler", RegionWriter().Flat(1, 2).Take(), 6000);

  // Short prefixes: cheap to run, and every mutation reaches the block parser.
  Write(folder, "header_only", RegionWriter({20, 18}).Take());
  Write(folder, "one_flat", RegionWriter().Flat(1, 2).Take());
  Write(folder, "one_complex", RegionWriter().Complex(std::int16_t{64}).Take());
  Write(folder, "one_multilayer", RegionWriter().Multilayer(7, 2, 9).Take());
  Write(folder, "mixed_prefix", Mixed().Take());
  for (std::int16_t count : {0, 16, 17, -1, -32768, 32767}) {
    Write(folder, "count_" + std::to_string(count),
          RegionWriter().Multilayer(3, CellsWithCount(count, 2)).Take());
  }
  Write(folder, "cut_in_flat", Cut(RegionWriter().Flat(1, 2).Take(), 18 + 3));
  Write(folder, "cut_in_complex", Cut(RegionWriter().Complex(std::int16_t{5}).Take(), 18 + 41));
  Write(folder, "cut_in_count", Cut(RegionWriter().Multilayer(1, 3, 9).Take(), 18 + 2 + 8 + 1));
  Write(folder, "cut_in_value", Cut(RegionWriter().Multilayer(1, 3, 9).Take(), 18 + 2 + 8 + 5));

  // Whole regions: they load, so mutations explore the store writes too.
  Write(folder, "all_flat", RegionWriter({20, 18}).FillFlat().Take());
  Write(folder, "mixed_region", Mixed().FillFlat().Take());
  Write(folder, "trailing_bytes", Mixed().FillFlat().Word(64).Word(17).Word(-1).Take());
  const auto whole = Mixed().FillFlat().Take();
  Write(folder, "cut_in_last_block", Cut(whole, whole.size() - 3));
  RegionWriter last;
  while (last.blocks() < kBlocks - 1) last.Flat(0, 0);
  Write(folder, "count_17_last_cell", last.Multilayer(5, CellsWithCount(17, 64)).Take());
  std::cout << "seeds written to " << folder.string() << " and " << short_folder.string() << '\n';
  return 0;
}
