#include "region/stamp_rule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "testing/temp_dir.h"

namespace geodata {
namespace {

constexpr std::int64_t kTick = 4'000'000;  // 4 ms, as a 250 Hz kernel ticks
constexpr std::int64_t kNow = 1'765'000'000'002'000'000;  // 2 ms into a second

// A file last modified at `modified` and changed at `changed`, in ns.
SourceStamp File(std::int64_t modified, std::int64_t changed) {
  return {.size = 100,
          .modified = {modified / 1'000'000'000, modified % 1'000'000'000},
          .changed = {changed / 1'000'000'000, changed % 1'000'000'000}};
}

TEST(StampRule, WaitsOutTheTickOfAFreshChangeOnly) {
  struct Case {
    const char* name;
    SourceStamp file;
    std::int64_t now;
    int waited;
    bool waits;
  };
  const std::int64_t old = kNow - 3'600'000'000'000;
  const Case cases[] = {
      {"changed in the same tick", File(kNow - kTick / 2, kNow - kTick / 2), kNow, 0, true},
      {"changed in the tick before, across a second", File(kNow - 3 * kTick / 2, old), kNow, 0, true},
      {"changed two ticks ago", File(old, kNow - 2 * kTick), kNow, 0, true},
      {"changed just over two ticks ago", File(kNow - 2 * kTick - 1, old), kNow, 0, false},
      {"changed an hour ago", File(old, old), kNow, 0, false},
      {"modified long ago, its status changed now", File(old, kNow), kNow, 0, true},
      {"a fine file time ahead of the coarse clock", File(kNow + kTick / 2, kNow + kTick / 2), kNow, 0, true},
      {"the clock set back an hour", File(kNow, kNow), kNow - 3'600'000'000'000, 0, false},
      {"the clock set back just one tick", File(kNow, kNow), kNow - kTick, 0, false},
      {"fresh, after one wait", File(kNow, kNow), kNow, 1, true},
      {"changed at every look, after the last wait", File(kNow, kNow), kNow, kStampTicksToWait, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StampMustWait(c.file, c.now, kTick, c.waited), c.waits) << c.name;
  }
}

// A clock that stands still but for the waits asked of it.
class StillClock final : public StampClock {
 public:
  explicit StillClock(std::int64_t now) : now_(now) {}
  std::int64_t NowNs() override { return now_; }
  std::int64_t TickNs() override { return kTick; }
  void Wait(std::int64_t ns) override {
    now_ += ns;
    ++waits;
  }
  int waits = 0;

 private:
  std::int64_t now_;
};

// The rule in use: a file's stamp is taken only once the tick of its last
// change has passed on the clock the file source is given.
TEST(StampRule, AFileSourceWaitsOutTheTickOfAFreshChangeBeforeItTakesTheStamp) {
  testing::TempDir dir;
  const std::string path = dir.Write("region.dat", std::vector<std::byte>(100));
  StillClock much_later(kNow + 3'600'000'000'000);
  const SourceStamp written = FileSource(path, much_later).Stamp();
  const std::int64_t last = std::max(written.modified.Nanoseconds(), written.changed.Nanoseconds());
  struct Case {
    const char* name;
    std::int64_t now;
    bool waits;
  };
  const Case cases[] = {{"changed in the present tick", last, true},
                        {"changed an hour before", last + 3'600'000'000'000, false}};
  for (const Case& c : cases) {
    StillClock clock(c.now);
    FileSource source(path, clock);
    EXPECT_EQ(source.Stamp(), written) << c.name;
    EXPECT_EQ(clock.waits > 0, c.waits) << c.name;
  }
}

}  // namespace
}  // namespace geodata
