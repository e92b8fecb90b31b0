#include "window/check_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <vector>

#include "region/block_store.h"
#include "region/region_error.h"
#include "testing/bad_files.h"
#include "testing/recording_panels.h"
#include "testing/scripted_source.h"

namespace geodata {
namespace {

using testing::ScriptedSource;

// The bar is set from the window's thread in bunches, once per frame, while
// the pieces arrive slowly; it must still take every block the check tells,
// in order, as a check on the window's own thread sets it.
TEST(CheckThread, TheBarTakesEachBlockReadInOrderWhilePiecesArriveSlowly) {
  const auto& versions = testing::ScriptedVersions();
  constexpr std::chrono::milliseconds kPause{5};  // a piece a frame or so
  struct Case {
    const char* name;
    ScriptedSource::Script script;
    bool loads;
  };
  const Case cases[] = {
      {"read whole", {.pause = kPause}, true},
      {"rewritten during the first read", {.changing_reads = 1, .pause = kPause}, true},
      {"fails half-way", {.fail_at = versions[0].size() / 2, .pause = kPause}, false},
  };
  RegionReader reader;
  CheckThread thread;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::RecordingProgress bar;
    bool loaded = false;
    try {
      thread.Run(reader, [&] { return std::make_unique<ScriptedSource>(versions, c.script); }, bar);
      loaded = true;
    } catch (const RegionError&) {
    }
    EXPECT_EQ(loaded, c.loads);

    RegionReader direct_reader;
    BlockStore store;
    testing::RecordingMap map;
    testing::RecordingText list;
    testing::RecordingProgress direct;
    ScriptedSource again(versions, c.script);
    try {
      direct_reader.Load(again, store, map, list, direct);
    } catch (const RegionError&) {
    }
    ASSERT_FALSE(direct.values.empty());
    EXPECT_EQ(bar.values, direct.values);
  }
}

}  // namespace
}  // namespace geodata
