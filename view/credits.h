// The maker's lines, shown in the readout; the caption uses the web address.
#pragma once

#include <string_view>

namespace geodata {

inline constexpr std::string_view kWebAddress = "www.example.org/geodata";
inline constexpr std::string_view kDeveloperLine = "Developer: GeoData team";
inline constexpr std::string_view kAuthorEmail = "team@example.org";
inline constexpr std::string_view kSupportEmail = "support@example.org";

}  // namespace geodata
