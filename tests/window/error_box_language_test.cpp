// The system's reason in the user's language reaches the error box as the
// system wrote it, beside a path in another script.
#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <cerrno>
#include <clocale>
#include <string>

#include "region/platform/file.h"
#include "region/region_error.h"
#include "testing/path_dialog.h"
#include "testing/qt/modal_driver.h"
#include "testing/qt/qt_printers.h"
#include "testing/temp_dir.h"
#include "window/main_window.h"

namespace geodata {
namespace {

#ifndef _WIN32  // Windows names a missing file in fixed words
TEST(ErrorBox, ShowsTheSystemsReasonInTheUsersLanguage) {
  // LANGUAGE chooses the system's messages, where translated, under any locale but C.
  const std::string locale = std::setlocale(LC_MESSAGES, nullptr);
  std::setlocale(LC_MESSAGES, "C.UTF-8");
  qputenv("LANGUAGE", "ru");
  const std::string reason = platform::Reason(ENOENT);
  const testing::TempDir dir;
  const std::string path = testing::Utf8(dir.path() / testing::Utf8Path("地图.dat"));
  testing::ModalDriver person;
  Form1 form(std::make_unique<PathDialog>(path));
  form.menuBar()->actions().value(0)->menu()->actions().value(0)->trigger();
  qunsetenv("LANGUAGE");
  std::setlocale(LC_MESSAGES, locale.c_str());
  if (std::ranges::all_of(reason, [](char c) { return (c & 0x80) == 0; })) GTEST_SKIP() << "untranslated";
  ASSERT_EQ(person.boxes.size(), 1U);
  const RegionError error(RegionErrorKind::kCannotOpen, path, RegionErrorWhere::Detail(reason));
  EXPECT_EQ(person.boxes[0].text, QString::fromUtf8(error.what()));
}
#endif

}  // namespace
}  // namespace geodata
