// A digest of everything a block store holds, to show that a failed load
// changed nothing.
#pragma once

#include <cstdint>

#include "region/block_store.h"

namespace geodata::testing {

inline std::uint64_t StoreDigest(const BlockStore& store) {
  std::uint64_t hash = 1469598103934665603ULL;
  auto mix = [&hash](std::uint64_t v) { hash = (hash ^ v) * 1099511628211ULL; };
  for (int n = 0; n <= BlockStore::kHeaderMax; ++n) mix(store.Header(n));
  for (int k = 0; k <= BlockStore::kLayerMax; ++k) {
    for (int j = 0; j <= BlockStore::kCellMax; ++j) {
      std::uint64_t row = 0;
      for (std::int16_t v : store.Row(j, k)) row = row * 31 + static_cast<std::uint16_t>(v);
      mix(row);
    }
  }
  return hash;
}

}  // namespace geodata::testing
