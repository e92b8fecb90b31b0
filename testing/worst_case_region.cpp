#include "testing/worst_case_region.h"

#include <fstream>
#include <stdexcept>

#include "tools/region_writer.h"

namespace geodata::testing {

std::string WriteWorstCaseRegion(const TempDir& dir, const std::string& name,
                                 std::array<std::uint8_t, kHeaderBytes> header, int value_step) {
  RegionWriter group(header);
  for (int b = 0; b < kWorstCaseGroup; ++b) {
    group.Multilayer(static_cast<std::int16_t>(-1 - b), kMaxLayers,
                     static_cast<std::int16_t>(value_step * b));
  }
  // 142 MB: written a group at a time rather than built in memory.
  const std::string path = (dir.path() / name).string();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const auto& bytes = group.bytes();
  out.write(reinterpret_cast<const char*>(bytes.data()), kHeaderBytes);
  for (int i = 0; i < kBlocks / kWorstCaseGroup; ++i) {
    out.write(reinterpret_cast<const char*>(bytes.data() + kHeaderBytes),
              static_cast<std::streamsize>(bytes.size() - kHeaderBytes));
  }
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

}  // namespace geodata::testing
