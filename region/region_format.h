// Sizes of the region file format and of the block store, named once.
#pragma once

#include <cstddef>
#include <cstdint>

namespace geodata {

inline constexpr int kBlocks = 65536;             // blocks in a region
inline constexpr int kBlocksPerSide = 256;        // blocks along each axis
inline constexpr int kCells = 64;                 // cells in a block
inline constexpr int kMaxLayers = 16;             // values a cell can hold
inline constexpr int kHeaderBytes = 18;           // header bytes at the file's start
inline constexpr std::int16_t kFlatType = 0;      // type word of a flat block
inline constexpr std::int16_t kComplexType = 64;  // type word of a complex block

// A flat block's two values, which go to cells 1 and 2.
inline constexpr int kFlatValues = 2;

// Block sizes in bytes, type word included.
inline constexpr std::size_t kFlatBlockBytes = 2 + 2 * kFlatValues;
inline constexpr std::size_t kMaxBlockBytes = 2 + kCells * (2 + 2 * kMaxLayers);

// The longest file prefix a load can consume; nothing beyond it is ever read.
inline constexpr std::size_t kMaxRegionBytes = kHeaderBytes + kBlocks * kMaxBlockBytes;
static_assert(kMaxRegionBytes == 142'737'426);

inline constexpr int BlockColumn(int block) { return block / kBlocksPerSide; }
inline constexpr int BlockRow(int block) { return block % kBlocksPerSide; }

}  // namespace geodata
