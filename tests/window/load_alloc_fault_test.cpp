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
#include "window/text_panel_widget.h"

namespace {

// Fails the first allocation of the size asked for (0: of any size) on the
// thread marked, once armed.
constinit std::atomic<bool> fail_armed{false};
constinit std::atomic<std::size_t> fail_size{0};
constinit thread_local bool fail_here = false;

}  // namespace

void* operator new(std::size_t size) {
  if (fail_here && fail_armed.load() && (fail_size.load() == 0 || fail_size.load() == size) &&
      fail_armed.exchange(false)) {
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace geodata {
namespace {

class CountingForm final : public Form1 {
 public:
  explicit CountingForm(std::shared_ptr<DialogRecord> chooser, std::function<std::unique_ptr<ByteSource>()>* next)
      : Form1(std::make_unique<PathDialog>(std::move(chooser)),
              [next](const std::string& path) -> std::unique_ptr<ByteSource> {
                if (*next) return std::exchange(*next, nullptr)();
                return std::make_unique<FileSource>(path);
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
  for (const std::size_t size : {std::size_t{16}, std::size_t{0}}) {
    SCOPED_TRACE(size);
    auto chooser = std::make_shared<DialogRecord>();
    // Only the window's thread touches it before the load starts.
    std::function<std::unique_ptr<ByteSource>()> next;
    CountingForm form(chooser, &next);
    form.show();
    chooser->answer = first;
    form.OpenGeo_Click();
    const auto* map = form.findChild<MapPanelWidget*>(QStringLiteral("Map"));
    const auto* list = form.findChild<TextPanelWidget*>(QStringLiteral("list"));
    const QImage picture = map->Picture();
    const std::vector<std::string> lines = list->Lines();
    const std::uint64_t store = testing::StoreDigest(form.Blocks());

    // Armed from the load's thread as it opens, while the window's waits.
    auto gate = std::make_shared<testing::Gate>(1 + static_cast<int>(region.size() / RegionReader::kPieceBytes / 2));
    next = [gate, region, size] {
      fail_size = size;
      fail_armed = true;
      return testing::GatedOpen(gate, region)();
    };
    chooser->answer = "slow.dat";
    form.OpenGeo_Click();
    EXPECT_FALSE(fail_armed.exchange(false)) << "nothing failed";
    ASSERT_EQ(form.errors, std::vector<QString>{QStringLiteral("There is not enough memory to open the file.")});
    EXPECT_EQ(testing::StoreDigest(form.Blocks()), store);
    EXPECT_EQ(map->Picture(), picture);
    EXPECT_EQ(list->Lines(), lines);
    gate->Open();
    ASSERT_TRUE(gate->Gone());

    // And the window loads again.
    form.errors.clear();
    chooser->answer = first;
    form.OpenGeo_Click();
    EXPECT_TRUE(form.errors.empty());
    EXPECT_EQ(testing::StoreDigest(form.Blocks()), store);
  }
  fail_here = false;
}

}  // namespace
}  // namespace geodata
