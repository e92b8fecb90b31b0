// Every kind of input the reader must refuse, in one table: how each is made,
// the error kind it must end with, where the bar stops and the message after
// "<path>: ". The reader's tests run every row; the window's run one row of
// each kind.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "region/byte_source.h"
#include "region/region_error.h"
#include "testing/scripted_source.h"
#include "testing/temp_dir.h"

namespace geodata::testing {

// What a row needs of the system it runs on.
enum class Needs {
  kNothing,
  kLinux,               // a device or a FIFO that only Linux has
  kWindows,             // the same for Windows
  kSymlinks,            // Windows lets only some users make them
  kAddressSpaceLimit,   // no memory for the read, on a capped process
};

struct BadFile {
  const char* name;
  std::function<std::string(const TempDir&)> make;  // makes the input, returns its path
  RegionErrorKind kind;
  // The last block checked, where the bar stops; -1 when none was, and the
  // bar stays where it was.
  int bar;
  std::string says;
  // The disk misbehaving as scripted, instead of the file at the path.
  std::optional<ScriptedSource::Script> script = std::nullopt;
  // Done to the file once it is open and before it is read.
  std::function<void(const std::string&)> after_open = nullptr;
  Needs needs = Needs::kNothing;
};

const std::vector<BadFile>& BadFiles();

// Versions of one region, several read pieces long, that scripted sources
// switch between while they are read.
const std::vector<std::vector<std::byte>>& ScriptedVersions();

// Whether this build on this system can make the row happen.
bool CanRun(const BadFile& bad);

// The row's input as the open command opens it; throws RegionError as
// opening the path would.
std::unique_ptr<ByteSource> OpenBadFile(const BadFile& bad, const std::string& path);

}  // namespace geodata::testing
