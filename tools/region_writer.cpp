#include "tools/region_writer.h"

#include <fstream>
#include <stdexcept>

namespace geodata {

RegionWriter::RegionWriter(std::array<std::uint8_t, kHeaderBytes> header) {
  bytes_.reserve(kHeaderBytes + kBlocks * kFlatBlockBytes);
  for (std::uint8_t b : header) bytes_.push_back(static_cast<std::byte>(b));
}

RegionWriter& RegionWriter::Word(std::int16_t value) {
  const auto u = static_cast<std::uint16_t>(value);
  bytes_.push_back(static_cast<std::byte>(u & 0xFF));
  bytes_.push_back(static_cast<std::byte>(u >> 8));
  return *this;
}

RegionWriter& RegionWriter::Flat(std::int16_t first, std::int16_t second) {
  Word(kFlatType).Word(first).Word(second);
  ++blocks_;
  return *this;
}

RegionWriter& RegionWriter::Complex(std::span<const std::int16_t, kCells> heights) {
  Word(kComplexType);
  for (std::int16_t h : heights) Word(h);
  ++blocks_;
  return *this;
}

RegionWriter& RegionWriter::Complex(std::int16_t height) {
  std::array<std::int16_t, kCells> heights{};
  heights.fill(height);
  return Complex(heights);
}

RegionWriter& RegionWriter::Multilayer(std::int16_t type, std::span<const LayerCell> cells) {
  if (cells.size() != kCells) throw std::invalid_argument("a block has 64 cells");
  Word(type);
  for (const LayerCell& cell : cells) {
    Word(cell.count);
    for (std::int16_t v : cell.values) Word(v);
  }
  ++blocks_;
  return *this;
}

RegionWriter& RegionWriter::Multilayer(std::int16_t type, std::int16_t layers, std::int16_t value) {
  Word(type);
  for (int j = 0; j < kCells; ++j) {
    Word(layers);
    for (int k = 0; k < layers; ++k) Word(value);
  }
  ++blocks_;
  return *this;
}

RegionWriter& RegionWriter::FillFlat() {
  while (blocks_ < kBlocks) Flat(0, 0);
  return *this;
}

void WriteRegionFile(const std::filesystem::path& path, std::span<const std::byte> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace geodata
