// Memory that holds a region's bytes between reading and storing. Pages come
// from the system untouched, so a buffer sized for a large file costs only
// what is read into it.
#pragma once

#include <cstddef>

namespace geodata {

class ReadBuffer {
 public:
  ReadBuffer() = default;
  ~ReadBuffer();
  ReadBuffer(const ReadBuffer&) = delete;
  ReadBuffer& operator=(const ReadBuffer&) = delete;

  // Makes room for at least `bytes`; keeps what it has when that is enough.
  // False when the system has no memory for it, the old room then kept.
  bool Reserve(std::size_t bytes);
  // When the last Reserve asked for more than `limit`, lets the system take
  // back the pages it used whenever it needs memory. The room stays: pages
  // the system has not taken are used again as they are, and those it took
  // come back zeroed, so only under memory pressure does the next large load
  // pay for new pages. Smaller loads keep their pages.
  void ReleaseIfLargerThan(std::size_t limit);

  std::byte* Data() { return data_; }

 private:
  void Release();

  std::byte* data_ = nullptr;
  std::size_t capacity_ = 0;
  std::size_t asked_ = 0;  // by the last Reserve
};

}  // namespace geodata
