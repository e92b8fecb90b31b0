// Memory that holds a region's bytes between reading and storing. Pages come
// from the system untouched, so a buffer sized for a large file costs only
// what is read into it. The room is kept for the next load.
#pragma once

#include <cstddef>

namespace geodata {

class ReadBuffer {
 public:
  // A load of up to this many bytes keeps its pages for the next load; a
  // larger one offers them back to the system when it ends.
  static constexpr std::size_t kResidentBytes = std::size_t{16} << 20;

  ReadBuffer() = default;
  ~ReadBuffer();
  ReadBuffer(const ReadBuffer&) = delete;
  ReadBuffer& operator=(const ReadBuffer&) = delete;

  // Makes room for at least `bytes`; keeps what it has when that is enough.
  // False when the system has no memory for it, the old room then kept.
  bool Reserve(std::size_t bytes);
  // When the last Reserve asked for more than kResidentBytes, lets the system
  // take back the pages it used whenever it needs memory. The room stays:
  // pages the system has not taken are used again as they are, so only under
  // memory pressure does the next large load pay for new pages.
  void OfferPagesIfLarge();

  std::byte* Data() { return data_; }

 private:
  void Release();

  std::byte* data_ = nullptr;
  std::size_t capacity_ = 0;
  std::size_t asked_ = 0;  // by the last Reserve
};

}  // namespace geodata
