// An allocation that fails on the window's thread while it waits for a slow
// load. Its own program: it replaces the global operator new.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "testing/gated_source.h"
#include "testing/qt/test_window.h"
#include "testing/store_digest.h"
#include "testing/temp_dir.h"
#include "testing/test_regions.h"

namespace {

// Fails the first allocation on a thread marked, once armed.
constinit std::atomic<bool> fail_armed{false};
constinit thread_local bool fail_here = false;

}  // namespace

// Kept out of line: GCC, inlining them, takes the free for a mismatch with
// the new it sees.
[[gnu::noinline]] void* operator new(std::size_t size) {
  if (fail_here && fail_armed.exchange(false)) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace geodata {
namespace {

// The window's thread leaves the wait by a throw while the load's thread
// still reads: the load is given up, nothing refers to the wait's frame once
// it is gone (AddressSanitizer sees to that), the one error box says there
// was not enough memory, and the region shown before stays.
TEST(LoadAllocationFault, AThrowDuringTheWaitGivesTheLoadUpAndReachesTheErrorBox) {
#ifdef _WIN32
  // There the system drops an exception at the window procedure, so none
  // leaves Qt's event loop, and the replaced operator new is this program's
  // alone, not Qt's: no fault can be made inside the wait.
  GTEST_SKIP() << "an exception cannot leave Qt's event loop on Windows";
#endif
  const std::vector<std::byte> region = testing::MixedRegion(16, 17, 5);
  testing::TempDir dir;
  const std::string first = dir.Write("a.dat", testing::MixedRegion(22, 22, 0));
  fail_here = true;
  testing::TestWindow form;
  form.show();
  form.Open(first);
  const QImage picture = form.MapPanel().Picture();
  const std::uint64_t store = testing::StoreDigest(form.Blocks());

  // Armed from the wait's event loop, which runs while the gate holds the
  // load, and failed there at once by an allocation of ours.
  auto gate = std::make_shared<testing::Gate>(1 + static_cast<int>(region.size() / RegionReader::kPieceBytes / 2));
  form.OpenNext(testing::GatedOpen(gate, region));
  bool armed_while_held = false;
  QTimer::singleShot(0, &form, [&] {
    armed_while_held = QTest::qWaitFor([&] { return gate->Held(); });
    fail_armed = true;
    (void)std::make_unique<int>();
  });
  form.Open("slow.dat");
  EXPECT_TRUE(armed_while_held) << "the load never reached the disk";
  EXPECT_FALSE(fail_armed.exchange(false)) << "nothing failed";
  EXPECT_EQ(form.errors, std::vector<QString>{QStringLiteral("There is not enough memory to open the file.")});
  EXPECT_EQ(testing::StoreDigest(form.Blocks()), store);
  EXPECT_EQ(form.MapPanel().Picture(), picture);
  gate->Open();
  ASSERT_TRUE(gate->Gone());
  // The next load runs on a thread of its own: the one given up stores
  // nothing, then or later.
  form.Open(first);
  EXPECT_EQ(form.errors.size(), 1U);
  EXPECT_EQ(testing::StoreDigest(form.Blocks()), store);
}

}  // namespace
}  // namespace geodata
