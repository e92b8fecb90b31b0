// Keeps a block store's table write-protected between loads, so that the
// pages a load writes are known and their contents before it are kept. Every
// slot of the 145 MB table, stale ones included, can then be compared after
// each load by looking at those few pages alone.
#pragma once

#include <signal.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "region/block_store.h"

namespace geodata {

class TableWatch {
 public:
  // One at a time: the fault handler can reach only static state.
  explicit TableWatch(BlockStore& store);
  ~TableWatch();
  TableWatch(const TableWatch&) = delete;
  TableWatch& operator=(const TableWatch&) = delete;

  // The value slot (i, j, k) must hold after this load. Slots never named
  // must hold what they held before it. Inline: a load names every slot it
  // writes, some 200,000 for a region of flat blocks.
  void Expect(int i, int j, int k, std::int16_t value) {
    if (i < 0 || i > BlockStore::kBlockMax || j < 0 || j > BlockStore::kCellMax || k < 0 ||
        k > BlockStore::kLayerMax) {
      NoSlot(i, j, k);
    }
    const std::size_t position = row_start_[k][j] + static_cast<std::size_t>(i);
    if (written_[position * sizeof(std::int16_t) / page_bytes_] != 0) {
      reinterpret_cast<std::int16_t*>(before_)[position] = value;
    } else if (table_[position] != value) {
      Fail(position, table_[position], value);
    }
  }

  // Aborts, naming the first slot that differs, unless every slot holds what
  // Expect said or else its value from before the load. Then protects the
  // table again for the next load.
  void Verify();

  std::size_t PagesWritten() const { return written_count_; }

 private:
  static void OnFault(int signal, siginfo_t* info, void* context);
  [[noreturn]] static void NoSlot(int i, int j, int k);
  [[noreturn]] void Fail(std::size_t position, std::int16_t got, std::int16_t want) const;

  std::int16_t* table_;
  std::size_t row_start_[BlockStore::kLayerMax + 1][BlockStore::kCellMax + 1];  // by k, j
  std::size_t page_bytes_;
  std::size_t pages_;
  std::byte* before_;                  // the written pages as they were before the load
  std::vector<std::uint8_t> written_;  // by page
  std::vector<std::size_t> written_list_;
  std::size_t written_count_ = 0;
  struct sigaction previous_ {};
  void* signal_stack_ = nullptr;  // ours, when nothing had set one
};

}  // namespace geodata
