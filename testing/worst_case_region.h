// The longest region there is: every block multilayer, 16 layers in every cell.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "region/region_format.h"
#include "testing/temp_dir.h"

namespace geodata::testing {

// The blocks repeat every kWorstCaseGroup: block i has the type word
// -1 - i % 64 and every value value_step * (i % 64). Returns the file's path.
inline constexpr int kWorstCaseGroup = 64;
std::string WriteWorstCaseRegion(const TempDir& dir, const std::string& name,
                                 std::array<std::uint8_t, kHeaderBytes> header, int value_step);

}  // namespace geodata::testing
