// Layout and panel positions come in twips; the toolkit works in
// device-independent pixels. The ratio is fixed at 96 dots per inch.
#pragma once

namespace geodata {

inline constexpr int kTwipsPerPixel = 15;

constexpr int ToPixels(int twips) { return twips / kTwipsPerPixel; }

}  // namespace geodata
