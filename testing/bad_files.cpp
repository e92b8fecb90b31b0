#include "testing/bad_files.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <span>

#include "region/region_format.h"
#include "testing/address_space_limit.h"
#include "testing/png_sample.h"
#include "testing/process_probe.h"
#include "testing/test_regions.h"
#include "tools/region_writer.h"

namespace geodata::testing {
namespace {

using Bytes = std::vector<std::byte>;

std::function<std::string(const TempDir&)> File(std::function<Bytes()> bytes) {
  return [bytes = std::move(bytes)](const TempDir& dir) { return dir.Write("bad.dat", bytes()); };
}

Bytes Cut(Bytes bytes, std::size_t keep) {
  bytes.resize(keep);
  return bytes;
}

void CutFile(const std::string& path, std::uintmax_t size) { std::filesystem::resize_file(Utf8Path(path), size); }

std::string Fifo(const TempDir& dir) {
  const std::string path = Utf8(dir.path() / "pipe.dat");
  MakeFifo(path);
  return path;
}

std::string Link(const TempDir& dir, const char* name, const std::filesystem::path& to) {
  const auto path = dir.path() / name;
  std::filesystem::create_symlink(to, path);
  return Utf8(path);
}

BadFile Needing(Needs needs, BadFile row) {
  row.needs = needs;
  return row;
}

bool CanMakeSymlinks() {
  static const bool can = [] {
    const TempDir dir;
    std::error_code error;
    std::filesystem::create_symlink(dir.path() / "to", dir.path() / "link", error);
    return !error;
  }();
  return can;
}

std::string Scripted(const TempDir& dir) { return (dir.path() / "scripted.dat").string(); }

const std::string kCutShort = "the file ends before this block is complete; it is cut short or not a region file";

}  // namespace

const std::vector<BadFile>& BadFiles() {
  static const std::vector<BadFile> rows = {
      // Files that end too soon.
      {"empty file", File([] { return Bytes{}; }), RegionErrorKind::kTruncatedHeader, -1,
       "the file ends inside its 18-byte header; it is not a region file (file size 0)"},
      {"header only", File([] { return RegionWriter().Take(); }), RegionErrorKind::kTruncatedBlock, -1,
       "block 0 (column 0, row 0): " + kCutShort + " (offset 18, file size 18)"},
      {"cut inside a flat block's first value",
       File([] { return Cut(RegionWriter().Flat(1, 2).Flat(3, 4).Take(), 18 + 6 + 3); }),
       RegionErrorKind::kTruncatedBlock, 0,
       "block 1 (column 0, row 1), cell 1: " + kCutShort + " (offset 26, file size 27)"},
      {"cut after a flat block's first value",
       File([] { return Cut(RegionWriter().Flat(1, 2).Take(), 22); }), RegionErrorKind::kTruncatedBlock, -1,
       "block 0 (column 0, row 0), cell 2: " + kCutShort + " (offset 22, file size 22)"},
      {"cut inside a complex block",
       File([] { return Cut(RegionWriter().Complex(std::int16_t{5}).Take(), 18 + 2 + 2 * 10 + 1); }),
       RegionErrorKind::kTruncatedBlock, -1,
       "block 0 (column 0, row 0), cell 11: " + kCutShort + " (offset 40, file size 41)"},
      {"cut inside a complex block after a flat one",
       File([] { return Cut(RegionWriter().Flat(1, 2).Complex(std::int16_t{9}).Take(), 50); }),
       RegionErrorKind::kTruncatedBlock, 0,
       "block 1 (column 0, row 1), cell 13: " + kCutShort + " (offset 50, file size 50)"},
      {"cut inside a layer count",
       File([] { return Cut(RegionWriter().Multilayer(1, 3, 9).Take(), 18 + 2 + 8 * 2 + 1); }),
       RegionErrorKind::kTruncatedBlock, -1,
       "block 0 (column 0, row 0), cell 3: " + kCutShort + " (offset 36, file size 37)"},
      {"cut inside a layer value",
       File([] { return Cut(RegionWriter().Multilayer(1, 3, 9).Take(), 18 + 2 + 8 + 2 + 2); }),
       RegionErrorKind::kTruncatedBlock, -1,
       "block 0 (column 0, row 0), cell 2: " + kCutShort + " (offset 32, file size 32)"},
      {"cut inside the values of a four-layer cell",
       File([] { return Cut(RegionWriter().Multilayer(5, 4, 1).Take(), 18 + 2 + 10 + 6); }),
       RegionErrorKind::kTruncatedBlock, -1,
       "block 0 (column 0, row 0), cell 2: " + kCutShort + " (offset 36, file size 36)"},
      {"one block short", File([] { return Cut(RegionWriter().FillFlat().Take(), 393'234 - 6); }),
       RegionErrorKind::kTruncatedBlock, 65534,
       "block 65535 (column 255, row 255): " + kCutShort + " (offset 393228, file size 393228)"},
      {"a complex region cut inside its last block, 8 MB in",
       File([] { return Cut(ComplexRegion({}, [](int i) { return static_cast<std::int16_t>(i); }), 8'519'698 - 5); }),
       RegionErrorKind::kTruncatedBlock, 65534,
       "block 65535 (column 255, row 255), cell 62: " + kCutShort +
           " (offset 8519692, file size 8519693)"},
      {"layer count 32767 and nothing after it",
       File([] { return RegionWriter().Word(1).Word(32767).Take(); }), RegionErrorKind::kTruncatedBlock, -1,
       "block 0 (column 0, row 0), cell 1: " + kCutShort + " (offset 22, file size 22)"},
      {"a text file renamed .dat",
       File([] {
         const std::string text = "Notes on the world map, second draft.\n";
         const auto view = std::as_bytes(std::span(text));
         return Bytes(view.begin(), view.end());
       }),
       RegionErrorKind::kTruncatedBlock, -1,
       "block 0 (column 0, row 0), cell 1: " + kCutShort + " (offset 38, file size 38)"},
      {"a file cut between the open and the read",
       File([] { return RegionWriter().FillFlat().Take(); }), RegionErrorKind::kTruncatedBlock, 162,
       "block 163 (column 0, row 163), cell 2: " + kCutShort + " (offset 1000, file size 1000)",
       std::nullopt, [](const std::string& path) { CutFile(path, 1000); }},

      // Cells with more layers than a cell holds.
      {"layer count 17", File([] { return RegionWithCount(17); }), RegionErrorKind::kLayerCountTooLarge, 4659,
       "block 4660 (column 18, row 52), cell 7: layer count 17 exceeds the limit of 16 (offset 28004)"},
      {"layer count 17 in the last cell of the last block", File([] { return RegionWithCount(17, 65535, 64); }),
       RegionErrorKind::kLayerCountTooLarge, 65534,
       "block 65535 (column 255, row 255), cell 64: layer count 17 exceeds the limit of 16 (offset "
       "393482)"},
      {"layer count 32767", File([] { return RegionWithCount(32767); }), RegionErrorKind::kLayerCountTooLarge, 4659,
       "block 4660 (column 18, row 52), cell 7: layer count 32767 exceeds the limit of 16 (offset "
       "28004)"},
      {"layer count 32767 in the last cell, 17 values there",
       File([] { return RegionWithCount(32767, 65535, 64, 17); }),
       RegionErrorKind::kLayerCountTooLarge, 65534,
       "block 65535 (column 255, row 255), cell 64: layer count 32767 exceeds the limit of 16 "
       "(offset 393482)"},
      {"a PNG image renamed .dat", File(PngSample), RegionErrorKind::kLayerCountTooLarge, -1,
       "block 0 (column 0, row 0), cell 2: layer count 2048 exceeds the limit of 16 (offset 22)"},

      // Paths that name no readable region file. The window's tests run the
      // first: its path reaches the box as the system writes it.
      {"a missing file in folders named in Cyrillic and Chinese",
       [](const TempDir& dir) { return Utf8(dir.path() / Utf8Path("Карты мира") / Utf8Path("地图 gone.dat")); },
       RegionErrorKind::kCannotOpen, -1, "the file cannot be opened (No such file or directory)"},
      {"a missing path", [](const TempDir& dir) { return Utf8(dir.path() / "gone.dat"); },
       RegionErrorKind::kCannotOpen, -1, "the file cannot be opened (No such file or directory)"},
      {"an empty path", [](const TempDir&) { return std::string(); }, RegionErrorKind::kCannotOpen, -1,
       "the file cannot be opened (No such file or directory)"},
      Needing(Needs::kSymlinks,
              {"a link named .dat to nowhere",
               [](const TempDir& dir) { return Link(dir, "dangling.dat", dir.path() / "gone.dat"); },
               RegionErrorKind::kCannotOpen, -1, "the file cannot be opened (No such file or directory)"}),
      {"a directory", [](const TempDir& dir) { return Utf8(dir.path()); },
       RegionErrorKind::kNotRegularFile, -1, "not a regular file (it is a directory)"},
      Needing(Needs::kLinux, {"/dev/zero", [](const TempDir&) { return std::string("/dev/zero"); },
                              RegionErrorKind::kNotRegularFile, -1, "not a regular file (it is a device)"}),
      Needing(Needs::kWindows, {"the NUL device", [](const TempDir&) { return std::string("NUL"); },
                                RegionErrorKind::kNotRegularFile, -1, "not a regular file (it is a device)"}),
      Needing(Needs::kLinux,
              {"a link named .dat to /dev/zero", [](const TempDir& dir) { return Link(dir, "zero.dat", "/dev/zero"); },
               RegionErrorKind::kNotRegularFile, -1, "not a regular file (it is a device)"}),
      Needing(Needs::kLinux, {"a FIFO named .dat, with no writer", Fifo, RegionErrorKind::kNotRegularFile, -1,
                              "not a regular file (it is a pipe)"}),

      // The disk misbehaving.
      {"fewer bytes than its size", Scripted, RegionErrorKind::kTruncatedBlock, 38460,
       "block 38461 (column 150, row 61), cell 26: " + kCutShort + " (offset 5000000, file size 5000000)",
       ScriptedSource::Script{.deliver = 5'000'000}},
      {"an I/O error part-way", Scripted, RegionErrorKind::kReadFailed, 16115,
       "the file cannot be read (Input/output error) (offset 2097152)",
       ScriptedSource::Script{.fail_at = 3'000'000}},
      {"rewritten during every read", Scripted, RegionErrorKind::kFileChanged, 65535,
       "the file kept changing while it was being read; try again once it is written",
       ScriptedSource::Script{.changing_reads = 3}},
      Needing(Needs::kAddressSpaceLimit,
              {"no memory to read it into", Scripted, RegionErrorKind::kOutOfMemory, -1,
               "there is not enough memory to read the file (142737426 bytes)",
               ScriptedSource::Script{.no_memory = true}}),
  };
  return rows;
}

bool CanRun(const BadFile& bad) {
  switch (bad.needs) {
    case Needs::kNothing:
      return true;
    case Needs::kLinux:
      return ThisSystem() == System::kLinux;
    case Needs::kWindows:
      return ThisSystem() == System::kWindows;
    case Needs::kSymlinks:
      return CanMakeSymlinks();
    case Needs::kAddressSpaceLimit:
      return CanLimitAddressSpace();
  }
  return false;
}

std::unique_ptr<ByteSource> OpenBadFile(const BadFile& bad, const std::string& path) {
  if (bad.script) return std::make_unique<ScriptedSource>(ScriptedVersions(), *bad.script, path);
  auto source = std::make_unique<FileSource>(path);
  if (bad.after_open) bad.after_open(path);
  return source;
}

const std::vector<std::vector<std::byte>>& ScriptedVersions() {
  static const auto* versions = [] {
    auto* made = new std::vector<std::vector<std::byte>>;
    for (int v = 0; v < 4; ++v) {
      made->push_back(ComplexRegion({static_cast<std::uint8_t>(30 + v), 18},
                                    [v](int i) { return static_cast<std::int16_t>(100 * v + i % 99); }));
    }
    return made;
  }();
  return *versions;
}

}  // namespace geodata::testing
