// An allocation that fails on the window's thread while it waits for a slow
// load. Its own program: it replaces the global operator new.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "testing/gated_source.h"
#include "testing/path_dialog.h"
#include "testing/store_digest.h"
#include "testing/temp_dir.h"
#include "testing/test_regions.h"
#include "window/main_window.h"
#include "window/map_panel_widget.h"

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

using Opener = std::function<std::unique_ptr<ByteSource>()>;

class CountingForm final : public Form1 {
 public:
  CountingForm(std::shared_ptr<DialogRecord> chooser, Opener* next)
      : Form1(std::make_unique<PathDialog>(std::move(chooser)), [next](const std::string& path) {
          return *next ? std::exchange(*next, nullptr)() : std::make_unique<FileSource>(path);
        }) {}
  std::vector<QString> errors;

 protected:
  void ShowError(const QString& message) override { errors.push_back(message); }
};

// The window's thread leaves the wait by a throw while the load's thread
// still reads: the load is given up, nothing refers to the wait's frame once
// it is gone (AddressSanitizer sees to that), the one error box says there
// was not enough memory, and the region shown before stays.
TEST(LoadAllocationFault, AThrowDuringTheWaitGivesTheLoadUpAndReachesTheErrorBox) {
  const std::vector<std::byte> region = testing::MixedRegion(16, 17, 5);
  testing::TempDir dir;
  const std::string first = dir.Write("a.dat", testing::MixedRegion(22, 22, 0));
  fail_here = true;
  auto chooser = std::make_shared<DialogRecord>();
  Opener next;  // the window's thread sets it before each load
  CountingForm form(chooser, &next);
  form.show();
  chooser->answer = first;
  form.OpenGeo_Click();
  const auto* map = form.findChild<MapPanelWidget*>(QStringLiteral("Map"));
  const QImage picture = map->Picture();
  const std::uint64_t store = testing::StoreDigest(form.Blocks());

  // Armed by the load's thread as it opens, while the window's thread waits.
  auto gate = std::make_shared<testing::Gate>(1 + static_cast<int>(region.size() / RegionReader::kPieceBytes / 2));
  next = [gate, region] { fail_armed = true; return testing::GatedOpen(gate, region)(); };
  chooser->answer = "slow.dat";
  form.OpenGeo_Click();
  EXPECT_FALSE(fail_armed.exchange(false)) << "nothing failed";
  EXPECT_EQ(form.errors, std::vector<QString>{QStringLiteral("There is not enough memory to open the file.")});
  EXPECT_EQ(testing::StoreDigest(form.Blocks()), store);
  EXPECT_EQ(map->Picture(), picture);
  gate->Open();
  ASSERT_TRUE(gate->Gone());
  // The next load runs on a thread of its own.
  chooser->answer = first;
  form.OpenGeo_Click();
  EXPECT_EQ(form.errors.size(), 1U);
}

}  // namespace
}  // namespace geodata
