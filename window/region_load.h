// The window's one way to load a region. The reading half runs on a thread
// of its own, so the window can give a load up at any moment, even during a
// read that never returns: the thread is left to end alone, and what it
// uses it shares with this unit, never with the window. A check that ends
// within kQuickCheck, as from a local disk, is simply waited for; a longer
// one is waited for in an event loop that paints and answers the system but
// drops the user's input, so a file on slow storage neither freezes the
// window nor lets another command start. Once a frame the bar shows the
// block reached and the pointer shows the wait.
//
// A load's steps, each moved on by one side, with the mutex held:
//
//   step      moved there by                 the store               a give-up
//   idle      the window, after the end      the window's            -
//   checking  the window, as a load starts   untouched               the thread stops at its next
//                                                                    block, or after its open
//   checked   the thread, the check passed   untouched; the thread   the thread ends, writing
//             (a quick check goes on at      waits for leave         nothing
//             once to writing)
//   writing   the thread, given leave        the thread's            none can come: the window
//                                                                    waits without serving events
//   ended     the thread                     whole, or untouched     -
//
// The window gives leave only while it waits without serving events (the
// quick wait, or the wait for the end), so nothing it runs can read the store
// or give the load up while the thread writes it.
#pragma once

#include <chrono>
#include <memory>

#include "region/block_store.h"
#include "region/region_reader.h"
#include "window/panels.h"

namespace geodata {

// A load stopped because the window is closing or gave it up; nobody needs
// telling.
struct LoadCancelled {};

// The wait pointer, from the first frame of a slow load until its owner lets
// it go.
class WaitPointer {
 public:
  WaitPointer() = default;
  ~WaitPointer();
  WaitPointer(WaitPointer&& other) noexcept;
  WaitPointer& operator=(WaitPointer&&) = delete;
  WaitPointer(const WaitPointer&) = delete;
  WaitPointer& operator=(const WaitPointer&) = delete;
  void Show();

 private:
  bool shown_ = false;
};

class RegionLoad {
 public:
  // The largest region's check from a local disk ends within it, so a local
  // open takes no event loop, no wait pointer and no wake-up between the
  // check and the table (docs/speed.md, "Fast storage, before and after the
  // load's thread").
  static constexpr std::chrono::milliseconds kQuickCheck{50};

  // The thread starts with the window: a new thread's first run waits for
  // the scheduler's next tick, which a first open would feel.
  RegionLoad();
  // Gives up a load under way.
  ~RegionLoad();
  RegionLoad(const RegionLoad&) = delete;
  RegionLoad& operator=(const RegionLoad&) = delete;

  // Reads what `open` opens into the store on the load's thread, then sets
  // the bar to the last block checked and logs the load. Throws what the
  // opener, the check or a panel throws, or LoadCancelled after Cancel or a
  // quit. Whatever ends the wait early, a throw on this thread included,
  // gives the load up: the store stays as it was, and the bar where the last
  // frame set it. On success returns the wait pointer, shown if the load was
  // slow, for the caller to keep until the map is painted; on a throw it is
  // gone before the caller's error box.
  [[nodiscard]] WaitPointer Run(RegionReader::SourceOpener open, BlockStore& store, MapPanel& Map, TextPanel& list,
                                ProgressPanel& Baras);
  // Ends a wait under way: the window is closing.
  void Cancel();

 private:
  struct Shared;
  class Wait;
  static std::shared_ptr<Shared> StartThread();

  std::shared_ptr<Shared> shared_;
  Wait* wait_ = nullptr;  // while Run waits in an event loop
  bool cancelled_ = false;
};

}  // namespace geodata
