#include "region/region_error.h"

#include "region/region_format.h"

namespace geodata {
namespace {

std::string Compose(RegionErrorKind kind, const std::string& file, const RegionErrorWhere& w) {
  std::string text = file + ": ";
  if (w.block) {
    text += "block " + std::to_string(*w.block) + " (column " +
            std::to_string(BlockColumn(*w.block)) + ", row " + std::to_string(BlockRow(*w.block)) +
            ")";
    text += w.cell ? ", cell " + std::to_string(*w.cell) + ": " : ": ";
  }
  if (kind == RegionErrorKind::kLayerCountTooLarge && w.count) {
    text += "layer count " + std::to_string(*w.count) + " exceeds the limit of " +
            std::to_string(kMaxLayers);
  } else {
    text += Describe(kind);
  }
  if (!w.detail.empty()) {
    text += " (" + w.detail + ")";
  }
  if (w.offset && w.size) {
    text += " (offset " + std::to_string(*w.offset) + ", file size " + std::to_string(*w.size) + ")";
  } else if (w.offset) {
    text += " (offset " + std::to_string(*w.offset) + ")";
  } else if (w.size) {
    text += " (file size " + std::to_string(*w.size) + ")";
  }
  return text;
}

}  // namespace

std::string Describe(RegionErrorKind kind) {
  switch (kind) {
    case RegionErrorKind::kCannotOpen:
      return "the file cannot be opened";
    case RegionErrorKind::kNotRegularFile:
      return "not a regular file";
    case RegionErrorKind::kReadFailed:
      return "the file cannot be read";
    case RegionErrorKind::kTruncatedHeader:
      return "the file ends inside its " + std::to_string(kHeaderBytes) + "-byte header; it is not a region file";
    case RegionErrorKind::kTruncatedBlock:
      return "the file ends before this block is complete; it is cut short or not a region file";
    case RegionErrorKind::kLayerCountTooLarge:
      return "a layer count exceeds the limit of " + std::to_string(kMaxLayers);
    case RegionErrorKind::kFileChanged:
      return "the file kept changing while it was being read; try again once it is written";
    case RegionErrorKind::kOutOfMemory:
      return "there is not enough memory to read the file";
  }
  return "unknown region error";
}

RegionError::RegionError(RegionErrorKind kind, std::string file, RegionErrorWhere where)
    : std::runtime_error(Compose(kind, file, where)),
      kind_(kind),
      file_(std::move(file)),
      where_(std::move(where)) {}

}  // namespace geodata
