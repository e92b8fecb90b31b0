// The window's client area under its menu bar, in twips; the controls'
// places inside it are fixed.
#pragma once

namespace geodata {

inline constexpr int kClientWidth = 11040;
inline constexpr int kClientHeight = 10515;

}  // namespace geodata
