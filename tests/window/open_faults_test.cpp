// Hostile files through the real open command: each shows the error box and
// leaves the window as it was, and the window still opens and paints a
// valid file afterwards.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "testing/bad_files.h"
#include "testing/qt/modal_driver.h"
#include "testing/qt/qt_printers.h"
#include "testing/qt/test_window.h"
#include "testing/store_digest.h"
#include "testing/temp_dir.h"
#include "testing/test_regions.h"

namespace geodata {
namespace {

using testing::ShownBox;
using testing::TempDir;

// The real window, its error box shown and read and closed by the person.
struct Window {
  Window() { form.show(); }
  // A bad file's row says how its input is opened.
  void Open(const std::string& path, const testing::BadFile* bad = nullptr) {
    if (bad != nullptr) form.OpenNext([bad, path] { return testing::OpenBadFile(*bad, path); });
    form.Open(path);
  }
  // All the user can see of the window, and the store behind it, but the
  // bar, which follows the reading even of a file that fails.
  struct Seen {
    QImage map;
    std::vector<std::string> lines;
    std::uint64_t store;
    bool operator==(const Seen&) const = default;
  };
  Seen Look() const {
    return {form.MapPanel().grab().toImage(), form.ListPanel().Lines(), testing::StoreDigest(form.Blocks())};
  }
  float Bar() const { return form.Bar().Position(); }
  std::vector<ShownBox>& boxes() { return person.boxes; }

  testing::ModalDriver person;
  testing::TestWindow form{std::make_shared<DialogRecord>(), true};
};

TEST(OpenFaults, EachShowsTheErrorBoxAndTheWindowStaysAsItWas) {
  TempDir dir;
  Window window;
  const std::string first = dir.Write("first.dat", testing::MixedRegion(21, 18, 0));
  window.Open(first);
  ASSERT_TRUE(window.boxes().empty());
  const Window::Seen loaded = window.Look();

  // One file of each kind of failure; the reader's tests run every row.
  std::set<RegionErrorKind> seen;
  for (const testing::BadFile& bad : testing::BadFiles()) {
    if (!testing::CanRun(bad) || !seen.insert(bad.kind).second) continue;
    SCOPED_TRACE(bad.name);
    TempDir bad_dir;
    const std::string path = bad.make(bad_dir);
    const float bar = bad.bar < 0 ? window.Bar() : static_cast<float>(bad.bar);
    window.boxes().clear();
    window.Open(path, &bad);
    ASSERT_EQ(window.boxes().size(), 1U);
    const ShownBox& box = window.boxes()[0];
    EXPECT_EQ(box.title, "Open GeoData");
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(box.text.toStdString(), path + ": " + bad.says);
    EXPECT_TRUE(window.Look() == loaded);
    EXPECT_EQ(window.Bar(), bar);
  }
  EXPECT_EQ(seen.size(), testing::CanLimitAddressSpace() ? 8U : 7U) << "every kind of failure";

  // Still usable: a new file paints exactly as in a window that never failed.
  const std::string next = dir.Write("next.dat", testing::MixedRegion(23, 18, 2));
  window.boxes().clear();
  window.Open(next);
  EXPECT_TRUE(window.boxes().empty());
  Window fresh;
  fresh.Open(first);
  fresh.Open(next);
  const Window::Seen after = window.Look();
  EXPECT_TRUE(after == fresh.Look());
  EXPECT_NE(after.map, loaded.map);
  EXPECT_EQ(after.lines.size(), 4U);
  EXPECT_EQ(window.Bar(), 65535.0F);
}

}  // namespace
}  // namespace geodata
