// Encodes several images into one icon file. Qt writes an icon file with a
// single image only; the window's icon carries each size at three depths,
// and a large image for Explorer's large views.
#pragma once

#include <QByteArray>
#include <QImage>
#include <vector>

namespace geodata {

struct IconImage {
  QImage image;      // square, at most 256 pixels, with alpha
  int bits;          // 4 (16 colours), 8 (256 colours) or 32
  bool png = false;  // stored as a PNG image (32 bits), as Windows expects at 256 pixels
};

QByteArray EncodeIco(const std::vector<IconImage>& images);

}  // namespace geodata
