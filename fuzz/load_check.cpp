#include "fuzz/load_check.h"

#include <memory>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "region/byte_source.h"
#include "region/region_error.h"
#include "testing/reference_walk.h"

namespace geodata {
namespace {

void Require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "region fuzzer: %s\n", what);
    std::abort();
  }
}

std::array<std::uint8_t, kHeaderBytes + 1> HeaderOf(const BlockStore& store) {
  std::array<std::uint8_t, kHeaderBytes + 1> header{};
  for (int n = 0; n <= kHeaderBytes; ++n) header[n] = store.Header(n);
  return header;
}

}  // namespace

void LoadCheck::Run(std::span<const std::byte> bytes) {
  const auto header_before = HeaderOf(store_);
  Map_.Reset();
  list_.Reset();
  Baras_.Reset();
  bool loaded = false;
  RegionErrorKind kind{};
  std::optional<int> block;
  try {
    reader_.Load([&] { return std::make_unique<SpanSource>(bytes, "fuzz.dat"); }, store_, Map_, list_, Baras_);
    loaded = true;
  } catch (const RegionError& e) {
    kind = e.kind();
    block = e.where().block;
  }

  // A failed load must leave every slot as it was, so it expects nothing.
  const ReferenceOutcome expected =
      WalkRegion(bytes, [&](int i, int j, int k, std::int16_t value) {
        if (loaded) watch_.Expect(i, j, k, value);
      });
  Require(loaded == expected.loads, "the reader and the plain walk disagree on success");
  watch_.Verify();
  if (loaded) {
    for (int n = 1; n <= kHeaderBytes; ++n) {
      Require(store_.Header(n) == std::to_integer<std::uint8_t>(bytes[n - 1]), "header byte");
    }
    Require(Map_.calls == 1 && list_.calls == 4 && list_.lines == 3, "panel operations");
    Require(Baras_.calls == 1 && Baras_.last == kBlocks - 1, "progress");
    return;
  }
  Require(Map_.calls == 0 && list_.calls == 0, "a failed load touched a panel");
  // The bar shows the last block checked before the failing one, if any.
  const int checked = expected.block.value_or(0);
  Require(Baras_.calls == (checked > 0 ? 1 : 0) && (checked == 0 || Baras_.last == static_cast<float>(checked - 1)),
          "progress of a failed load");
  Require(HeaderOf(store_) == header_before, "a failed load changed the header");
  Require(block == expected.block, "the failing block differs");
  Require((kind == RegionErrorKind::kLayerCountTooLarge) == expected.count_too_large,
          "the kind of failure differs");
}

}  // namespace geodata
